#include "ui/sysex_editor_form.h"

#include <cerrno>
#include <new>
#include <vector>

#include "config/error_text.h"
#include "midi/sysex_queue.h"

namespace kvs {
namespace {

bool ValidMessage(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || bytes.front() != 0xF0 || bytes.back() != 0xF7) return false;
    for (std::size_t i = 1; i + 1 < bytes.size(); ++i)
        if (bytes[i] >= 0x80) return false;
    return true;
}

}  // namespace

std::unique_ptr<SysexEditorForm> SysexEditorForm::Open(Track& track, std::uint32_t beat,
                                                       std::uint32_t index, EngineLink& engine,
                                                       SysexQueue& queue,
                                                       const PromptTable& prompts, bool portOpen) {
    const Track& seen = track;
    const BeatBucket* bucket = seen.Bucket(beat);
    if (bucket == nullptr || index >= bucket->Count()) return nullptr;
    const std::uint32_t message = (*bucket)[index].message;
    if (!IsSysex(message) || seen.Sysex().Find(SysexId(message)) == nullptr) return nullptr;
    return std::unique_ptr<SysexEditorForm>(
        new SysexEditorForm(track, SysexId(message), engine, queue, prompts, portOpen));
}

SysexEditorForm::SysexEditorForm(Track& track, std::uint32_t id, EngineLink& engine,
                                 SysexQueue& queue, const PromptTable& prompts, bool portOpen)
    : track_(track),
      id_(id),
      engine_(engine),
      queue_(queue),
      prompts_(prompts),
      port_(track.properties.port),
      portOpen_(portOpen) {
    const SysexBlock& block = *track_.Sysex().Find(id_);
    if (view_.SetContents(block.bytes)) return;
    view_.SetContents(std::span(block.bytes).first(SyxView::kCapacity));
    view_.SetReadOnly(true);
    note_ = "This message is " + std::to_string(block.bytes.size()) +
            " bytes long, more than the editor holds (" + std::to_string(SyxView::kCapacity) +
            "): its first " + std::to_string(SyxView::kCapacity) +
            " bytes are shown read-only, and OK leaves it unchanged.";
}

SysexEditorForm::~SysexEditorForm() {
    // Only when the window gave up waiting: the queue must not keep
    // pointing at the copy.
    if (sending_ && !SendFinished()) queue_.ReleaseBlocks();
}

std::optional<std::string> SysexEditorForm::Accept() {
    if (view_.ReadOnly()) return std::nullopt;
    const std::span<const std::uint8_t> edited = view_.Contents();
    if (!ValidMessage(edited)) return Text(prompt::error_badsysex);
    std::vector<std::uint8_t> copy;
    try {
        copy.assign(edited.begin(), edited.end());
    } catch (const std::bad_alloc&) {
        return ErrorText(prompts_, SystemError(ENOMEM));
    }
    SysexBlock* block = track_.Sysex().Find(id_);
    if (block == nullptr) return std::nullopt;  // cannot happen while the dialog is modal
    changed_ = block->bytes != copy;
    if (changed_) {
        // The queue may be sending the old bytes.
        SongLock lock = engine_.LockSong();
        block->bytes = std::move(copy);
    }
    return std::nullopt;
}

std::optional<std::string> SysexEditorForm::StartSend() {
    if (sending_ || !portOpen_) return std::nullopt;
    if (view_.Length() < 2) return Text(prompt::error_badsysex);
    try {
        auto copy = std::make_unique<SysexBlock>();
        if (view_.ReadOnly()) {
            // The whole message, not just the part on show.
            copy->bytes = track_.Sysex().Find(id_)->bytes;
        } else {
            copy->bytes.assign(view_.Contents().begin(), view_.Contents().end());
        }
        if (!queue_.Reserve(1)) return ErrorText(prompts_, SystemError(ENOMEM));
        sending_ = std::move(copy);
    } catch (const std::bad_alloc&) {
        return ErrorText(prompts_, SystemError(ENOMEM));
    }
    queue_.QueueSysex(*sending_, port_);
    queue_.KickSysex();
    return std::nullopt;
}

bool SysexEditorForm::SendFinished() {
    if (queue_.Size() != 0) return false;
    sending_.reset();
    return true;
}

}  // namespace kvs

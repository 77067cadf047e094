#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "config/prompt_table.h"
#include "model/engine_link.h"
#include "model/track.h"
#include "ui/syx_view.h"

namespace kvs {

class SysexQueue;

// The SysEx editor's dialog without its widgets: the event's block loaded
// into the hex view, OK's check and store, and Send through the program's
// SysEx queue on the track's port.
//
// A block longer than the view's buffer is shown read-only (its first
// 32768 bytes): storing what the view holds would cut the message.
class SysexEditorForm {
  public:
    // Null when the track has no such beat or event, the event is no SysEx,
    // or its block is missing. portOpen: the track's port names an open
    // output (Send is offered only then).
    static std::unique_ptr<SysexEditorForm> Open(Track& track, std::uint32_t beat,
                                                 std::uint32_t index, EngineLink& engine,
                                                 SysexQueue& queue, const PromptTable& prompts,
                                                 bool portOpen);
    ~SysexEditorForm();
    SysexEditorForm(const SysexEditorForm&) = delete;
    SysexEditorForm& operator=(const SysexEditorForm&) = delete;

    SyxView& View() { return view_; }
    const PromptTable& Prompts() const { return prompts_; }
    bool ReadOnly() const { return view_.ReadOnly(); }
    // Why the view is read-only; empty when it is not.
    const std::string& Note() const { return note_; }
    bool SendEnabled() const { return portOpen_; }
    std::uint32_t Port() const { return port_; }

    // OK: stores the view's bytes in the block. The error text when they are
    // no valid message (the dialog stays open), nothing on success.
    std::optional<std::string> Accept();
    // After a successful Accept: whether the block's bytes differ from before.
    bool Changed() const { return changed_; }

    // Send: queues a copy of the bytes on the track's port. The error text
    // when there is nothing to send; otherwise the caller polls SendFinished
    // (letting the window handle SYSEX_DONE meanwhile) before going on.
    std::optional<std::string> StartSend();
    bool Sending() const { return sending_ != nullptr; }
    // True once the queue is empty; the copy is then released.
    bool SendFinished();

  private:
    SysexEditorForm(Track& track, std::uint32_t id, EngineLink& engine, SysexQueue& queue,
                    const PromptTable& prompts, bool portOpen);
    std::string Text(prompt::Id id) const { return std::string(prompts_.Text(id)); }

    Track& track_;
    std::uint32_t id_;
    EngineLink& engine_;
    SysexQueue& queue_;
    const PromptTable& prompts_;
    std::uint32_t port_;
    bool portOpen_;
    bool changed_ = false;
    std::string note_;
    SyxView view_;
    std::unique_ptr<SysexBlock> sending_;
};

}  // namespace kvs

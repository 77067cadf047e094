#include "ui/qt/modal_input.h"

namespace kvs {
namespace {

// Any non-zero value registers "the window's open dialog".
constexpr std::uint32_t kWindowDialog = 1;

}  // namespace

void ModalInput::Begin() {
    Saved saved;
    saved.guard = std::make_unique<Application::ModalGuard>(app_);
    saved.dialog = app_.GetRecorder().SetMidiInDialog(kWindowDialog);
    saved_.push_back(std::move(saved));
}

void ModalInput::End() {
    if (saved_.empty()) return;
    (void)app_.GetRecorder().SetMidiInDialog(saved_.back().dialog);
    saved_.pop_back();
}

}  // namespace kvs

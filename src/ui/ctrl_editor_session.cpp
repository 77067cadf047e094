#include "ui/ctrl_editor_session.h"

#include "midi/engine.h"

namespace kvs {

CtrlEditorSession::CtrlEditorSession(CtrlEditorState& state, EditSession& session, EngineLink& link,
                                     Engine& engine, const PromptTable& prompts)
    : engine_(engine), prompts_(prompts), form_(state, session, link, prompts, view_, *this) {}

CtrlEditorSession::~CtrlEditorSession() {
    engine_.EndPreview();
}

void CtrlEditorSession::Beep() {
    if (face_ != nullptr) face_->Beep();
}

void CtrlEditorSession::StatusChanged() {
    if (face_ != nullptr) face_->StatusChanged();
}

bool CtrlEditorSession::RunValueDialog(ValueDialog& dialog) {
    return face_ != nullptr && face_->RunValueDialog(dialog);
}

void CtrlEditorSession::ContextMenu(std::int32_t x, std::int32_t y) {
    if (face_ != nullptr) face_->ContextMenu(x, y);
}

void CtrlEditorSession::Close() {
    if (face_ != nullptr) face_->Close();
}

// A controller has no end: it sounds alone, and the preview only times out.
void CtrlEditorSession::Audition(std::uint32_t message, std::uint32_t port) {
    engine_.PreviewNote(message, 0, port, 0);
}

void CtrlEditorSession::EndAudition() {
    engine_.EndPreview();
}

}  // namespace kvs

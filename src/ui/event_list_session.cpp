#include "ui/event_list_session.h"

#include "midi/engine.h"

namespace kvs {

EventListSession::EventListSession(EditSession& session, EngineLink& link, Engine& engine,
                                   const PromptTable& prompts, std::uint32_t beat)
    : engine_(engine), prompts_(prompts), beat_(beat), model_(session, link, prompts, *this) {}

EventListSession::~EventListSession() {
    engine_.EndPreview();
}

bool EventListSession::RunValueDialog(ValueDialog& dialog) {
    return face_ != nullptr && face_->RunValueDialog(dialog);
}

std::optional<std::uint32_t> EventListSession::ChooseFromList(PromptText title, PromptText label,
                                                              const std::vector<std::string>& items,
                                                              std::uint32_t initial) {
    if (face_ == nullptr) return std::nullopt;
    return face_->ChooseFromList(title, label, items, initial);
}

bool EventListSession::EditSysex(Track& track, std::uint32_t beat, std::uint32_t index) {
    return face_ != nullptr && face_->EditSysex(track, beat, index);
}

void EventListSession::RowsChanged() {
    if (face_ != nullptr) face_->RowsChanged();
}

void EventListSession::Close() {
    if (face_ != nullptr) face_->Close();
}

void EventListSession::Audition(std::uint32_t noteOn, std::uint32_t noteOff, std::uint32_t port,
                                std::uint32_t ticks) {
    engine_.PreviewNote(noteOn, noteOff, port, ticks);
}

void EventListSession::EndAudition() {
    engine_.EndPreview();
}

}  // namespace kvs

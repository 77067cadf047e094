#pragma once

#include <cstdint>

#include "ui/event_list_model.h"

namespace kvs {

class Engine;

// One opening of the event list: its model on the session's current track,
// notes sounded through the engine's preview, and the window's part left to
// whichever face shows it.
class EventListSession final : private EventListHost {
  public:
    EventListSession(EditSession& session, EngineLink& link, Engine& engine,
                     const PromptTable& prompts, std::uint32_t beat);
    EventListSession(const EventListSession&) = delete;
    EventListSession& operator=(const EventListSession&) = delete;
    ~EventListSession() override;

    EventListModel& Model() { return model_; }
    const PromptTable& Prompts() const { return prompts_; }
    // The beat the list opens at.
    std::uint32_t OpenBeat() const { return beat_; }
    // Null while no window shows the list: its requests are then refused.
    void SetFace(EventListFace* face) { face_ = face; }
    void StopAudition() { EndAudition(); }

  private:
    bool RunValueDialog(ValueDialog& dialog) override;
    std::optional<std::uint32_t> ChooseFromList(PromptText title, PromptText label,
                                                const std::vector<std::string>& items,
                                                std::uint32_t initial) override;
    bool EditSysex(Track& track, std::uint32_t beat, std::uint32_t index) override;
    void RowsChanged() override;
    void Close() override;
    void Audition(std::uint32_t noteOn, std::uint32_t noteOff, std::uint32_t port,
                  std::uint32_t ticks) override;
    void EndAudition() override;

    Engine& engine_;
    const PromptTable& prompts_;
    std::uint32_t beat_;
    EventListFace* face_ = nullptr;
    EventListModel model_;
};

}  // namespace kvs

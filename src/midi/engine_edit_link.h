#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "midi/engine.h"
#include "model/engine_link.h"

namespace kvs {

// The editing commands' view of the playback engine. Every edit that may
// free or change a SysEx block does so under LockSong or by replacing the
// song, so both first make sure no SysEx on its way out still points into
// the song.
class EngineEditLink : public EngineLink {
  public:
    // thruNotesOff ends the notes MIDI thru left sounding; empty where no
    // thru runs.
    explicit EngineEditLink(Engine& engine, std::function<void()> thruNotesOff = {})
        : engine_(engine), thruNotesOff_(std::move(thruNotesOff)) {}

    bool Idle() const override { return !engine_.Busy(); }
    SongLock LockSong() override;
    void Stop() override { engine_.StopEngine(); }
    void SetSong(Song* song) override;
    void ReleaseTrackNotes(std::uint32_t track) override { engine_.ReleaseTrackNotes(track); }
    void ReleaseAllNotes() override;
    void ThruNotesOff() override {
        if (thruNotesOff_) thruNotesOff_();
    }
    void SetSoloTrack(std::int32_t track) override { engine_.SetSoloTrack(track); }
    void MovePosition(std::uint32_t beat) override {
        if (engine_.Busy()) engine_.Relocate(beat);
    }

  private:
    Engine& engine_;
    std::function<void()> thruNotesOff_;
    Song* song_ = nullptr;
};

}  // namespace kvs

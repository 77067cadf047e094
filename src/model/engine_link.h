#pragma once

#include <cstdint>
#include <mutex>

namespace kvs {

class Song;

// Holds the song lock while an edit changes what the playback timer reads; an
// empty lock where no engine runs.
using SongLock = std::unique_lock<std::mutex>;

// What editing needs from the playback engine, which lives in a higher layer.
// Never call the others while holding the lock of LockSong(): they may take
// it themselves.
class EngineLink {
  public:
    virtual ~EngineLink() = default;

    virtual bool Idle() const = 0;
    virtual SongLock LockSong() = 0;
    virtual void Stop() = 0;
    // The song the engine plays from now on (only while stopped).
    virtual void SetSong(Song* song) = 0;
    // Ends the sounding notes and pedals of one track, or of every track.
    virtual void ReleaseTrackNotes(std::uint32_t track) = 0;
    virtual void ReleaseAllNotes() = 0;
    // Ends the notes that MIDI thru started and has not ended yet.
    virtual void ThruNotesOff() = 0;
    // Tells the engine which track is soloed, -1 for none.
    virtual void SetSoloTrack(std::int32_t track) = 0;
    // Moves playback to the beat; nothing while stopped.
    virtual void MovePosition(std::uint32_t beat) = 0;
};

// No engine at all: always idle, nothing sounds.
class NullEngineLink : public EngineLink {
  public:
    bool Idle() const override { return true; }
    SongLock LockSong() override { return {}; }
    void Stop() override {}
    void SetSong(Song*) override {}
    void ReleaseTrackNotes(std::uint32_t) override {}
    void ReleaseAllNotes() override {}
    void ThruNotesOff() override {}
    void SetSoloTrack(std::int32_t) override {}
    void MovePosition(std::uint32_t) override {}
};

}  // namespace kvs

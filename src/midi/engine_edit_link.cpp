#include "midi/engine_edit_link.h"

#include "model/song.h"

namespace kvs {

SongLock EngineEditLink::LockSong() {
    // Under the lock the timer queues nothing new from the song.
    SongLock lock = engine_.LockSong();
    engine_.ReleaseSysex();
    return lock;
}

void EngineEditLink::SetSong(Song* song) {
    engine_.ReleaseSysex();
    song_ = song;
    engine_.SetSong(song);
}

void EngineEditLink::ReleaseAllNotes() {
    if (song_ == nullptr) return;
    for (std::uint32_t i = 0; i < song_->TrackCount(); ++i)
        engine_.ReleaseTrackNotes(i);
}

}  // namespace kvs

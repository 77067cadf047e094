#include "midi/engine_edit_link.h"

#include "model/song.h"

namespace kvs {

void EngineEditLink::SetSong(Song* song) {
    song_ = song;
    engine_.SetSong(song);
}

void EngineEditLink::ReleaseAllNotes() {
    if (song_ == nullptr) return;
    for (std::uint32_t i = 0; i < song_->TrackCount(); ++i)
        engine_.ReleaseTrackNotes(i);
}

}  // namespace kvs

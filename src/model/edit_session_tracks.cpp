// The commands on the track list, the markers and the song as a whole.

#include "model/edit_session.h"

namespace kvs {

EditResult EditSession::SetTrackProperties(const TrackProperties& properties) {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    const EditResult saved = SaveUndo();
    if (saved != EditResult::Done) return saved;
    {
        SongLock lock = engine_.LockSong();
        track->properties = properties;
    }
    Modified();
    return EditResult::Done;
}

EditResult EditSession::ApplyChange(const ChangeRecord& record) {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    const EditResult saved = SaveUndo();
    if (saved != EditResult::Done) return saved;
    bool stored = false;
    {
        SongLock lock = engine_.LockSong();
        stored = ApplyChangeRecord(*track, record);
    }
    Modified();
    return stored ? EditResult::Done : EditResult::Failed;
}

void EditSession::SetSongName(std::string_view name) {
    song_->name.Set(name);
    Modified();
}

void EditSession::SetSongCopyright(std::string_view copyright) {
    song_->copyright.Set(copyright);
    Modified();
}

// Restructuring the list would leave the undo copy naming another track's
// place, so it goes.
EditResult EditSession::InsertTrack() {
    if (!engine_.Idle()) return EditResult::EngineBusy;
    engine_.ThruNotesOff();
    {
        SongLock lock = engine_.LockSong();
        if (!song_->InsertTrack(-1)) return EditResult::Failed;
        song_->GetTrack(song_->TrackCount() - 1)->properties.port =
            static_cast<std::uint16_t>(defaultPort_);
    }
    current_ = static_cast<std::int32_t>(song_->TrackCount() - 1);
    DiscardUndo();
    Modified();
    return EditResult::Done;
}

EditResult EditSession::DeleteTrack() {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    engine_.ThruNotesOff();
    {
        SongLock lock = engine_.LockSong();
        if (!song_->DeleteTrack(current_)) return EditResult::Failed;
    }
    // The solo mark stays with its track.
    if (solo_ == current_)
        ChangeSolo(-1);
    else if (solo_ > current_)
        ChangeSolo(solo_ - 1);
    if (static_cast<std::uint32_t>(current_) == song_->TrackCount()) --current_;
    DiscardUndo();
    Modified();
    return EditResult::Done;
}

EditResult EditSession::MoveTrack() {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    const auto position =
        ask_.AskNumber("trk_move_title", "trk_move_move", 1,
                       static_cast<std::int32_t>(song_->TrackCount()), current_ + 1);
    if (!position) return EditResult::Cancelled;
    if (*position < 1) return EditResult::BadValue;
    return MoveTrack(static_cast<std::uint32_t>(*position));
}

EditResult EditSession::MoveTrack(std::uint32_t position) {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    if (position < 1 || position > song_->TrackCount()) return EditResult::BadValue;
    const std::int32_t to = static_cast<std::int32_t>(position - 1);
    {
        SongLock lock = engine_.LockSong();
        if (!song_->MoveTrack(current_, to)) return EditResult::Failed;
    }
    ChangeSolo(-1);
    current_ = to;
    DiscardUndo();
    Modified();
    return EditResult::Done;
}

EditResult EditSession::SortTracks() {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    engine_.ThruNotesOff();
    ChangeSolo(-1);
    {
        SongLock lock = engine_.LockSong();
        song_->SortTracks();
    }
    DiscardUndo();
    Modified();
    return EditResult::Done;
}

EditResult EditSession::SetAllPorts() {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    const auto port = ask_.AskPort("trk_setallports_title", "trk_setallports_select", defaultPort_);
    if (!port) return EditResult::Cancelled;
    return SetAllPorts(*port);
}

EditResult EditSession::SetAllPorts(std::uint32_t port) {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    if (port > 0xFFFF) return EditResult::BadValue;
    {
        SongLock lock = engine_.LockSong();
        for (std::uint32_t i = 0; i < song_->TrackCount(); ++i)
            song_->GetTrack(i)->properties.port = static_cast<std::uint16_t>(port);
    }
    Modified();
    return EditResult::Done;
}

EditResult EditSession::Mute() {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    bool muted = false;
    {
        SongLock lock = engine_.LockSong();
        track->properties.muted = track->properties.muted != 0 ? 0 : 1;
        muted = track->properties.muted != 0;
    }
    Modified();
    if (muted) engine_.ReleaseTrackNotes(static_cast<std::uint32_t>(current_));
    return EditResult::Done;
}

EditResult EditSession::Solo() {
    if (Current() == nullptr) return EditResult::NoTrack;
    Modified();
    if (solo_ < 0) {
        ChangeSolo(current_);
        for (std::uint32_t i = 0; i < song_->TrackCount(); ++i)
            if (static_cast<std::int32_t>(i) != solo_) engine_.ReleaseTrackNotes(i);
        return EditResult::Done;
    }
    const std::int32_t former = solo_;
    ChangeSolo(-1);
    const Track* track = song_->GetTrack(static_cast<std::uint32_t>(former));
    if (track != nullptr && track->properties.muted != 0)
        engine_.ReleaseTrackNotes(static_cast<std::uint32_t>(former));
    return EditResult::Done;
}

EditResult EditSession::UnmuteAll() {
    if (Current() == nullptr) return EditResult::NoTrack;
    ChangeSolo(-1);
    {
        SongLock lock = engine_.LockSong();
        for (std::uint32_t i = 0; i < song_->TrackCount(); ++i)
            song_->GetTrack(i)->properties.muted = 0;
    }
    Modified();
    return EditResult::Done;
}

void EditSession::ChangeSolo(std::int32_t solo) {
    if (solo == solo_) return;
    solo_ = solo;
    engine_.SetSoloTrack(solo);
}

EditResult EditSession::SetMarker(std::uint32_t slot) {
    if (slot >= kMarkerCount) return EditResult::BadValue;
    SongLock lock = engine_.LockSong();
    song_->SetMarker(slot, selection_.Caret());
    return EditResult::Done;
}

EditResult EditSession::ClearMarker(std::uint32_t slot) {
    if (slot >= kMarkerCount) return EditResult::BadValue;
    SongLock lock = engine_.LockSong();
    song_->SetMarker(slot, kUnsetMarker);
    return EditResult::Done;
}

EditResult EditSession::ClearAllMarkers() {
    if (!ask_.Confirm("goto_clrallmarks_conf")) return EditResult::Cancelled;
    SongLock lock = engine_.LockSong();
    for (std::uint32_t slot = 0; slot < kMarkerCount; ++slot)
        song_->SetMarker(slot, kUnsetMarker);
    return EditResult::Done;
}

EditResult EditSession::GoToMarker(std::uint32_t slot) {
    if (slot >= kMarkerCount) return EditResult::BadValue;
    if (song_->markers[slot] == kUnsetMarker) return EditResult::NotFound;
    GoTo(song_->markers[slot]);
    return EditResult::Done;
}

EditResult EditSession::GoToPrevMark() {
    const auto mark = song_->PrevMark(selection_.Caret());
    if (!mark) return EditResult::NotFound;
    GoTo(*mark);
    return EditResult::Done;
}

EditResult EditSession::GoToNextMark() {
    const auto mark = song_->NextMark(selection_.Caret());
    if (!mark) return EditResult::NotFound;
    GoTo(*mark);
    return EditResult::Done;
}

void EditSession::SelectMarked() {
    const std::uint32_t left = song_->markers[kMarkerLeft];
    std::uint32_t right = song_->markers[kMarkerRight];
    if (right == kUnsetMarker) right = Current() != nullptr ? Current()->BeatCount() : 0;
    selection_.Select(left == kUnsetMarker ? 0 : left, right);
}

void EditSession::NewSong() {
    if (!engine_.Idle()) engine_.Stop();
    auto fresh = std::make_unique<Song>();
    engine_.SetSong(fresh.get());
    song_ = std::move(fresh);
    current_ = -1;
    ChangeSolo(-1);
    songPath_.clear();
    DiscardUndo();
}

}  // namespace kvs

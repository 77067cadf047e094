#include "model/edit_session.h"

#include <algorithm>
#include <limits>

#include "model/track_copy.h"

namespace kvs {

namespace {

constexpr std::uint32_t kAnyData1 = 0xFF;

std::uint32_t SaturatingAdd(std::uint32_t a, std::uint32_t b) {
    return b > std::numeric_limits<std::uint32_t>::max() - a
               ? std::numeric_limits<std::uint32_t>::max()
               : a + b;
}

}  // namespace

EditSession::EditSession(EngineLink& engine, BeatSelection& selection, EditAsk& ask)
    : engine_(engine), selection_(selection), ask_(ask), song_(std::make_unique<Song>()) {
    engine_.SetSong(song_.get());
}

EditSession::~EditSession() {
    engine_.SetSong(nullptr);
}

EditResult EditSession::SetCurrentTrack(std::int32_t index) {
    if (index < -1 || (index >= 0 && static_cast<std::uint32_t>(index) >= song_->TrackCount()))
        return EditResult::BadValue;
    current_ = index;
    return EditResult::Done;
}

EditResult EditSession::SaveUndo() {
    const Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    DiscardUndo();
    undo_ = track->Clone();
    if (undo_ == nullptr) return EditResult::Failed;
    undoIndex_ = current_;
    return EditResult::Done;
}

EditResult EditSession::Undo() {
    if (undo_ == nullptr || undoIndex_ < 0) return EditResult::NoUndo;
    const std::uint32_t index = static_cast<std::uint32_t>(undoIndex_);
    if (index >= song_->TrackCount()) {
        DiscardUndo();
        return EditResult::NoUndo;
    }
    {
        SongLock lock = engine_.LockSong();
        undo_ = song_->ReplaceTrack(index, std::move(undo_));
    }
    Modified();
    current_ = undoIndex_;
    return EditResult::Done;
}

void EditSession::DiscardUndo() {
    undo_.reset();
    undoIndex_ = -1;
}

EditResult EditSession::Copy() {
    const Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    if (selection_.Anchor() == selection_.Caret()) return EditResult::NoSelection;
    clipboard_.reset();
    clipboard_ = CopyBeats(*track, selection_.Start(), selection_.End());
    return clipboard_ ? EditResult::Done : EditResult::Failed;
}

EditResult EditSession::Cut() {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    // Cutting deletes beats, which is refused while the engine runs.
    if (!engine_.Idle()) return EditResult::EngineBusy;
    const EditResult saved = SaveUndo();
    if (saved != EditResult::Done) return saved;
    Modified();
    // Without a selection nothing is copied, but a column is still deleted.
    if (selection_.Anchor() != selection_.Caret()) {
        const EditResult copied = Copy();
        if (copied != EditResult::Done) return copied;
    }
    DeleteSelectedBeats(*track);
    return EditResult::Done;
}

EditResult EditSession::PasteMultiple() {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (ClipboardLength() == 0) return EditResult::EmptyClipboard;
    const auto n =
        ask_.AskNumber("edit_pastemulti_title", "edit_pastemulti_copies", 1, kMaxCopies, 1);
    if (!n) return EditResult::Cancelled;
    return PasteMultiple(static_cast<std::uint32_t>(*n));
}

EditResult EditSession::PasteMultiple(std::uint32_t copies) {
    return PasteCopies(copies, true);
}

EditResult EditSession::MergeMultiple() {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (ClipboardLength() == 0) return EditResult::EmptyClipboard;
    const auto n =
        ask_.AskNumber("edit_mergemulti_title", "edit_mergemulti_copies", 1, kMaxCopies, 1);
    if (!n) return EditResult::Cancelled;
    return MergeMultiple(static_cast<std::uint32_t>(*n));
}

EditResult EditSession::MergeMultiple(std::uint32_t copies) {
    return PasteCopies(copies, false);
}

EditResult EditSession::PasteCopies(std::uint32_t copies, bool insert) {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    const std::uint32_t length = ClipboardLength();
    if (length == 0) return EditResult::EmptyClipboard;
    if (copies < 1 || copies > kMaxCopies) return EditResult::BadValue;
    const std::uint32_t caret = selection_.Caret();
    const std::uint64_t beats = std::uint64_t{copies} * length;
    // Refused before anything changes: a paste that could only be done in
    // part would leave copies lying over the music after the caret.
    const std::uint64_t grown = insert && caret < track->BeatCount() ? track->BeatCount() : caret;
    if (grown + beats > kMaxTrackBeats) return EditResult::Failed;

    const EditResult saved = SaveUndo();
    if (saved != EditResult::Done) return saved;
    Modified();
    bool ok = true;
    {
        SongLock lock = engine_.LockSong();
        if (insert) {
            ok = track->TruncateNotesAt(caret);
            // Beyond the track's end there is nothing to make room for.
            if (ok && caret <= track->BeatCount())
                ok = track->InsertBeats(caret, static_cast<std::uint32_t>(beats));
        }
        for (std::uint32_t k = 0; ok && k < copies; ++k)
            ok = MergeTrack(*track, *clipboard_, caret + k * length);
    }
    const std::uint32_t after = caret + static_cast<std::uint32_t>(beats);
    selection_.Select(after, after);
    return ok ? EditResult::Done : EditResult::Failed;
}

void EditSession::DeleteSelectedBeats(Track& track) {
    std::uint32_t anchor = selection_.Anchor();
    std::uint32_t caret = selection_.Caret();
    if (anchor == caret) caret = SaturatingAdd(caret, selection_.Zoom());
    const std::uint32_t start = std::min(anchor, caret);
    const std::uint32_t end = std::max(anchor, caret);
    {
        SongLock lock = engine_.LockSong();
        track.DeleteBeats(start, end - start);
    }
    selection_.Select(start, start);
}

EditResult EditSession::DeleteBeats() {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    const EditResult saved = SaveUndo();
    if (saved != EditResult::Done) return saved;
    Modified();
    DeleteSelectedBeats(*track);
    return EditResult::Done;
}

EditResult EditSession::ClearBeats() {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    if (selection_.Anchor() == selection_.Caret()) return EditResult::NoSelection;
    const EditResult saved = SaveUndo();
    if (saved != EditResult::Done) return saved;
    Modified();
    const std::uint32_t start = selection_.Start();
    const std::uint32_t end = std::min(selection_.End(), track->BeatCount());
    bool ok = true;
    {
        SongLock lock = engine_.LockSong();
        ok = track->TruncateNotesAt(start);
        for (std::uint32_t beat = start; ok && beat < end; ++beat)
            ok = track->ClearBeat(beat);
    }
    return ok ? EditResult::Done : EditResult::Failed;
}

EditResult EditSession::InsertBeats() {
    Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    if (!engine_.Idle()) return EditResult::EngineBusy;
    const EditResult saved = SaveUndo();
    if (saved != EditResult::Done) return saved;
    Modified();
    bool ok = true;
    {
        SongLock lock = engine_.LockSong();
        // Past the track's end there are no beats to move: nothing to insert.
        if (selection_.Caret() < track->BeatCount())
            ok = track->InsertBeats(selection_.Caret(), selection_.Zoom());
    }
    selection_.Select(selection_.Anchor(), selection_.Anchor());
    return ok ? EditResult::Done : EditResult::Failed;
}

EditResult EditSession::Find() {
    if (Current() == nullptr) return EditResult::NoTrack;
    FindRequest start = search_;
    if (start.value == 0) start.value = PackMessage(0x90, 60);
    const std::optional<FindRequest> asked = ask_.AskFind(start);
    if (!asked) return EditResult::Cancelled;
    search_ = *asked;
    return SearchFrom(search_);
}

EditResult EditSession::FindNext() {
    if (Current() == nullptr) return EditResult::NoTrack;
    if (search_.value == 0) return Find();
    return SearchFrom(search_);
}

EditResult EditSession::SearchFrom(const FindRequest& request) {
    const Track* track = Current();
    if (track == nullptr) return EditResult::NoTrack;
    EventSearch search;
    search.value = request.value;
    search.mask = Data1(request.value) == kAnyData1 ? 0xF0u : 0xFFF0u;
    search.backward = request.direction == 1;
    // The event at the start position is never examined: forward that is
    // the first event of the beat after the caret.
    const std::uint64_t startBeat = std::uint64_t{selection_.Caret()} + (search.backward ? 0 : 1);
    const std::uint64_t maxBeat = std::numeric_limits<std::int32_t>::max();
    search.startBeat = static_cast<std::int32_t>(std::min(startBeat, maxBeat));
    search.startIndex = 0;
    if (track->FindEvent(search)) {
        GoTo(static_cast<std::uint32_t>(search.found.beat));
        return EditResult::Done;
    }
    ask_.ShowError("error_notfound");
    return EditResult::NotFound;
}

void EditSession::GoTo(std::uint32_t beat) {
    selection_.Select(beat, beat);
    if (!engine_.Idle()) engine_.MovePosition(beat);
}

}  // namespace kvs

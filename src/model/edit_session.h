#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/beat_selection.h"
#include "model/change_record.h"
#include "model/edit_ask.h"
#include "model/engine_link.h"
#include "model/song.h"
#include "model/track.h"

namespace kvs {

// Why an edit command did nothing (Done when it did its work).
enum class EditResult : std::uint8_t {
    Done,
    NoTrack,         // no current track
    NoSelection,     // anchor and caret are the same beat
    EmptyClipboard,  // no clipboard, or one without events
    NoUndo,          // no undo copy
    EngineBusy,      // the engine is playing or recording
    Cancelled,       // the user cancelled the question
    BadValue,        // an argument out of range
    NotFound,
    Failed,  // out of memory, or the track would grow too long
};

// The editing state the application keeps beside the song, and the commands
// that change the song through it. The main window, the tools and recording
// share one session. Every change to the song sets its modified flag; every
// change to events the engine may be playing is made under the song lock.
class EditSession {
  public:
    static constexpr std::uint32_t kMaxCopies = 1000;

    EditSession(EngineLink& engine, BeatSelection& selection, EditAsk& ask);
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    // NewSong replaces the song: hold on to it no longer than one command.
    Song& GetSong() { return *song_; }
    const Song& GetSong() const { return *song_; }
    BeatSelection& Selection() { return selection_; }

    std::int32_t CurrentTrack() const { return current_; }
    Track* Current() {
        return current_ < 0 ? nullptr : song_->GetTrack(static_cast<std::uint32_t>(current_));
    }
    // -1 or a valid index; BadValue otherwise.
    EditResult SetCurrentTrack(std::int32_t index);
    std::int32_t SoloTrack() const { return solo_; }
    const std::string& SongPath() const { return songPath_; }
    void SetSongPath(std::string path) { songPath_ = std::move(path); }
    std::uint32_t DefaultPort() const { return defaultPort_; }
    void SetDefaultPort(std::uint32_t port) { defaultPort_ = port; }

    const Track* Clipboard() const { return clipboard_.get(); }
    std::uint32_t ClipboardLength() const { return clipboard_ ? clipboard_->BeatCount() : 0; }
    const Track* UndoCopy() const { return undo_.get(); }
    std::int32_t UndoIndex() const { return undoIndex_; }
    FindRequest Search() const { return search_; }
    void SetSearch(const FindRequest& search) { search_ = search; }

    // Undo and clipboard.
    EditResult SaveUndo();
    // Exchanges the undo copy with its track, so a second Undo redoes.
    EditResult Undo();
    void DiscardUndo();
    EditResult Copy();
    EditResult Cut();
    EditResult Paste() { return PasteMultiple(1); }
    EditResult PasteMultiple();  // asks for the count
    EditResult PasteMultiple(std::uint32_t copies);
    EditResult Merge() { return MergeMultiple(1); }
    EditResult MergeMultiple();  // asks for the count
    EditResult MergeMultiple(std::uint32_t copies);

    // Beat edits on the current track.
    EditResult DeleteBeats();
    EditResult ClearBeats();
    EditResult InsertBeats();

    // Opens the Find dialog, then searches.
    EditResult Find();
    // Searches on from the caret; opens the Find dialog when there is no
    // search yet. Reports "Not found" itself.
    EditResult FindNext();

    // Properties (the caller has validated the values).
    EditResult SetTrackProperties(const TrackProperties& properties);
    // The property events at the record's beat of the current track.
    EditResult ApplyChange(const ChangeRecord& record);
    void SetSongName(std::string_view name);
    void SetSongCopyright(std::string_view copyright);

    // The track list.
    EditResult InsertTrack();
    EditResult DeleteTrack();
    EditResult MoveTrack();                        // asks for the position
    EditResult MoveTrack(std::uint32_t position);  // 1-based
    EditResult SortTracks();
    EditResult SetAllPorts();  // asks for the port
    EditResult SetAllPorts(std::uint32_t port);
    EditResult Mute();
    EditResult Solo();
    EditResult UnmuteAll();

    // Markers and positions.
    EditResult SetMarker(std::uint32_t slot);  // at the caret
    EditResult ClearMarker(std::uint32_t slot);
    EditResult ClearAllMarkers();  // asks first
    EditResult GoToMarker(std::uint32_t slot);
    EditResult GoToPrevMark();
    EditResult GoToNextMark();
    void SelectMarked();
    // Makes the beat the position, and the playback position while playing.
    void GoTo(std::uint32_t beat);

    // Replaces the song with an empty one, stopping the engine first.
    void NewSong();

  private:
    EditResult PasteCopies(std::uint32_t copies, bool insert);
    EditResult SearchFrom(const FindRequest& search);
    void DeleteSelectedBeats(Track& track);
    void ChangeSolo(std::int32_t solo);
    void Modified() { song_->modified = 1; }

    EngineLink& engine_;
    BeatSelection& selection_;
    EditAsk& ask_;
    std::unique_ptr<Song> song_;
    std::int32_t current_ = -1;
    std::int32_t solo_ = -1;
    std::string songPath_;
    std::uint32_t defaultPort_ = 0;
    std::unique_ptr<Track> clipboard_;
    std::unique_ptr<Track> undo_;
    std::int32_t undoIndex_ = -1;
    FindRequest search_;
};

}  // namespace kvs

#include "ui/program_note_editor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app_test_support.h"
#include "ui/commands.h"

namespace kvs {
namespace {

std::uint32_t EventCount(const Track& track) {
    std::uint32_t n = 0;
    for (std::uint32_t b = 0; b < track.BeatCount(); ++b)
        n += track.Bucket(b)->Count();
    return n;
}

TEST(ProgramNoteEditor, OpensAtTheCaretOfTheCurrentTrackAndHandsInputBackOnClosing) {
    test::AppFixture f;
    f.Open(f.WriteSong("two.mid", 2, 8));
    f.app->SelectTrackFromList(1);
    f.app->View().Select(4, 4);
    Recorder& recorder = f.app->GetRecorder();
    const std::uint32_t before = EventCount(*f.app->GetSong().GetTrack(1));
    f.host.noteEditor = [&](ProgramNoteEditor& editor) {
        editor.Open();
        NoteView& view = editor.View();
        EXPECT_EQ(view.TrackIndex(), 1u);
        EXPECT_EQ(view.Cursor(), 4u * TICKS_PER_BEAT);
        EXPECT_TRUE(recorder.InputSuspended());
        EXPECT_EQ(recorder.MidiInDialog(), ProgramNoteEditor::kMidiInId);
        // The note under the caret sounds on the track's port and channel.
        const std::vector<std::uint32_t> sent = f.Shorts();
        EXPECT_NE(std::find(sent.begin(), sent.end(), 0x643C91u), sent.end());
        EXPECT_FALSE(editor.Changed());
        view.KeyDown(NoteViewKey::Delete, false, false, false);
        EXPECT_TRUE(editor.Changed());
        // The window closes the dialog without the Close command.
    };
    f.app->Execute(cmd::EditNotes);
    EXPECT_FALSE(recorder.InputSuspended());
    EXPECT_EQ(recorder.MidiInDialog(), 0u);
    EXPECT_EQ(EventCount(*f.app->GetSong().GetTrack(1)), before - 2);
    EXPECT_NE(f.app->GetSong().modified, 0u);

    f.app->Execute(cmd::EditUndo);
    EXPECT_EQ(EventCount(*f.app->GetSong().GetTrack(1)), before);
}

TEST(ProgramNoteEditor, AWindowWithoutTheEditorLeavesTheUndoCopyAlone) {
    test::AppFixture f;
    f.Open(f.WriteSong("two.mid", 2, 8));
    f.app->SelectTrackFromList(1);
    f.app->Execute(cmd::EditDelete);  // an edit with its own undo copy
    const std::uint32_t edited = EventCount(*f.app->GetSong().GetTrack(1));
    f.app->Execute(cmd::EditNotes);
    f.app->Execute(cmd::EditUndo);
    EXPECT_GT(EventCount(*f.app->GetSong().GetTrack(1)), edited);
}

}  // namespace
}  // namespace kvs

#include "ui/application.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "app_test_support.h"
#include "midi/engine.h"
#include "midi/output_commands.h"
#include "ui/commands.h"

namespace kvs::test {
namespace {

bool Contains(const std::vector<std::uint32_t>& v, std::uint32_t x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

TEST(ApplicationTest, LocalControlFollowsAutolocal) {
    {
        AppFixture f("autolocal=1\r\n");
        EXPECT_EQ(f.Shorts(), std::vector<std::uint32_t>{kLocalOffMessage});
        f.app->ExitSequence();
        EXPECT_EQ(f.Shorts(), (std::vector<std::uint32_t>{kLocalOffMessage, kLocalOnMessage}));
    }
    AppFixture plain;
    plain.app->ExitSequence();
    EXPECT_TRUE(plain.Shorts().empty());
}

TEST(ApplicationTest, OpenFromCommandLineShowsSongAndSendsAfterLoad) {
    AppFixture f("autoloadsend=2\r\n");
    EXPECT_EQ(f.app->WindowTitle(), "Untitled - Kavelsong");
    f.WriteSong("a&b.mid", 3, 4);
    f.Open("a&b.mid");  // relative to the folder the program started in
    EXPECT_TRUE(f.host.errors.empty());
    EXPECT_EQ(f.app->WindowTitle(), "a&b.mid - Kavelsong");
    EXPECT_EQ(f.app->Session().SongPath(), f.data.File("a&b.mid"));
    ASSERT_EQ(f.app->TrackCount(), 3u);
    EXPECT_EQ(f.app->CurrentTrack(), 0);
    EXPECT_TRUE(f.app->TrackListRow(1).ends_with("\t2:Virtual Out")) << f.app->TrackListRow(1);
    EXPECT_EQ(f.app->RecentFileItems(), std::vector<std::string>{"&1 a&&b.mid"});
    const auto s = f.app->StatusTexts();
    EXPECT_EQ(s[0], "Track 1");
    EXPECT_EQ(s[1], "Pos 0");
    EXPECT_EQ(f.host.tips, 0);
    // GM reset after the load.
    ASSERT_EQ(f.Longs().size(), 1u);
    EXPECT_EQ(f.Longs()[0], (std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));

    // Display units change the position's text.
    f.app->Execute(cmd::UnitsBar);
    EXPECT_EQ(f.app->StatusTexts()[1], "Bar 1:1");
    EXPECT_TRUE(f.app->StateOf(cmd::UnitsBar).checked);
    EXPECT_FALSE(f.app->StateOf(cmd::UnitsPosition).checked);
}

TEST(ApplicationTest, FailedLoadLeavesNoPathToSaveOver) {
    AppFixture f;
    const std::string bad = f.data.File("bad.mid");
    std::ofstream(bad) << "MThd garbage";
    f.Open(bad);
    EXPECT_EQ(f.host.errors.size(), 1u);
    EXPECT_EQ(f.app->WindowTitle(), "Untitled - Kavelsong");
    EXPECT_EQ(f.app->Execute(cmd::FileSave), 0);  // asks for a name, cancelled
    ASSERT_EQ(f.host.fileRequests.size(), 1u);
    EXPECT_TRUE(f.host.fileRequests[0].Save());
    std::ifstream in(bad);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "MThd garbage");
}

TEST(ApplicationTest, SaveQuestionBeforeReplacingTheSong) {
    AppFixture f;
    const std::string path = f.WriteSong("song.mid", 2, 2);
    f.Open(path);
    f.app->Execute(cmd::Loop);  // modifies the song
    ASSERT_NE(f.app->GetSong().modified, 0u);

    // Cancel keeps everything, for New and for a recent file alike.
    f.app->Execute(cmd::FileNew);
    f.app->Execute(cmd::RecentFirst);
    ASSERT_EQ(f.host.questions.size(), 2u);
    EXPECT_NE(f.host.questions[0].find(path), std::string::npos);
    EXPECT_EQ(f.app->TrackCount(), 2u);
    EXPECT_EQ(f.app->Session().SongPath(), path);

    f.host.saveAnswers = {UiHost::Answer::No};
    f.app->Execute(cmd::FileNew);
    EXPECT_EQ(f.app->TrackCount(), 0u);
    EXPECT_TRUE(f.app->Session().SongPath().empty());

    // Yes on an untitled song asks for a name and writes it.
    f.app->Execute(cmd::TrackInsert);
    f.host.saveAnswers = {UiHost::Answer::Yes};
    f.host.files = {UiHost::FileChoice{f.data.File("new.mid"), 1}};
    f.app->Execute(cmd::FileNew);
    EXPECT_EQ(f.host.questions.back(), "The file has not been saved. Do you want to save it?");
    EXPECT_TRUE(std::ifstream(f.data.File("new.mid")).good());
    EXPECT_EQ(f.app->CurrentSaveType(), SaveType::Type1);
    EXPECT_EQ(f.app->TrackCount(), 0u);
    EXPECT_EQ(f.app->RecentFileItems()[0], "&1 new.mid");
}

TEST(ApplicationTest, MenuStatesFollowTracksSelectionClipboardAndEngine) {
    AppFixture f;
    auto enabled = [&](std::uint32_t id) { return f.app->StateOf(id).enabled; };
    EXPECT_FALSE(enabled(cmd::FileSave));
    EXPECT_FALSE(enabled(cmd::TrackDelete));
    EXPECT_TRUE(enabled(cmd::TrackInsert));
    EXPECT_EQ(f.app->StatusTexts()[0], "");
    f.app->KeyFromTrackList(ListKey::Delete, true, false);  // Ctrl+Delete: no track to delete
    EXPECT_EQ(f.app->TrackCount(), 0u);

    f.Open(f.WriteSong("s.mid", 2, 8));
    EXPECT_TRUE(enabled(cmd::FileSave));
    EXPECT_FALSE(enabled(cmd::EditCut));
    f.app->View().Select(0, 2);
    EXPECT_TRUE(enabled(cmd::EditCut));
    EXPECT_FALSE(enabled(cmd::EditPaste));
    f.app->Execute(cmd::EditCopy);
    EXPECT_TRUE(enabled(cmd::EditPaste));
    EXPECT_FALSE(enabled(cmd::EditSelectMarked));

    f.app->Execute(cmd::PlayStop);
    f.timer->Fire(5);  // past the start delay
    EXPECT_EQ(f.app->StatusTexts()[2], "Play");
    for (std::uint32_t id :
         {cmd::TrackInsert, cmd::EditPaste, cmd::TrackDelete, cmd::ToolFirst, cmd::OptPorts})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(cmd::EditCut));
    EXPECT_TRUE(f.app->MinimizeRequested());  // stops, and the window stays
    EXPECT_FALSE(f.app->MinimizeRequested());
    EXPECT_EQ(f.host.closes, 0);
    EXPECT_TRUE(enabled(cmd::TrackInsert));

    f.app->Execute(cmd::Metronome);
    f.app->Execute(cmd::PunchRecord);
    f.app->Execute(cmd::Loop);
    const auto s = f.app->StatusTexts();
    EXPECT_EQ(s[3], f.app->StateOf(cmd::Metronome).checked ? "Metro" : "");
    EXPECT_EQ(s[4], "Punch");
    EXPECT_EQ(s[5], "Loop");
    EXPECT_TRUE(f.app->StateOf(cmd::Loop).checked);
}

TEST(ApplicationTest, PlaybackIsFollowedAndQuitAfterPlayCloses) {
    AppFixture f;
    const std::string path = f.WriteSong("p.mid", 1, 4);
    const std::vector<std::string> words = {"/p", "/q", path};
    f.app->RunCommandLine(ParseCommandLine(words, "/"));
    ASSERT_TRUE(f.app->GetEngine().Busy());
    std::uint32_t furthest = 0;
    for (int i = 0; i < 100 && f.host.closes == 0; ++i) {
        f.timer->Fire(50);
        f.app->ProcessNotifications();
        furthest = std::max(furthest, f.app->View().Caret());
    }
    EXPECT_GE(furthest, 2u);  // the caret followed playback
    EXPECT_EQ(f.app->GetEngine().State(), EngineState::Stop);
    EXPECT_EQ(f.host.closes, 1);
    EXPECT_TRUE(f.app->CloseRequested());  // nothing to save: a script is not held up
    // The notes went out.
    EXPECT_TRUE(Contains(f.Shorts(), 0x643C90u));
}

TEST(ApplicationTest, TimerThreadWakesTheWindowThread) {
    AppFixture f({}, true);
    const std::vector<std::string> words = {"/p", "/q", f.WriteSong("w.mid", 1, 1)};
    f.app->RunCommandLine(ParseCommandLine(words, "/"));
    pollfd wake{f.app->WakeFd(), POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (f.host.closes == 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(&wake, 1, 1000) > 0) f.app->ProcessNotifications();
    }
    EXPECT_EQ(f.host.closes, 1);
    EXPECT_TRUE(Contains(f.Shorts(), 0x003C80u));
}

TEST(ApplicationTest, HandOverRefusedWhileRecordingAndResolvedAgainstItsFolder) {
    AppFixture f;
    f.Open(f.WriteSong("a.mid", 2, 2));
    f.WriteSong("b.mid", 3, 2);
    f.app->Execute(cmd::Record);
    ASSERT_TRUE(IsRecording(f.app->GetEngine().State()));
    EXPECT_FALSE(f.app->ReceiveHandOver({"b.mid"}, f.data.Path()));
    EXPECT_EQ(f.host.errors, std::vector<std::string>{"Cannot accept command line"});
    EXPECT_EQ(f.app->TrackCount(), 2u);
    f.app->Execute(cmd::PlayStop);
    f.app->ProcessNotifications();

    f.host.saveAnswers = {UiHost::Answer::No, UiHost::Answer::No};
    EXPECT_TRUE(f.app->ReceiveHandOver({"b.mid"}, f.data.Path()));
    EXPECT_EQ(f.app->WindowTitle(), "b.mid - Kavelsong");
    EXPECT_EQ(f.app->TrackCount(), 3u);
    EXPECT_EQ(f.host.raises, 1);
}

TEST(ApplicationTest, StepRecordingTakesNotesFromMidiIn) {
    AppFixture f;
    f.app->Execute(cmd::TrackInsert);
    f.app->Execute(cmd::StepRecord);  // the dialog cancelled
    EXPECT_EQ(f.app->GetEngine().State(), EngineState::Stop);
    f.host.acceptValueDialogs = true;
    f.app->Execute(cmd::StepRecord);
    ASSERT_EQ(f.app->GetEngine().State(), EngineState::StepRec);
    EXPECT_EQ(f.app->StatusTexts()[2], "StepRec");
    ASSERT_TRUE(f.midi->Input(0).FeedShort(0x643C90));
    ASSERT_TRUE(f.midi->Input(0).FeedShort(0x003C80));
    f.app->ProcessNotifications();
    f.app->Execute(cmd::PlayStop);
    EXPECT_EQ(f.app->GetSong().GetTrack(0)->EventCount(), 2u);
}

TEST(ApplicationTest, TrackListKeys) {
    AppFixture f;
    f.Open(f.WriteSong("k.mid", 3, 8));
    const std::uint64_t events = f.app->GetSong().GetTrack(0)->EventCount();
    // Delete acts on one zoom column though the menu item is disabled.
    EXPECT_FALSE(f.app->StateOf(cmd::EditDelete).enabled);
    EXPECT_TRUE(f.app->KeyFromTrackList(ListKey::Delete, false, false));
    EXPECT_EQ(f.app->GetSong().GetTrack(0)->EventCount(), events - 2 * 4);
    EXPECT_TRUE(f.app->KeyFromTrackList(ListKey::Delete, true, false));
    EXPECT_EQ(f.app->TrackCount(), 2u);
    // Right moves the view's caret; marker keys set and go by slot.
    EXPECT_TRUE(f.app->KeyFromTrackList(ListKey::Right, false, false));
    EXPECT_GT(f.app->View().Caret(), 0u);
    f.app->Execute(cmd::SetMarkFirst + 2);  // Shift+0: mark 0
    f.app->Execute(cmd::KeySongStart);
    EXPECT_EQ(f.app->View().Caret(), 0u);
    f.app->Execute(cmd::GoMarkFirst + 2);
    EXPECT_GT(f.app->View().Caret(), 0u);
    f.app->SelectTrackFromList(1);
    EXPECT_EQ(f.app->CurrentTrack(), 1);
    EXPECT_EQ(f.app->View().CursorTrack(), 1u);
}

}  // namespace
}  // namespace kvs::test

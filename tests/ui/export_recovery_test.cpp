#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app_test_support.h"
#include "audio/export_audio_form.h"
#include "ui/commands.h"
#include "ui/recovery_copy.h"

namespace kvs {
namespace {

using Problem = ExportAudioForm::Problem;

TEST(ExportAudioFormTest, NamesTheAudioAfterTheSongAndRefusesWhatCannotWork) {
    test::TempFolder folder;
    const std::string song = folder.File("song.v2.mid");
    std::ofstream(song) << "MThd";
    const std::string font = folder.File("font.sf2");
    std::ofstream(font) << "RIFF";

    ExportAudioForm form(AudioExportSettings{font, 22050}, song, folder.Path());
    EXPECT_EQ(form.target, folder.File("song.v2.wav"));
    EXPECT_EQ(form.soundFont, font);
    EXPECT_EQ(form.rate, 22050u);
    EXPECT_EQ(form.Check(), Problem::None);
    EXPECT_EQ(ExportAudioForm(AudioExportSettings{}, "", "/music").target, "/music/untitled.wav");

    // A name without an extension gets ".wav"; the song itself is never
    // overwritten, even by another name for it.
    form.target = folder.File("take");
    EXPECT_EQ(form.TargetPath(), folder.File("take.wav"));
    form.target = folder.Path() + "/./song.v2.mid";
    EXPECT_EQ(form.Check(), Problem::TargetIsSong);
    form.target = folder.Path() + "/";
    EXPECT_EQ(form.Check(), Problem::NoTarget);
    form.target = folder.File("out.wav");
    form.soundFont = folder.File("gone.sf2");
    EXPECT_EQ(form.Check(), Problem::NoSoundFont);
    form.soundFont = font;
    form.rate = 4000;
    EXPECT_EQ(form.Check(), Problem::BadRate);
    EXPECT_FALSE(ExportAudioForm::ProblemText(Problem::BadRate).empty());

    AudioExportSettings stored;
    form.rate = 48000;
    form.Store(stored);
    EXPECT_EQ(stored, (AudioExportSettings{font, 48000}));
}

TEST(RecoveryTest, AnEngineStopCopiesUnsavedChangesBesideTheSettingsOnly) {
    test::AppFixture f;
    const std::string song = f.WriteSong("a.mid", 2, 2);
    f.Open(song);
    const std::string copy = f.data.File("recovery.mid");
    const auto playStop = [&] {
        f.app->Execute(cmd::PlayStop);
        f.timer->Fire(3);
        f.app->Execute(cmd::PlayStop);
    };
    playStop();
    EXPECT_FALSE(std::filesystem::exists(copy));  // nothing unsaved

    const auto before = std::filesystem::last_write_time(song);
    f.app->Execute(cmd::TrackInsert);
    playStop();
    ASSERT_TRUE(std::filesystem::exists(copy));
    EXPECT_EQ(std::filesystem::last_write_time(song), before);
    Song copied;
    ASSERT_EQ(LoadSongFile(copy, copied, LoadOptions{}), kResultOk);
    EXPECT_EQ(copied.TrackCount(), 3u);

    // A normal save, or starting a new song, lets the copy go.
    EXPECT_EQ(f.app->Execute(cmd::FileSave), 1);
    EXPECT_FALSE(std::filesystem::exists(copy));
    f.app->Execute(cmd::TrackInsert);
    f.app->WriteRecovery();
    ASSERT_TRUE(std::filesystem::exists(copy));
    f.host.saveAnswers = {UiHost::Answer::No};
    f.app->Execute(cmd::FileNew);
    EXPECT_FALSE(std::filesystem::exists(copy));
}

TEST(RecoveryTest, OnlyACopyNewerThanItsSongIsOffered) {
    test::TempFolder folder;
    RecoveryCopy recovery(folder.Path() + "/");
    EXPECT_FALSE(recovery.Pending());
    Song song;
    song.InsertTrack();
    const std::string path = folder.File("song.mid");
    ASSERT_EQ(SaveSongFile(path, song, SaveType::Full, {}), kResultOk);
    ASSERT_EQ(recovery.Write(song, path, {}), kResultOk);
    const auto offer = recovery.Pending();
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->songPath, path);
    EXPECT_EQ(offer->copyPath, folder.File("recovery.mid"));

    // Saved after the copy was made: the song holds it all.
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(offer->copyPath) + std::chrono::seconds(1));
    EXPECT_FALSE(recovery.Pending());
    // An untitled song has nothing to be older than.
    ASSERT_EQ(recovery.Write(song, "", {}), kResultOk);
    ASSERT_TRUE(recovery.Pending());
    EXPECT_EQ(recovery.Pending()->songPath, "");
    recovery.Discard();
    EXPECT_FALSE(recovery.Pending());
    EXPECT_FALSE(std::filesystem::exists(folder.File("recovery.txt")));
}

}  // namespace
}  // namespace kvs

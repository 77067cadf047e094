#include "ui/file_dialog_request.h"

#include <gtest/gtest.h>

#include "config/settings.h"

namespace kvs {
namespace {

TEST(FileDialogRequest, OpenAndSaveUseTheirPromptsFiltersAndFolders) {
    PromptTable prompts;
    Settings settings;
    settings.songDir = "/songs";
    settings.libDir = "/lib";

    const FileDialogRequest open = MakeFileDialogRequest(prompts, settings, kFileDialogOpen);
    EXPECT_EQ(open.title, "Open File");
    ASSERT_EQ(open.filters.size(), 3u);
    EXPECT_EQ(FilterString(open.filters[0]), "MIDI files (*.MID) (*.mid *.MID)");
    EXPECT_EQ(FilterString({"All", "*"}), "All (*)");
    EXPECT_EQ(FilterString({"Both", " *.Mid  *.syx"}), "Both (*.mid *.MID *.syx *.SYX)");
    EXPECT_EQ(open.filters[2].pattern, "*");
    EXPECT_EQ(open.folder, "/songs");
    EXPECT_TRUE(open.initialName.empty());

    EXPECT_EQ(MakeFileDialogRequest(prompts, settings, kFileDialogOpen | kFileDialogLibrary).folder,
              "/lib");

    const FileDialogRequest save =
        MakeFileDialogRequest(prompts, settings, kFileDialogSave, "/songs/a.mid");
    EXPECT_EQ(save.title, "Save File");
    ASSERT_EQ(save.filters.size(), 4u);
    EXPECT_EQ(save.filters[3].name, "Sysex file (*.SYX)");
    EXPECT_EQ(save.defaultSuffix, "mid");
    EXPECT_EQ(save.initialName, "/songs/a.mid");

    // A translated prompt reaches the dialog.
    ASSERT_TRUE(prompts.SetText(prompt::file_open_title, "Datei öffnen"));
    EXPECT_EQ(MakeFileDialogRequest(prompts, settings, kFileDialogOpen).title, "Datei öffnen");
}

TEST(FileDialogRequest, FilterPositionGivesSaveTypeAndExtension) {
    EXPECT_EQ(SaveTypeOfFilter(0), SaveType::Full);
    EXPECT_EQ(SaveTypeOfFilter(1), SaveType::Type1);
    EXPECT_EQ(SaveTypeOfFilter(2), SaveType::Type0);
    EXPECT_EQ(SaveTypeOfFilter(3), SaveType::Sysex);
    EXPECT_EQ(SaveTypeOfFilter(4), SaveType::Full);
    EXPECT_EQ(DefaultExtensionOf(2), "mid");
    EXPECT_EQ(DefaultExtensionOf(3), "syx");
}

TEST(FileDialogRequest, OkRemembersTheChosenFolderOfItsMode) {
    Settings settings;
    RememberFolder(settings, kFileDialogSave, "/home/me/music/song.mid");
    EXPECT_EQ(settings.songDir, "/home/me/music");
    EXPECT_EQ(settings.libDir, ".");
    RememberFolder(settings, kFileDialogOpen | kFileDialogLibrary, "/x.mid");
    EXPECT_EQ(settings.libDir, "/");
    RememberFolder(settings, kFileDialogOpen, "bare.mid");
    EXPECT_EQ(settings.songDir, "");
}

}  // namespace
}  // namespace kvs

#include "ui/program_tool_host.h"

#include <gtest/gtest.h>

#include "app_test_support.h"
#include "config/settings.h"
#include "tools/progression_form.h"
#include "tools/tool_table.h"
#include "ui/commands.h"

namespace kvs {
namespace {

class ProgressionHost : public test::ScriptedHost {
  public:
    bool RunProgressionDialog(ProgressionForm& form) override {
        shown = {form.Text(ProgressionField::Channel), form.Text(ProgressionField::StartTime),
                 form.Text(ProgressionField::EndTime)};
        return false;
    }
    std::vector<std::string> shown;
};

struct HostFixture : test::AppFixture {
    ProgramToolHost Tools() {
        return ProgramToolHost(host, app->Session(), app->CurrentSettings(), app->Prompts(), {});
    }
};

TEST(ProgramToolHost, InsertSourceComesFromTheLibraryFolderAndAFailedReadIsReported) {
    HostFixture f;
    const std::string good = f.WriteSong("two.mid", 2, 4);
    f.app->CurrentSettings().libDir = "/library";
    f.app->CurrentSettings().songDir = "/songs";
    ProgramToolHost tools = f.Tools();

    Song song;
    EXPECT_FALSE(tools.LoadInsertSource(song));  // cancelled
    ASSERT_EQ(f.host.fileRequests.size(), 1u);
    EXPECT_EQ(f.host.fileRequests[0].folder, "/library");
    EXPECT_FALSE(f.host.fileRequests[0].Save());

    f.host.files.push_back(UiHost::FileChoice{f.data.File("missing.mid"), 0});
    EXPECT_FALSE(tools.LoadInsertSource(song));
    EXPECT_EQ(f.host.errors.size(), 1u);
    EXPECT_EQ(song.TrackCount(), 0u);

    f.host.files.push_back(UiHost::FileChoice{good, 0});
    EXPECT_TRUE(tools.LoadInsertSource(song));
    EXPECT_EQ(song.TrackCount(), 2u);
    EXPECT_EQ(f.host.errors.size(), 1u);
    EXPECT_EQ(f.app->CurrentSettings().libDir, f.data.Path());
    EXPECT_EQ(f.app->CurrentSettings().songDir, "/songs");
}

TEST(ProgramToolHost, ProgressionOpensWithTheCurrentTracksChannelAndSelection) {
    test::AppFixture f;
    f.Open(f.WriteSong("two.mid", 2, 4));
    ASSERT_EQ(f.app->Session().SetCurrentTrack(1), EditResult::Done);
    ProgressionHost ui;
    ProgramToolHost tools(ui, f.app->Session(), f.app->CurrentSettings(), f.app->Prompts(), {});
    ProgressionSettings settings;
    const BuiltinPrompts prompts;
    ProgressionForm form(settings, prompts);

    f.app->Session().Selection().Select(3, 1);
    EXPECT_FALSE(tools.RunProgressionDialog(form));
    EXPECT_EQ(ui.shown, (std::vector<std::string>{"2", "1.000", "3.000"}));

    f.app->Session().Selection().Select(2, 2);  // nothing selected: the whole track
    tools.RunProgressionDialog(form);
    EXPECT_EQ(ui.shown, (std::vector<std::string>{"2", "0.000", "4.000"}));
}

TEST(ProgramToolHost, InsertSourceNamingAMissingPortAsksNothing) {
    test::AppFixture f;
    f.Open(f.WriteSong("one.mid", 1, 4));
    // A file whose track plays on a port this machine lacks.
    Song gone;
    gone.InsertTrack();
    gone.GetTrack(0)->properties.port = 1;
    gone.GetTrack(0)->AddEvent(0, 0x643C90u);
    const std::string path = f.data.File("gone.mid");
    ASSERT_EQ(SaveSongFile(path, gone, SaveType::Full, {"Virtual Out", "Gone"}), kResultOk);
    std::uint32_t insert = 0;
    for (std::uint32_t i = 0; i < Tools().All().size(); ++i)
        if (Tools().All()[i].name == "insert-from-file") insert = cmd::ToolFirst + i;

    f.host.files.push_back(UiHost::FileChoice{path, 0});
    f.app->Execute(insert);
    EXPECT_EQ(f.host.fileRequests.size(), 1u);
    EXPECT_EQ(f.host.portQuestions, 0);
    EXPECT_TRUE(f.host.errors.empty());
}

}  // namespace
}  // namespace kvs

#include "midi/port_association.h"

#include <gtest/gtest.h>

#include <functional>

#include "config/profile_store.h"
#include "files/song_file.h"
#include "midi/backends/virtual_midi.h"
#include "midi_test_support.h"
#include "model/song.h"
#include "model/track.h"

namespace kvs {
namespace {

using test::TempIni;

// Answers every question by picking the item of a port (or cancelling).
struct ScriptedQuestion : PortQuestion {
    bool Ask(ChoosePortForm& form) override {
        ++asked;
        texts.push_back(form.Text());
        if (!answerOk) return false;
        for (std::size_t i = 0; i < form.Items().size(); ++i)
            if (form.Items()[i].port == answerPort) form.Select(static_cast<int>(i));
        form.SetRemember(remember);
        return true;
    }
    int asked = 0;
    std::vector<std::string> texts;
    bool answerOk = true;
    std::uint16_t answerPort = 2;
    bool remember = true;
};

struct AssociationFixture : ::testing::Test {
    AssociationFixture()
        : layer({}, {"Synth A", "Synth B", "Drums"}), table(layer), store(ini.Path()) {
        table.EnumerateMidiDevices();
        EXPECT_EQ(store.Load(), kResultOk);
    }
    std::optional<std::uint16_t> Resolve(std::string_view name, int scanInit = 0) {
        return ResolvePortName(PortResolveContext{table, store, &question, scanInit, 0}, name);
    }
    // Saves a song of trackCount tracks, all on port 1 under portName, and
    // loads it back through the resolver; the loaded tracks' ports.
    std::vector<std::uint16_t> LoadSongNaming(const std::string& portName, int trackCount) {
        Song song;
        for (int i = 0; i < trackCount; ++i) {
            EXPECT_TRUE(song.InsertTrack());
            song.GetTrack(song.TrackCount() - 1)->properties.port = 1;
        }
        const std::string path = ini.Path() + ".mid";
        EXPECT_EQ(SaveSongFile(path, song, SaveType::Full, {"Synth A", portName}), kResultOk);
        Song loaded;
        LoadOptions options;
        options.defaultPort = 0;
        options.resolvePort = MakePortResolver(options, table, store, &question);
        EXPECT_EQ(LoadSongFile(path, loaded, options), kResultOk);
        std::vector<std::uint16_t> ports;
        for (std::uint32_t i = 0; i < loaded.TrackCount(); ++i)
            ports.push_back(loaded.GetTrack(i)->properties.port);
        return ports;
    }
    TempIni ini;
    VirtualMidiLayer layer;
    MidiDeviceTable table;
    ProfileStore store;
    ScriptedQuestion question;
};

TEST_F(AssociationFixture, TenTracksOnOneAbsentPortAskOnceWhenRememberedElseEachTime) {
    for (const bool remember : {false, true}) {
        SCOPED_TRACE(remember ? "remembered" : "not remembered");
        question.asked = 0;
        question.remember = remember;
        const auto ports = LoadSongNaming("Studio Synth", 10);
        EXPECT_EQ(ports, std::vector<std::uint16_t>(10, 2));
        EXPECT_EQ(question.asked, remember ? 1 : 10);
    }
    EXPECT_EQ(question.texts.back(),
              "The file you are loading uses the port Studio Synth.  Please choose an "
              "alternative port.");
    // Remembered for the next session too.
    ProfileStore reread(ini.Path());
    ASSERT_EQ(reread.Load(), kResultOk);
    EXPECT_EQ(reread.GetString("ports", "name1", "", 100), "Studio Synth");
    EXPECT_EQ(reread.GetString("ports", "dev1", "", 100), "Drums_out");
    question.asked = 0;
    EXPECT_EQ(LoadSongNaming("Studio Synth", 3), std::vector<std::uint16_t>(3, 2));
    EXPECT_EQ(question.asked, 0);
}

TEST_F(AssociationFixture, DeviceNamesMatchExactlyBeforeAliasesAndDisabledDevicesArePassedOver) {
    table.AddPortAlias(store, "Synth A", 2);  // never reached: the device itself matches
    EXPECT_EQ(Resolve("Synth A"), 0);
    question.remember = false;
    EXPECT_EQ(Resolve("synth a"), 2);  // case counts
    EXPECT_EQ(question.asked, 1);

    // A disabled device is not matched by name; an alias for its name is used.
    table.SetEnabled(MidiDeviceKind::Out, 1, false);
    EXPECT_EQ(Resolve("Synth B"), 2);
    EXPECT_EQ(question.asked, 2);
    table.AddPortAlias(store, "Synth B", 0);
    EXPECT_EQ(Resolve("Synth B"), 0);

    // An alias pointing at the disabled device is skipped for a later one.
    table.AddPortAlias(store, "Rack", 1);
    table.AddPortAlias(store, "Rack", 2);
    EXPECT_EQ(Resolve("Rack"), 2);
    table.AddPortAlias(store, "Old Rack", 1);
    question.answerPort = 0;
    EXPECT_EQ(Resolve("Old Rack"), 0);
    EXPECT_EQ(question.asked, 3);
}

// Loading without asking is the command-line player's test.
TEST_F(AssociationFixture, CancelRemembersNothingAndLongNamesAreAskedAboutAgain) {
    EXPECT_EQ(Resolve("Nowhere", kSilentScanInit), std::nullopt);
    EXPECT_EQ(question.asked, 0);
    question.answerOk = false;
    EXPECT_EQ(Resolve("Nowhere"), std::nullopt);
    EXPECT_TRUE(table.Aliases().empty());
    EXPECT_FALSE(store.HasKey("ports", "Number"));
    question.answerOk = true;

    // Remembered cut to 31 bytes, so the long name itself never matches.
    const std::string longName(40, 'L');
    EXPECT_EQ(Resolve(longName), 2);
    ASSERT_EQ(table.Aliases().size(), 1u);
    EXPECT_EQ(table.Aliases()[0].name, std::string(31, 'L'));
    EXPECT_EQ(Resolve(longName), 2);
    EXPECT_EQ(Resolve(std::string(31, 'L')), 2);
    EXPECT_EQ(question.asked, 3);
}

TEST_F(AssociationFixture, ChoosePortFormListsEnabledOutputsAndADisabledDefaultSelectsNothing) {
    table.SetFriendlyName(MidiDeviceKind::Out, 2, "Kit");
    table.SetEnabled(MidiDeviceKind::Out, 0, false);
    ChoosePortForm form(table, "X", 2);
    ASSERT_EQ(form.Items().size(), 2u);
    EXPECT_EQ(form.Items()[1].text, "Kit");
    EXPECT_EQ(form.Items()[1].port, 2);
    EXPECT_EQ(form.Selection(), 1);
    // OK then gives the default port.
    ChoosePortForm second(table, "X", 0);
    EXPECT_EQ(second.Selection(), -1);
    EXPECT_EQ(second.ChosenPort(), 0);
}

}  // namespace
}  // namespace kvs

#include "midi/midi_device_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "config/profile_store.h"
#include "midi/backends/virtual_midi.h"
#include "midi_test_support.h"

namespace kvs {
namespace {

using test::RecordingErrors;
using test::TempIni;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct TableFixture : ::testing::Test {
    TableFixture() : layer({"Keys In", "Pads In"}, {"Synth A", "Synth B", "Drums"}), table(layer) {
        table.EnumerateMidiDevices();
    }
    std::vector<std::uint32_t> ShortsOn(std::uint32_t port) {
        std::vector<std::uint32_t> out;
        for (const auto& m : layer.Output(port).Snapshot())
            out.push_back(m.shortMessage);
        return out;
    }
    VirtualMidiLayer layer;
    MidiDeviceTable table;
    RecordingErrors errors;
};

TEST(MidiDeviceTableNames, LongSystemNamesAreCutTo31BytesOnACharacterBoundary) {
    // 30 ASCII bytes then a two-byte character that would straddle byte 31.
    const std::string straddling = std::string(30, 'x') + "\xC3\xA9" + "tail";
    VirtualMidiLayer layer({}, {std::string(40, 'n'), straddling, "Line\nBreak"});
    MidiDeviceTable table(layer);
    table.EnumerateMidiDevices();
    EXPECT_EQ(table.Outputs()[0].systemName, std::string(31, 'n'));
    EXPECT_EQ(table.Outputs()[1].systemName, std::string(30, 'x'));
    // A control byte would break the settings key apart.
    EXPECT_EQ(table.Outputs()[2].systemName, "Line Break");
}

TEST_F(TableFixture, PortSettingsRoundTripThroughTheFileAndDefaultToSystemNames) {
    TempIni ini;
    ProfileStore empty(ini.Path());
    table.ReadPortSettings(empty);  // a new device is on, under its own name
    EXPECT_EQ(table.Outputs()[2].friendlyName, "Drums");
    EXPECT_TRUE(table.Inputs()[0].enabled);
    table.SetFriendlyName(MidiDeviceKind::In, 1, "Pads & 100% \tvelocity");
    table.SetEnabled(MidiDeviceKind::In, 0, false);
    table.SetFriendlyName(MidiDeviceKind::Out, 2, "  Kit");
    table.SetEnabled(MidiDeviceKind::Out, 1, false);
    {
        ProfileStore store(ini.Path());
        table.WritePortSettings(store);
        ASSERT_EQ(store.Flush(), kResultOk);
    }
    const std::string text = ReadFile(ini.Path());
    EXPECT_NE(text.find("Keys In_in_enable=0"), std::string::npos) << text;
    EXPECT_NE(text.find("Synth B_out_enable=0"), std::string::npos) << text;
    EXPECT_NE(text.find("Synth A_out_name=Synth A"), std::string::npos) << text;

    MidiDeviceTable other(layer);
    other.EnumerateMidiDevices();
    ProfileStore store(ini.Path());
    ASSERT_EQ(store.Load(), kResultOk);
    other.ReadPortSettings(store);
    EXPECT_EQ(other.Inputs()[1].friendlyName, "Pads & 100% \tvelocity");
    EXPECT_FALSE(other.Inputs()[0].enabled);
    EXPECT_EQ(other.Outputs()[2].friendlyName, "  Kit");
    EXPECT_FALSE(other.Outputs()[1].enabled);
    EXPECT_TRUE(other.Outputs()[0].enabled);
}

TEST_F(TableFixture, PortKeysNameOutputsExactlyAndUnknownKeysGivePortZero) {
    EXPECT_EQ(table.PortKey(3), "");
    EXPECT_EQ(table.PortFromKey(table.PortKey(2)), 2);
    EXPECT_EQ(table.PortFromKey("drums_out"), 0);          // case counts
    EXPECT_EQ(table.PortFromKey("Drums"), 0);              // no suffix
    EXPECT_EQ(table.PortFromKey("Keys In_in"), 0);         // inputs are not ports
    EXPECT_EQ(table.PortFromKey("Removed Synth_out"), 0);  // device no longer installed
    EXPECT_EQ(table.PortFromKey(""), 0);
}

TEST_F(TableFixture, AddingAnAliasAppendsItAndWritesTheFileAtOnce) {
    TempIni ini;
    WriteFile(ini.Path(),
              "[OPTIONS]\r\ndefport=Drums_out\r\n\r\n[ports]\r\nNumber=3\r\n"
              "name1=Old Synth\r\ndev1=Synth B_out\r\nname2=Gone\r\ndev2=Unplugged_out\r\n"
              "name3=Kit\r\ndev3=Drums_out\r\n");
    ProfileStore store(ini.Path());
    ASSERT_EQ(store.Load(), kResultOk);
    table.ReadPortAliases(store);
    ASSERT_EQ(table.Aliases().size(), 3u);
    EXPECT_EQ(table.Aliases()[0].name, "Old Synth");
    EXPECT_EQ(table.Aliases()[0].device, 1);
    EXPECT_EQ(table.Aliases()[1].device, 0);  // its device is gone

    EXPECT_EQ(table.AddPortAlias(store, "Studio Rack", 2), kResultOk);
    ASSERT_EQ(table.Aliases().size(), 4u);
    EXPECT_EQ(table.Aliases()[3].name, "Studio Rack");
    EXPECT_EQ(table.Aliases()[3].device, 2);

    // Already on disk, beside everything that was there.
    ProfileStore reread(ini.Path());
    ASSERT_EQ(reread.Load(), kResultOk);
    EXPECT_EQ(reread.GetInt("ports", "Number", 0), 4u);
    EXPECT_EQ(reread.GetString("ports", "name4", "", 100), "Studio Rack");
    EXPECT_EQ(reread.GetString("ports", "dev4", "", 100), "Drums_out");
    EXPECT_EQ(reread.GetString("ports", "name3", "", 100), "Kit");
    EXPECT_EQ(reread.GetString("OPTIONS", "defport", "", 100), "Drums_out");

    // A name holding a line break is not remembered rather than written.
    EXPECT_EQ(table.AddPortAlias(store, "Evil\r\n[OPTIONS]\r\ndefport=x", 1), kResultOk);
    EXPECT_EQ(table.Aliases().size(), 4u);
    EXPECT_EQ(store.GetInt("ports", "Number", 0), 4u);

    // Hostile counts and names are bounded.
    store.WriteInt("ports", "Number", 4000000000u);
    store.WriteString("ports", "name1", std::string(300, 'a'));
    table.ReadPortAliases(store);
    ASSERT_EQ(table.Aliases().size(), kMaxPortAliases);
    EXPECT_EQ(table.Aliases()[0].name, std::string(31, 'a'));
    EXPECT_EQ(table.Aliases()[4].name, "");
}

TEST_F(TableFixture, OpenFailuresAreReportedByFriendlyNameAndTheRestStillOpen) {
    table.SetFriendlyName(MidiDeviceKind::In, 1, "My Pads");
    table.SetFriendlyName(MidiDeviceKind::Out, 0, "Lead Synth");
    table.SetEnabled(MidiDeviceKind::Out, 2, false);
    layer.Input(1).SetFailOpen(true);
    layer.Output(0).SetFailOpen(true);

    EXPECT_FALSE(table.OpenMidiDevices(errors));
    EXPECT_TRUE(table.DevicesOpen());
    EXPECT_EQ(errors.shown,
              (std::vector<std::string>{"Could not open MIDI IN device: My Pads",
                                        "Could not open MIDI OUT device: Lead Synth"}));
    EXPECT_FALSE(table.IsOpen(MidiDeviceKind::Out, 0));
    EXPECT_TRUE(table.IsOpen(MidiDeviceKind::Out, 1));
    EXPECT_EQ(layer.Output(2).OpenCount(), 0u);  // disabled: never opened

    table.CloseMidiDevices();
    EXPECT_FALSE(table.DevicesOpen());
    EXPECT_FALSE(layer.Output(1).IsOpen());

    // Opening twice does not leave the first ports behind.
    layer.Input(1).SetFailOpen(false);
    layer.Output(0).SetFailOpen(false);
    errors.shown.clear();
    EXPECT_TRUE(table.OpenMidiDevices(errors));
    EXPECT_TRUE(table.OpenMidiDevices(errors));
    EXPECT_TRUE(errors.shown.empty());
    EXPECT_EQ(layer.Output(1).OpenCount(), 3u);
}

TEST_F(TableFixture, SendsReachOnlyOpenOutputsAndOthersAreDropped) {
    layer.Output(1).SetFailOpen(true);
    table.SetEnabled(MidiDeviceKind::Out, 2, false);
    table.SendShort(0x90, 0);  // before opening
    table.OpenMidiDevices(errors);

    table.SendShort(0x7F3C90, 0);
    table.SendShort(0x7F3D90, 1);      // failed to open
    table.SendShort(0x7F3E90, 2);      // disabled
    table.SendShort(0x7F3F90, 3);      // beyond the outputs
    table.SendShort(0x7F4090, 70000);  // far beyond
    table.SendShortAll(0x7BB0);
    EXPECT_EQ(ShortsOn(0), (std::vector<std::uint32_t>{0x7F3C90, 0x7BB0}));
    EXPECT_TRUE(ShortsOn(1).empty());
    EXPECT_TRUE(ShortsOn(2).empty());

    const std::vector<std::uint8_t> sysex{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    int done = 0;
    EXPECT_TRUE(table.SendLong(0, sysex, [&done] { ++done; }));
    EXPECT_FALSE(table.SendLong(1, sysex, [&done] { ++done; }));
    EXPECT_FALSE(table.SendLong(9, sysex, [&done] { ++done; }));
    EXPECT_EQ(done, 1);

    table.CloseMidiDevices();
    table.SendShort(0x90, 0);
    table.SendShortAll(0x90);
    EXPECT_FALSE(table.SendLong(0, sysex, nullptr));
    EXPECT_EQ(layer.Output(0).MessageCount(), 3u);
}

TEST_F(TableFixture, InputGoesToTheSinkWithItsDeviceIndex) {
    table.SetEnabled(MidiDeviceKind::In, 0, false);
    table.OpenMidiDevices(errors);
    EXPECT_FALSE(layer.Input(0).FeedShort(0x90));   // disabled: not open
    EXPECT_TRUE(layer.Input(1).FeedShort(0x1090));  // no sink yet: dropped

    test::RecordingInput sink;
    table.SetInputSink(&sink);
    layer.Input(1).FeedShort(0x7F3C90);
    layer.Input(1).FeedSysex(std::vector<std::uint8_t>(kSysexBufferSize + 1, 0));
    const auto got = sink.Got();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], (test::ReceivedInput{1, 0x7F3C90}));
    EXPECT_EQ(got[1].device, 1u);
    EXPECT_EQ(got[1].bytes.size(), kSysexBufferSize);
    EXPECT_EQ(got[2].bytes.size(), 1u);

    table.CloseMidiDevices();
    EXPECT_FALSE(layer.Input(1).FeedShort(0x90));
    EXPECT_EQ(sink.Got().size(), 3u);
}

TEST_F(TableFixture, UnsettingTheSinkWaitsForTheCallbackUnderWay) {
    table.OpenMidiDevices(errors);
    struct SlowSink final : MidiInputSink {
        void OnShortMessage(std::uint32_t, std::uint32_t) override {
            entered = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            left = true;
        }
        void OnSysexBuffer(std::uint32_t, std::span<const std::uint8_t>) override {}
        std::atomic<bool> entered{false};
        std::atomic<bool> left{false};
    } sink;
    table.SetInputSink(&sink);
    std::thread input([&] { layer.Input(0).FeedShort(0x7F3C90); });
    while (!sink.entered)
        std::this_thread::yield();
    table.SetInputSink(nullptr);
    EXPECT_TRUE(sink.left);
    input.join();
}

}  // namespace
}  // namespace kvs

#include "midi/output_commands.h"

#include <gtest/gtest.h>

#include "config/settings.h"
#include "engine_test_support.h"
#include "midi/backends/virtual_midi.h"
#include "midi/chase_table.h"
#include "midi/sysex_queue.h"
#include "midi_test_support.h"

namespace kvs::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The queue rig with an engine sending through the same devices.
struct OutputRig : QueueRig {
    DeviceTableSink sink{devices};
    ManualTimer timer;
    Song song;
    Engine engine{timer, sink, notifier, &queue};
    OutputRig() { engine.SetSong(&song); }
};

TEST(OutputCommands, FixedMessagesGoToEveryOpenOutputAsOneLongMessageEach) {
    Bytes allNotesOff;
    for (std::uint8_t status = 0xB0; status <= 0xBF; ++status)
        allNotesOff.insert(allNotesOff.end(), {status, 0x79, 0x00, status, 0x7B, 0x00});
    const std::vector<std::pair<std::uint32_t, Bytes>> expected = {
        {kCmdGmReset, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {kCmdGm2Reset, {0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7}},
        {kCmdGsReset, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
        {kCmdXgReset, {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}},
        {kCmdLocalOff, {0xB0, 0x7A, 0x00}},
        {kCmdLocalOn, {0xB0, 0x7A, 0x7F}},
        {kCmdAllNotesOff, allNotesOff},
    };
    OutputRig rig;
    std::vector<Bytes> all;
    for (const auto& [command, bytes] : expected) {
        ASSERT_TRUE(SendFixedMessage(rig.queue, command));
        all.push_back(bytes);
    }
    while (rig.Pump() != 0) {
    }
    EXPECT_EQ(rig.LongSent(0), all);
    EXPECT_EQ(rig.LongSent(1), all);
    EXPECT_EQ(rig.Sent(0).size(), all.size());  // nothing as short messages
    EXPECT_FALSE(SendFixedMessage(rig.queue, 197));
    EXPECT_FALSE(SendFixedMessage(rig.queue, 205));
}

// Local control around a run and a reset are the command-line player's test.
TEST(OutputCommands, AutoLoadSendSendsOnlyWhatTheSettingsAskFor) {
    GeneralSettings settings;
    OutputRig rig;
    rig.song.InsertTrack();
    rig.song.GetTrack(0)->properties.channel = 2;
    rig.song.GetTrack(0)->properties.program = 5;
    AutoLocalAtStartUp(settings, rig.sink);
    for (std::uint32_t value : {0u, 6u}) {  // nothing, and out of range
        settings.autoLoadSend = value;
        AutoLoadSend(settings, rig.engine, rig.queue);
    }
    rig.Pump();
    EXPECT_TRUE(rig.Sent(0).empty());
    settings.autoLoadSend = 4;
    AutoLoadSend(settings, rig.engine, rig.queue);
    rig.Pump();
    EXPECT_EQ(rig.LongSent(1), (std::vector<Bytes>{FixedMessage(kCmdGsReset)->bytes}));
    settings.autoLoadSend = 1;  // the song's settings, to its track's port alone
    AutoLoadSend(settings, rig.engine, rig.queue);
    ASSERT_EQ(rig.Sent(0).size(), 4u);
    EXPECT_EQ(rig.Sent(0)[1].shortMessage, PackMessage(0xC2, 5));
    EXPECT_EQ(rig.Sent(1).size(), 1u);
}

TEST(ChaseSettings, SendsTheLatestValueBeforeThePositionOrTheDefaults) {
    EngineRig rig;
    Track& t = rig.AddTrack(1);
    t.properties.volume = 100;
    rig.song.tempo = 90;
    t.AddEvent(3 * 192 + 5, PackMessage(0xB0, 0x07, 0x40));
    t.AddEvent(5 * 192, EVT_TEMPO | (140u << 8));
    t.AddEvent(6 * 192, EVT_TEMPO | (150u << 8));
    t.AddEvent(4 * 192, EVT_TIMESIG | (3u << 8) | (2u << 16));

    ASSERT_TRUE(SendCurrentSettings(rig.engine, &rig.song, 0, 1, rig.sink, 6));
    EXPECT_EQ(Messages(rig.Sent()),
              (std::vector<std::uint32_t>{PackMessage(0xB1, 0x07, 0x40), PackMessage(0xD1),
                                          PackMessage(0xE1, 0x00, 0x40)}));
    EXPECT_EQ(rig.engine.Tempo(), 140u);
    EXPECT_EQ(rig.engine.GetTransport().sigNumerator, 3u);
    EXPECT_EQ(rig.engine.GetTransport().sigStartTick, 4u * 192);
    // The event's own beat is not before the position.
    ASSERT_TRUE(SendCurrentSettings(rig.engine, &rig.song, 0, 1, rig.sink, 3));
    EXPECT_EQ(rig.Sent()[0].message, PackMessage(0xB1, 0x07, 0x64));
    // At beat 0 nothing is scanned: the song's own tempo and signature.
    ASSERT_TRUE(SendCurrentSettings(rig.engine, &rig.song, 0, 1, rig.sink, 0));
    EXPECT_EQ(rig.engine.Tempo(), 90u);
    EXPECT_EQ(rig.engine.GetTransport().sigNumerator, 4u);
    EXPECT_EQ(rig.engine.GetTransport().sigStartTick, 0u);
}

TEST(ChaseSettings, OrderAndPrecedenceFollowPortChannelAndSlot) {
    EngineRig rig;
    Track& a = rig.AddTrack(0);
    Track& b = rig.AddTrack(0);
    Track& far = rig.AddTrack(3, 9);  // a port beyond the outputs is ignored
    Track& free = rig.AddTrack(kNoChannel, 1);
    a.properties.bank = 2 * 128 + 5;
    a.properties.program = 7;
    a.properties.muted = 1;  // muted tracks are chased too
    a.AddEvent(192 + 1, PackMessage(0xB0, 0x0A, 10));
    a.AddEvent(192 + 2, PackMessage(0xB0, 0x0A, 11));  // the later one in the beat wins
    b.AddEvent(192 + 3, PackMessage(0xB0, 0x0A, 12));  // a higher track loses within a beat
    b.AddEvent(0, PackMessage(0xC5, 9));               // rechannelled; beats the default program
    far.AddEvent(0, PackMessage(0xB3, 1, 1));
    free.AddEvent(0, PackMessage(0xB4, 0x40, 0x7F));  // keeps its own channel, port 1

    ASSERT_TRUE(SendCurrentSettings(rig.engine, &rig.song, 0, 2, rig.sink, 4));
    const auto sent = rig.Sent();
    std::vector<std::uint32_t> port0, port1;
    for (const SentMessage& m : sent)
        (m.port == 0 ? port0 : port1).push_back(m.message);
    EXPECT_EQ(port0,
              (std::vector<std::uint32_t>{PackMessage(0xB0, 0x00, 2), PackMessage(0xB0, 0x0A, 11),
                                          PackMessage(0xB0, 0x20, 5), PackMessage(0xC0, 9),
                                          PackMessage(0xD0), PackMessage(0xE0, 0x00, 0x40)}));
    // A track without a channel gets pressure and bend for all 16 channels.
    ASSERT_EQ(port1.size(), 33u);
    EXPECT_EQ(port1[0], PackMessage(0xD0));
    EXPECT_EQ(port1[8], PackMessage(0xB4, 0x40, 0x7F));
    for (const SentMessage& m : sent)
        EXPECT_LT(m.port, 2u);
}

}  // namespace
}  // namespace kvs::test

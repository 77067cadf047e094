#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "model/value_message.h"
#include "tool_test_support.h"
#include "tools/progression.h"
#include "tools/progression_form.h"

namespace kvs {
namespace {

using test::B;

// (tick, message) of every event, in track order.
std::vector<std::pair<Tick, std::uint32_t>> Events(const Track& track) {
    std::vector<std::pair<Tick, std::uint32_t>> out;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        for (const Event& e : *track.Bucket(beat))
            out.emplace_back(beat * B + e.offset, e.message);
    return out;
}

std::vector<std::int32_t> Values(const Track& track) {
    std::vector<std::int32_t> out;
    for (const auto& [tick, message] : Events(track))
        out.push_back(MessageValue(message));
    return out;
}

ProgressionParams Ramp(std::uint16_t type, std::int32_t from, std::int32_t to, std::uint32_t end) {
    ProgressionParams p;
    p.type = type;
    p.channel = 2;
    p.startTick = 0;
    p.endTick = end;
    p.startValue = from;
    p.endValue = to;
    p.snap = 48;
    p.flags = 0;
    return p;
}

TEST(Progression, ControllerRampTruncatesAndSkipsCollisions) {
    Track track;
    RunProgression(track, Ramp(7, 0, 127, 768), {}, 1);
    const auto events = Events(track);
    ASSERT_EQ(events.size(), 17u);
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].first, i * 48);
        EXPECT_EQ(events[i].second & 0xFFFF, 0x07B2u);
        EXPECT_EQ(Data2(events[i].second), 127 * i * 48 / 768);
    }
    // A second ramp of the same controller meets the first at every tick.
    RunProgression(track, Ramp(7, 127, 0, 768), {}, 1);
    EXPECT_EQ(Events(track).size(), 17u);

    Track single;
    ProgressionParams once = Ramp(10, 33, 99, 0);
    once.startTick = once.endTick = 500;
    RunProgression(single, once, {}, 1);
    EXPECT_EQ(Events(single), (std::vector<std::pair<Tick, std::uint32_t>>{{500, 0x210AB2}}));

    Track nothing;
    ProgressionParams backwards = Ramp(7, 0, 127, 100);
    backwards.startTick = 101;
    RunProgression(nothing, backwards, {}, 1);
    EXPECT_EQ(nothing.EventCount(), 0u);
}

TEST(Progression, DuplicateFilterWritesOneEventPerChange) {
    ProgressionParams flat = Ramp(1, 64, 64, 768);
    Track all;
    RunProgression(all, flat, {}, 1);
    EXPECT_EQ(Events(all).size(), 17u);
    flat.flags = kFilterDuplicates;
    Track filtered;
    RunProgression(filtered, flat, {}, 1);
    EXPECT_EQ(Events(filtered).size(), 1u);
}

TEST(Progression, BendAndTempoUseTheirRangesAndOwnChannelFallsBack) {
    Track bend;
    bend.properties.channel = 5;
    ProgressionParams p = Ramp(kValuePitchBend, -8192, 8191, 192);
    p.channel = -1;
    RunProgression(bend, p, {}, 1);
    const auto events = Events(bend);
    ASSERT_EQ(events.size(), 5u);
    for (const auto& [tick, message] : events) {
        const std::int32_t value = -8192 + 16383 * static_cast<std::int32_t>(tick) / 192;
        EXPECT_EQ(Status(message), 0xE5);
        EXPECT_EQ(Data1(message), value & 127);
        EXPECT_EQ(Data2(message), ((value + 8192) >> 7) & 127);
    }

    Track tempo;
    ProgressionParams slow = Ramp(kValueTempo, 120, 60, 8 * B);
    slow.snap = B;
    RunProgression(tempo, slow, {}, 1);
    EXPECT_EQ(Values(tempo), (std::vector<std::int32_t>{120, 113, 105, 98, 90, 83, 75, 68, 60}));

    // A square LFO far beyond the range is clamped on both sides.
    Track clamped;
    slow.startValue = slow.endValue = 240;
    slow.flags = kLfoToValue;
    RunProgression(clamped, slow, {static_cast<std::uint32_t>(LfoWave::Square), 2 * B, 1000, 0}, 1);
    EXPECT_EQ(Values(clamped),
              (std::vector<std::int32_t>{480, 10, 480, 10, 480, 10, 480, 10, 480}));

    Track plain;
    p.type = 1;
    RunProgression(plain, p, {}, 1);
    EXPECT_EQ(Channel(Events(plain)[0].second), 0) << "no single channel: channel 1";
}

TEST(Progression, NotesArePairedAndNeverOverlapTheirTwins) {
    Track track;
    ProgressionParams p = Ramp(kProgressionNotes, 60, 60, B);
    p.startVelocity = p.endVelocity = 80;
    p.noteLength = 48;
    RunProgression(track, p, {}, 1);
    const std::vector<test::PairedNote> expected{{0, 47, 60, 80},
                                                 {48, 95, 60, 80},
                                                 {96, 143, 60, 80},
                                                 {144, 191, 60, 80},
                                                 {192, 239, 60, 80}};
    EXPECT_EQ(test::Notes(track), expected);
    RunProgression(track, p, {}, 1);
    EXPECT_EQ(test::Notes(track), expected);

    // Notes longer than the snap would overlap the one before: every other
    // step is skipped. The LFO moves the velocity but never to 0.
    Track longer;
    p.noteLength = 60;
    p.flags = kLfoToVelocity;
    RunProgression(longer, p, {static_cast<std::uint32_t>(LfoWave::Square), 4 * B, 127, 180}, 1);
    const auto notes = test::Notes(longer);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[1], (test::PairedNote{96, 155, 60, 1}));
    EXPECT_EQ(notes[2].velocity, 1);
    EXPECT_EQ(notes[0].key, 60);
}

TEST(Progression, LfoShapesTheValues) {
    ProgressionParams p = Ramp(1, 64, 64, 4 * B);
    p.flags = kLfoToValue;
    Track sine;
    RunProgression(sine, p, {0, B, 10, 0}, 1);
    EXPECT_EQ(Values(sine), (std::vector<std::int32_t>{64, 74, 64, 54, 64, 74, 64, 54, 64, 74, 64,
                                                       54, 64, 74, 64, 54, 64}));
    Track square;
    p.endTick = B;
    RunProgression(square, p, {static_cast<std::uint32_t>(LfoWave::Square), B, 10, 180}, 1);
    EXPECT_EQ(Values(square), (std::vector<std::int32_t>{54, 54, 74, 74, 54}));

    RandomWaveState random;
    const auto value = [&](LfoWave w, std::uint64_t x) {
        return LfoValue(static_cast<std::uint32_t>(w), x, random);
    };
    EXPECT_DOUBLE_EQ(value(LfoWave::Triangle, 3072), 0.5);
    EXPECT_DOUBLE_EQ(value(LfoWave::Triangle, 12288), 0);
    EXPECT_DOUBLE_EQ(value(LfoWave::Triangle, 18432 + 24576), -1);
    EXPECT_DOUBLE_EQ(value(LfoWave::SawUp, 12287 + 1), -1);
    EXPECT_DOUBLE_EQ(value(LfoWave::SawDown, 6144), -0.5);
    EXPECT_DOUBLE_EQ(value(LfoWave::SawDown, 12288), 1);
    EXPECT_EQ(value(LfoWave::Pulse25, 6143), 1);
    EXPECT_EQ(value(LfoWave::Pulse25, 6144), -1);
    EXPECT_EQ(value(LfoWave::Pulse10, 2456), 1);
    EXPECT_EQ(value(LfoWave::Pulse10, 2457), -1);
    EXPECT_EQ(value(LfoWave::Spike, 24576), 1);
    EXPECT_EQ(value(LfoWave::Spike, 1), -1);
    EXPECT_DOUBLE_EQ(value(LfoWave::Trapezium, 1536), 0.5);
    EXPECT_DOUBLE_EQ(value(LfoWave::Trapezium, 9216), 1);
    EXPECT_DOUBLE_EQ(value(LfoWave::Trapezium, 12288), 0);
    EXPECT_DOUBLE_EQ(value(LfoWave::Trapezium, 21504), -1);
    EXPECT_DOUBLE_EQ(value(LfoWave::Trapezium, 23040), -0.5);

    // Random holds its value through a cycle and draws afresh in the next.
    const double first = value(LfoWave::Random, 0);
    EXPECT_EQ(value(LfoWave::Random, 24575), first);
    const double second = value(LfoWave::Random, 24576);
    EXPECT_EQ(value(LfoWave::Random, 30000), second);
    EXPECT_GE(second, -1.0);
    EXPECT_LE(second, 32767 / 16383.0 - 1);
}

TEST(Progression, LfoKeepsItsPhaseInLongProgressions) {
    // Far enough that 32-bit phase arithmetic would wrap.
    ProgressionParams p = Ramp(1, 64, 64, 2000 * B);
    p.startTick = 1999 * B;
    p.snap = B;
    p.flags = kLfoToValue;
    Track track;
    RunProgression(track, p, {static_cast<std::uint32_t>(LfoWave::SawUp), 4 * B, 40, 0}, 1);
    EXPECT_EQ(Values(track), (std::vector<std::int32_t>{64, 84}));
    p.startTick = 0;
    Track whole;
    RunProgression(whole, p, {static_cast<std::uint32_t>(LfoWave::SawUp), 4 * B, 40, 0}, 1);
    const std::vector<std::int32_t> values = Values(whole);
    ASSERT_EQ(values.size(), 2001u);
    EXPECT_EQ(values[1999], 44);
    EXPECT_EQ(values[2000], 64);
}

struct FormFixture {
    ProgressionSettings settings;
    BuiltinPrompts prompts;
    ProgressionForm form{settings, prompts};
};

TEST(ProgressionForm, OffersTheTypesAndCompletesFromTheTrack) {
    FormFixture f;
    const auto& types = f.form.Types();
    ASSERT_EQ(types.size(), 132u);
    EXPECT_EQ(types[7].text, "Ctrl 7");
    EXPECT_EQ(types[128].text, "Aftertouch");
    EXPECT_EQ(types[131].text, "Note");
    EXPECT_EQ(f.form.Text(ProgressionField::StartValue), "C4");
    EXPECT_EQ(f.form.WaveNames()[5], "Pulse 25%");

    Track track;
    track.properties.channel = 9;
    f.form.Complete(track, {0, 4});
    EXPECT_EQ(f.form.Text(ProgressionField::Channel), "10");
    EXPECT_EQ(f.form.Text(ProgressionField::EndTime), "4.000");
    ASSERT_TRUE(f.form.Ok());
    EXPECT_EQ(f.settings.params.channel, 9);
    EXPECT_EQ(f.settings.params.endTick, 768u);

    EXPECT_TRUE(f.form.SetTypeText("tempo"));
    EXPECT_FALSE(f.form.Enabled(ProgressionField::Channel));
    EXPECT_FALSE(f.form.Enabled(ProgressionField::NoteLength));
    EXPECT_EQ(f.form.SpinRange(ProgressionField::Amplitude).max, 480);
    EXPECT_FALSE(f.form.SetType(128));
    EXPECT_FALSE(f.form.SetTypeText("Program"));
    EXPECT_TRUE(f.form.SetTypeText("130"));
    EXPECT_EQ(f.form.SpinRange(ProgressionField::StartValue).min, -8192);
}

TEST(ProgressionForm, ValidatesInOrderKeepingWhatWasRead) {
    FormFixture f;
    using PF = ProgressionField;
    f.form.SetText(PF::Channel, "4");
    f.form.SetText(PF::StartTime, "1.000");
    f.form.SetText(PF::EndTime, "2.000");
    f.form.SetText(PF::StartValue, "D4");
    f.form.SetText(PF::EndValue, "200");  // beyond a key
    f.form.SetText(PF::Snap, "0.000");
    EXPECT_FALSE(f.form.Ok());
    EXPECT_EQ(f.settings.params.channel, 3);
    EXPECT_EQ(f.settings.params.endTick, 384u);
    EXPECT_EQ(f.settings.params.startValue, 62);
    EXPECT_EQ(f.settings.params.snap, 48u) << "not reached";

    f.form.SetText(PF::EndValue, "70");
    f.form.SetText(PF::NoteLength, "0.001");
    EXPECT_FALSE(f.form.Ok()) << "a note of one tick";
    f.form.SetText(PF::NoteLength, "0.002");
    EXPECT_FALSE(f.form.Ok()) << "snap 0";
    f.form.SetText(PF::Snap, "0.024");
    f.form.SetText(PF::Phase, "360");
    EXPECT_FALSE(f.form.Ok());
    EXPECT_EQ(f.settings.params.snap, 24u);
    f.form.SetText(PF::Phase, "359");
    f.form.SetText(PF::EndTime, "0.191");
    EXPECT_FALSE(f.form.Ok()) << "end before start";
    f.form.SetText(PF::EndTime, "1.192");
    EXPECT_FALSE(f.form.Ok()) << "ticks above 191";
    f.form.SetText(PF::EndTime, "3.000");
    f.form.SetText(PF::StartVelocity, "0");
    EXPECT_FALSE(f.form.Ok());

    // Velocities do not matter for a controller; its amplitude stops at 127.
    ASSERT_TRUE(f.form.SetType(74));
    f.form.SetText(PF::StartValue, "62");
    f.form.SetText(PF::Amplitude, "128");
    EXPECT_FALSE(f.form.Ok());
    f.form.SetText(PF::Amplitude, "127");
    f.form.SetFlag(kLfoToVelocity, true);
    f.form.SetFlag(kFilterDuplicates, true);
    ASSERT_TRUE(f.form.Ok());
    EXPECT_EQ(f.settings.params.type, 74);
    EXPECT_EQ(f.settings.params.flags, kLfoToValue | kFilterDuplicates);
    EXPECT_EQ(f.settings.lfo.phase, 359);
}

TEST(ProgressionForm, PlayedNoteFillsTheFocusedSide) {
    FormFixture f;
    using PF = ProgressionField;
    f.form.SetFocus(static_cast<int>(PF::EndVelocity));
    f.form.MidiIn(PackMessage(0x93, 64, 99));
    EXPECT_EQ(f.form.Text(PF::EndValue), "E4");
    EXPECT_EQ(f.form.Text(PF::EndVelocity), "99");
    EXPECT_EQ(f.form.Text(PF::StartValue), "C4");
    f.form.SetFocus(static_cast<int>(PF::Snap));
    f.form.MidiIn(PackMessage(0x90, 50, 10));
    EXPECT_EQ(f.form.Text(PF::StartValue), "C4");
    ASSERT_TRUE(f.form.SetType(1));
    f.form.SetFocus(static_cast<int>(PF::StartValue));
    f.form.MidiIn(PackMessage(0x90, 50, 10));
    EXPECT_EQ(f.form.Text(PF::StartValue), "C4") << "only for notes";
}

}  // namespace
}  // namespace kvs

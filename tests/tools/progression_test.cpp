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
using Values = std::vector<std::int32_t>;

// The values a progression writes, into an empty track or into.
Values Written(const ProgressionParams& p, const LfoParams& lfo = {}, Track* into = nullptr) {
    Track own;
    Track& track = into != nullptr ? *into : own;
    RunProgression(track, p, lfo, 1);
    Values out;
    for (const auto& [tick, message] : test::Events(track))
        out.push_back(MessageValue(message));
    return out;
}

ProgressionParams Ramp(std::uint16_t type, std::int32_t from, std::int32_t to, std::uint32_t end) {
    return {
        .type = type, .channel = 2, .endTick = end, .startValue = from, .endValue = to, .flags = 0};
}

constexpr std::uint32_t Wave(LfoWave wave) {
    return static_cast<std::uint32_t>(wave);
}

TEST(Progression, ControllerRampTruncatesSkipsCollisionsAndFiltersDuplicates) {
    Track track;
    RunProgression(track, Ramp(7, 0, 127, 768), {}, 1);
    const auto events = test::Events(track);
    ASSERT_EQ(events.size(), 17u);
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(events[i], (test::TimedMessage(i * 48, test::Cc(2, 7, 127 * i * 48 / 768))));
    RunProgression(track, Ramp(7, 127, 0, 768), {}, 1);  // meets the first at every step
    EXPECT_EQ(track.EventCount(), 17u);

    Track single;
    ProgressionParams once = Ramp(10, 33, 99, 0);
    once.startTick = once.endTick = 500;
    RunProgression(single, once, {}, 1);
    EXPECT_EQ(test::Events(single), (std::vector<test::TimedMessage>{{500, test::Cc(2, 10, 33)}}));
    once.startTick = 501;  // after the end
    RunProgression(single, once, {}, 1);
    EXPECT_EQ(single.EventCount(), 1u);

    ProgressionParams flat = Ramp(1, 64, 64, 768);
    flat.flags = kFilterDuplicates;
    EXPECT_EQ(Written(flat).size(), 1u);
}

TEST(Progression, BendAndTempoUseTheirRangesAndOwnChannelFallsBack) {
    Track bend;
    bend.properties.channel = 5;
    ProgressionParams p = Ramp(kValuePitchBend, -8192, 8191, 192);
    p.channel = -1;  // the track's own
    EXPECT_EQ(Written(p, {}, &bend), (Values{-8192, -4097, -1, 4095, 8191}));
    EXPECT_EQ(Status(test::Events(bend)[0].second), 0xE5);
    ProgressionParams slow = Ramp(kValueTempo, 120, 60, 8 * B);
    slow.snap = B;
    EXPECT_EQ(Written(slow), (Values{120, 113, 105, 98, 90, 83, 75, 68, 60}));
    // A square LFO far beyond the range is clamped on both sides.
    slow.startValue = slow.endValue = 240;
    slow.flags = kLfoToValue;
    EXPECT_EQ(Written(slow, {Wave(LfoWave::Square), 2 * B, 1000, 0}),
              (Values{480, 10, 480, 10, 480, 10, 480, 10, 480}));
    Track plain;
    p.type = 1;
    Written(p, {}, &plain);
    EXPECT_EQ(Channel(test::Events(plain)[0].second), 0) << "no single channel: channel 1";
}

TEST(Progression, NotesArePairedAndNeverOverlapTheirTwins) {
    Track track;
    ProgressionParams p = Ramp(kProgressionNotes, 60, 60, B);
    RunProgression(track, p, {}, 1);
    // clang-format off
    const test::NoteList expected{
        {0, 47, 60, 80}, {48, 95, 60, 80}, {96, 143, 60, 80}, {144, 191, 60, 80}, {192, 239, 60, 80}};
    // clang-format on
    EXPECT_EQ(test::Notes(track), expected);
    RunProgression(track, p, {}, 1);
    EXPECT_EQ(test::Notes(track), expected);

    // Notes longer than the snap would overlap the one before: every other
    // step is skipped. The LFO moves the velocity but never to 0.
    Track longer;
    p.noteLength = 60;
    p.flags = kLfoToVelocity;
    RunProgression(longer, p, {Wave(LfoWave::Square), 4 * B, 127, 180}, 1);
    EXPECT_EQ(test::Notes(longer),
              (test::NoteList{{0, 59, 60, 1}, {96, 155, 60, 1}, {192, 251, 60, 1}}));
}

TEST(Progression, LfoShapesTheValuesAndKeepsItsPhaseInLongProgressions) {
    ProgressionParams p = Ramp(1, 64, 64, B);
    p.flags = kLfoToValue;
    EXPECT_EQ(Written(p, {0, B, 10, 0}), (Values{64, 74, 64, 54, 64}));
    EXPECT_EQ(Written(p, {Wave(LfoWave::Square), B, 10, 180}), (Values{54, 54, 74, 74, 54}));

    RandomWaveState random;
    // clang-format off
    const std::tuple<LfoWave, std::uint64_t, double> points[] = {
        {LfoWave::Triangle, 3072, 0.5}, {LfoWave::Triangle, 43008, -1}, {LfoWave::SawUp, 12288, -1},
        {LfoWave::SawDown, 6144, -0.5}, {LfoWave::Pulse25, 6143, 1},   {LfoWave::Pulse25, 6144, -1},
        {LfoWave::Pulse10, 2457, -1},   {LfoWave::Spike, 24576, 1},    {LfoWave::Spike, 1, -1},
        {LfoWave::Trapezium, 1536, 0.5}, {LfoWave::Trapezium, 21504, -1}};
    // clang-format on
    for (const auto& [wave, x, value] : points)
        EXPECT_DOUBLE_EQ(LfoValue(Wave(wave), x, random), value) << Wave(wave) << " " << x;
    // Random holds its value through a cycle and draws afresh in the next.
    const double first = LfoValue(Wave(LfoWave::Random), 0, random);
    EXPECT_EQ(LfoValue(Wave(LfoWave::Random), 24575, random), first);
    const double second = LfoValue(Wave(LfoWave::Random), 24576, random);
    EXPECT_EQ(LfoValue(Wave(LfoWave::Random), 30000, random), second);
    EXPECT_TRUE(second >= -1.0 && second <= 32767 / 16383.0 - 1);

    // Far enough that 32-bit phase arithmetic would wrap.
    p.endTick = 2000 * B;
    p.startTick = 1999 * B;
    p.snap = B;
    EXPECT_EQ(Written(p, {Wave(LfoWave::SawUp), 4 * B, 40, 0}), (Values{64, 84}));
    p.startTick = 0;
    const Values values = Written(p, {Wave(LfoWave::SawUp), 4 * B, 40, 0});
    ASSERT_EQ(values.size(), 2001u);
    EXPECT_EQ(values[1999], 44);
}

TEST(ProgressionForm, CompletesFromTheTrackFitsTheTypeAndValidatesInOrder) {
    ProgressionSettings settings;
    BuiltinPrompts prompts;
    ProgressionForm form{settings, prompts};
    using PF = ProgressionField;
    Track track;
    track.properties.channel = 9;
    form.Complete(track, {0, 4});
    EXPECT_EQ(form.Text(PF::Channel), "10");
    EXPECT_EQ(form.Text(PF::EndTime), "4.000");
    ASSERT_TRUE(form.Ok());
    EXPECT_EQ(settings.params.endTick, 768u);
    // A played note fills the focused side.
    form.SetFocus(static_cast<int>(PF::EndVelocity));
    form.MidiIn(PackMessage(0x93, 64, 99));
    EXPECT_EQ(form.Text(PF::EndValue), "E4");
    EXPECT_EQ(form.Text(PF::EndVelocity), "99");
    EXPECT_EQ(form.Text(PF::StartValue), "C4");

    EXPECT_TRUE(form.SetTypeText("tempo"));
    EXPECT_FALSE(form.Enabled(PF::Channel) || form.Enabled(PF::NoteLength));
    EXPECT_EQ(form.SpinRange(PF::Amplitude).max, 480);
    EXPECT_FALSE(form.SetTypeText("Program"));
    EXPECT_TRUE(form.SetTypeText("130"));
    EXPECT_EQ(form.SpinRange(PF::StartValue).min, -8192);

    // OK stores each value as it reads it and stops at the first bad one;
    // each refusal here is mended before the next.
    ASSERT_TRUE(form.SetType(kProgressionNotes));
    // clang-format off
    const std::vector<std::vector<std::pair<PF, const char*>>> steps = {
        {{PF::Channel, "4"}, {PF::StartTime, "1.000"}, {PF::EndTime, "2.000"},
         {PF::StartValue, "D4"}, {PF::EndValue, "200"}, {PF::Snap, "0.000"}},  // beyond a key
        {{PF::EndValue, "70"}, {PF::NoteLength, "0.001"}},  // a note of one tick
        {{PF::NoteLength, "0.002"}},                        // snap 0
        {{PF::Snap, "0.024"}, {PF::Phase, "360"}},
        {{PF::Phase, "359"}, {PF::EndTime, "0.191"}},       // before the start
        {{PF::EndTime, "1.192"}},                           // ticks above 191
        {{PF::EndTime, "3.000"}, {PF::StartVelocity, "0"}}};
    // clang-format on
    for (const auto& step : steps) {
        for (const auto& [field, text] : step)
            form.SetText(field, text);
        EXPECT_FALSE(form.Ok()) << step.back().second;
        if (&step == &steps[0]) {
            EXPECT_EQ(settings.params.channel, 3);
            EXPECT_EQ(settings.params.startValue, 62);
            EXPECT_EQ(settings.params.snap, 48u) << "not reached";
        }
    }
    EXPECT_EQ(settings.params.snap, 24u);
    // Velocities do not matter for a controller; its amplitude stops at 127.
    ASSERT_TRUE(form.SetType(74));
    form.SetText(PF::StartValue, "62");
    form.SetText(PF::Amplitude, "128");
    EXPECT_FALSE(form.Ok());
    form.SetText(PF::Amplitude, "127");
    form.SetFlag(kLfoToVelocity, true);
    form.SetFlag(kFilterDuplicates, true);
    ASSERT_TRUE(form.Ok());
    EXPECT_EQ(settings.params.flags, kLfoToValue | kFilterDuplicates);
    EXPECT_EQ(settings.lfo.phase, 359);
}

}  // namespace
}  // namespace kvs

// Each tool over one track of a million notes.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/prompt_table.h"
#include "model/song.h"
#include "tools/note_transform_tool.h"
#include "tools/tool_table.h"

namespace {

constexpr std::uint32_t kBeats = 250000;  // four notes a beat: 1,000,000 notes

// A melody of two notes a beat over a two-note chord, with a controller now
// and then; no key overlaps itself.
std::unique_ptr<kvs::Track> MakeMusic() {
    auto track = std::make_unique<kvs::Track>();
    for (std::uint32_t beat = 0; beat < kBeats; ++beat) {
        const kvs::Tick base = beat * kvs::TICKS_PER_BEAT;
        const auto root = static_cast<std::uint8_t>(48 + beat % 12);
        const auto tune = static_cast<std::uint8_t>(72 + (beat * 5) % 12);
        track->AddEvent(base + 3, kvs::PackMessage(0x90, root, 80));
        track->AddEvent(base + 3, kvs::PackMessage(0x90, root + 4, 80));
        track->AddEvent(base + 180, kvs::PackMessage(0x80, root, 64));
        track->AddEvent(base + 180, kvs::PackMessage(0x80, root + 4, 64));
        track->AddEvent(base + 1, kvs::PackMessage(0x90, tune, 100));
        track->AddEvent(base + 85, kvs::PackMessage(0x80, tune, 64));
        track->AddEvent(base + 98, kvs::PackMessage(0x90, tune + 2, 90));
        track->AddEvent(base + 170, kvs::PackMessage(0x80, tune + 2, 64));
        if (beat % 16 == 0) track->AddEvent(base, kvs::PackMessage(0xB0, 7, 100));
    }
    for (std::uint32_t beat = 0; beat < track->BeatCount(); ++beat)
        track->Bucket(beat)->Sort();
    return track;
}

const kvs::Track& Music() {
    static const std::unique_ptr<kvs::Track> track = MakeMusic();
    return *track;
}

void RunTool(benchmark::State& state, const char* name, std::vector<std::int32_t> values) {
    const kvs::Tool& tool = *kvs::Tools().Find(name);
    kvs::ValueDialog dialog = tool.NewDialog();
    for (std::size_t i = 0; i < values.size(); ++i)
        dialog.fields[i].value = values[i];
    const kvs::ToolPass pass = tool.fromValues(dialog);
    for (auto _ : state) {
        state.PauseTiming();
        kvs::Song song;
        song.InsertTrack();
        song.ReplaceTrack(0, Music().Clone());
        state.ResumeTiming();
        pass(song, 0, {0, kBeats});
        benchmark::DoNotOptimize(song.GetTrack(0)->EventCount());
        state.PauseTiming();
        while (song.TrackCount() > 0)  // not part of the tool, nor are split tracks
            song.DeleteTrack();
        state.ResumeTiming();
    }
    state.counters["notes"] = 4.0 * kBeats;
}

// Tools with dialogs of their own, given their values as kvs-cli takes them.
void RunOwnTool(benchmark::State& state, const char* name, std::vector<std::string> texts) {
    static const bool loaded = [] {
        const kvs::PromptTable prompts;
        const std::string data = KVS_SOURCE_DATA_DIR;
        return kvs::LoadNoteTransformStore(data + "/notexfrm.ini", data + "/none.ini", prompts,
                                           nullptr);
    }();
    std::string error;
    const std::optional<kvs::ToolPass> pass = kvs::Tools().Find(name)->fromText(texts, error);
    if (!loaded || !pass) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        kvs::Song song;
        song.InsertTrack();
        song.ReplaceTrack(0, Music().Clone());
        state.ResumeTiming();
        (*pass)(song, 0, {0, kBeats});
        benchmark::DoNotOptimize(song.GetTrack(0)->EventCount());
    }
    state.counters["notes"] = 4.0 * kBeats;
}

void Progression(benchmark::State& state) {
    RunOwnTool(state, "progression", {"Ctrl 74", "1", "", "", "0", "127", "", "", "0.096"});
}
BENCHMARK(Progression)->Unit(benchmark::kMillisecond)->Iterations(3);

void NoteTransform(benchmark::State& state) {
    RunOwnTool(state, "note-transform", {"Major to minor", "C"});
}
BENCHMARK(NoteTransform)->Unit(benchmark::kMillisecond)->Iterations(3);

#define KVS_TOOL_BENCH(id, name, ...)      \
    void id(benchmark::State& state) {     \
        RunTool(state, name, __VA_ARGS__); \
    }                                      \
    BENCHMARK(id)->Unit(benchmark::kMillisecond)->Iterations(3)

KVS_TOOL_BENCH(Transpose, "transpose", {5});
KVS_TOOL_BENCH(ChangeVelocity, "change-velocity", {80, 10});
KVS_TOOL_BENCH(TimeGlide, "time-glide", {96});
KVS_TOOL_BENCH(TimeExpand, "time-expand", {150});
KVS_TOOL_BENCH(Quantise, "quantise", {4, 100, 50});
KVS_TOOL_BENCH(QuantiseLength, "quantise-length", {4, 100});
KVS_TOOL_BENCH(Humanise, "humanise", {10});
KVS_TOOL_BENCH(SetLength, "set-length", {150, 0});
KVS_TOOL_BENCH(Legato, "legato", {0});
KVS_TOOL_BENCH(CleanUp, "clean-up", {});
KVS_TOOL_BENCH(SetChannel, "set-channel", {10});
KVS_TOOL_BENCH(ChannelSplit, "channel-split", {});
KVS_TOOL_BENCH(KeySplit, "key-split", {60, 71});
KVS_TOOL_BENCH(VelocitySplit, "velocity-split", {1, 90});
KVS_TOOL_BENCH(LengthSplit, "length-split", {1, 96});
KVS_TOOL_BENCH(NoteReplace, "note-replace", {60, 61});
KVS_TOOL_BENCH(VelocityCrescendo, "velocity-crescendo", {200});
KVS_TOOL_BENCH(ControllerRenumber, "controller-renumber", {7, 11});
KVS_TOOL_BENCH(ChangeControllers, "change-controllers", {7, 50, 10});
KVS_TOOL_BENCH(Reverse, "reverse", {});
KVS_TOOL_BENCH(DeleteNotes, "delete-notes", {60, 71});
KVS_TOOL_BENCH(DeleteControllers, "delete-controllers", {7});

}  // namespace

BENCHMARK_MAIN();

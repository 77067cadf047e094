// Load and save speed of MIDI files, and memory held per stored event.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "files/midi_file_reader.h"
#include "files/midi_file_writer.h"
#include "model/song.h"
#include "smf_generator.h"

namespace {

using kvs::bench::MakeFormat0File;
using kvs::bench::MakeLongTrackFile;
using kvs::bench::MakeManyTracksFile;

const std::vector<std::uint8_t>& FileFor(int shape) {
    static const std::vector<std::uint8_t> files[3] = {MakeLongTrackFile(), MakeManyTracksFile(),
                                                       MakeFormat0File()};
    return files[shape];
}

std::uint64_t StoredEvents(const kvs::Song& song) {
    std::uint64_t n = 0;
    for (std::uint32_t t = 0; t < song.TrackCount(); ++t)
        n += song.GetTrack(t)->EventCount();
    return n;
}

void Report(benchmark::State& state, std::size_t bytes, std::uint64_t events) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["events/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * events), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

// Warm: the allocator reuses the pages a previous iteration touched.
void BM_Load(benchmark::State& state) {
    const auto& file = FileFor(static_cast<int>(state.range(0)));
    std::uint64_t events = 0;
    for (auto _ : state) {
        auto song = std::make_unique<kvs::Song>();
        if (kvs::ReadMidiFile(file, *song, {}) != kvs::kResultOk)
            state.SkipWithError("load failed");
        events = StoredEvents(*song);
        state.PauseTiming();
        song.reset();
        state.ResumeTiming();
    }
    Report(state, file.size(), events);
}

// Cold: free memory is handed back to the system between iterations, so every
// load pays for first touch of its pages, as the first load of a session does.
void BM_LoadCold(benchmark::State& state) {
    const auto& file = FileFor(static_cast<int>(state.range(0)));
    std::uint64_t events = 0;
    for (auto _ : state) {
        auto song = std::make_unique<kvs::Song>();
        if (kvs::ReadMidiFile(file, *song, {}) != kvs::kResultOk)
            state.SkipWithError("load failed");
        events = StoredEvents(*song);
        state.PauseTiming();
        song.reset();
        malloc_trim(0);
        state.ResumeTiming();
    }
    Report(state, file.size(), events);
}

// Heap bytes in use, including the large blocks malloc maps on its own.
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap bytes the loaded song holds, per stored event.
void BM_MemoryPerEvent(benchmark::State& state) {
    const auto& file = FileFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        malloc_trim(0);
        const auto before = HeapInUse();
        auto song = std::make_unique<kvs::Song>();
        kvs::ReadMidiFile(file, *song, {});
        const auto after = HeapInUse();
        const std::uint64_t events = StoredEvents(*song);
        state.counters["bytes/event"] =
            static_cast<double>(after - before) / static_cast<double>(events ? events : 1);
        state.counters["events"] = static_cast<double>(events);
    }
}

void BM_Save(benchmark::State& state) {
    const auto& file = FileFor(static_cast<int>(state.range(0)));
    kvs::Song song;
    kvs::ReadMidiFile(file, song, {});
    const std::uint64_t events = StoredEvents(song);
    std::size_t written = 0;
    for (auto _ : state) {
        auto bytes = song.TrackCount() == 1 && state.range(0) == 2
                         ? kvs::WriteMidiFile0(song)
                         : kvs::WriteMidiFile1(song, true, {});
        written = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    Report(state, written, events);
}

// Shapes: 0 one long track, 1 many tracks, 2 format 0.
BENCHMARK(BM_Load)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCold)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryPerEvent)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident set: %ld KiB\n", usage.ru_maxrss);
    benchmark::Shutdown();
    return 0;
}

// Cost of one timer period of the playback engine for a large song at a fast
// tempo: median, 99th percentile and worst period, in microseconds.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/engine.h"
#include "midi/timer_manual.h"
#include "model/song.h"

namespace {

using kvs::Engine;

class NullSink final : public kvs::ShortMessageSink {
  public:
    void SendShort(std::uint32_t message, std::uint32_t port) override {
        sum_ += message ^ port;
        benchmark::DoNotOptimize(sum_);
    }
    void SendShortAll(std::uint32_t message) override { SendShort(message, 0xFFFF); }

  private:
    std::uint64_t sum_ = 0;
};

class NullNotifier final : public kvs::Notifier {
  public:
    void Post(std::uint32_t, std::uint32_t) override {}
};

constexpr std::uint32_t kTracks = 128;
constexpr std::uint32_t kEvents = 2000000;
constexpr std::uint32_t kBeats = 2000;

// Notes spread over every track with a controller now and then, the same
// density all through the song.
std::unique_ptr<kvs::Song> MakeSong() {
    auto song = std::make_unique<kvs::Song>();
    const std::uint32_t perTrack = kEvents / kTracks;
    const std::uint32_t ticks = kBeats * kvs::TICKS_PER_BEAT;
    std::uint32_t seed = 12345;
    for (std::uint32_t t = 0; t < kTracks; ++t) {
        song->InsertTrack();
        kvs::Track& track = *song->GetTrack(t);
        track.properties.channel = static_cast<std::uint16_t>(t % 16);
        track.properties.port = static_cast<std::uint16_t>(t % 4);
        track.EnsureBeats(kBeats);
        for (std::uint32_t i = 0; i < perTrack; i += 2) {
            seed = seed * 1664525u + 1013904223u;
            const std::uint32_t tick =
                static_cast<std::uint32_t>((std::uint64_t{i} * ticks / perTrack) % (ticks - 200));
            const std::uint8_t key = static_cast<std::uint8_t>(30 + (seed >> 24) % 70);
            if (i % 32 == 0) {
                track.AddEvent(tick,
                               kvs::PackMessage(0xB0, 7, static_cast<std::uint8_t>(seed % 128)));
                track.AddEvent(tick + 40, kvs::PackMessage(0x80, key, 0));
                continue;
            }
            track.AddEvent(tick, kvs::PackMessage(0x90, key, 100));
            track.AddEvent(tick + 40, kvs::PackMessage(0x80, key, 0));
        }
        for (std::uint32_t b = 0; b < kBeats; ++b)
            track.Bucket(b)->Sort();
    }
    song->tempo = 480;
    song->loop = 1;
    song->markers[kvs::kMarkerLeft] = 1;
    song->markers[kvs::kMarkerRight] = kBeats - 1;
    return song;
}

void BM_EnginePeriod(benchmark::State& state) {
    static std::unique_ptr<kvs::Song> song = MakeSong();
    kvs::ManualTimer timer;
    NullSink sink;
    NullNotifier notifier;
    Engine engine(timer, sink, notifier);
    kvs::EngineOptions options;
    options.settings.metronome = true;
    options.settings.midiClock = true;
    engine.SetOptions(options);
    engine.SetSong(song.get());
    engine.SetTempo(480);
    engine.StartPlay(1);
    timer.Fire(2);

    // Wall time includes preemption by other processes on a loaded machine;
    // the thread's CPU time is the period's own cost.
    std::vector<double> wall;
    std::vector<double> cpu;
    double worstCpu = 0;
    std::uint32_t worstTick = 0;
    wall.reserve(static_cast<std::size_t>(state.max_iterations));
    cpu.reserve(static_cast<std::size_t>(state.max_iterations));
    // Another process on the same core may have run between two periods:
    // with range(0) set, each period starts with the caches emptied of the
    // song, which is what the worst period on a busy machine looks like.
    const bool cold = state.range(0) != 0;
    std::vector<std::uint64_t> evict(cold ? (16u << 20) / 8 : 0, 1);
    std::uint64_t evictSum = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            for (std::uint64_t& w : evict)
                evictSum += ++w;
            benchmark::DoNotOptimize(evictSum);
            state.ResumeTiming();
        }
        timespec cpuStart{};
        timespec cpuEnd{};
        const std::uint32_t tick = engine.Position();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
        const auto start = std::chrono::steady_clock::now();
        timer.Fire(1);
        const auto end = std::chrono::steady_clock::now();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
        wall.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        cpu.push_back(static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) * 1e6 +
                      static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e3);
        if (cpu.back() > worstCpu) {
            worstCpu = cpu.back();
            worstTick = tick;
        }
    }
    engine.StopEngine();
    if (wall.empty()) return;
    auto report = [&state](std::vector<double>& v, const char* prefix) {
        std::sort(v.begin(), v.end());
        const std::string p(prefix);
        state.counters[p + "median_us"] = v[v.size() / 2];
        state.counters[p + "p99_us"] = v[v.size() * 99 / 100];
        state.counters[p + "p999_us"] = v[v.size() * 999 / 1000];
        state.counters[p + "worst_us"] = v.back();
    };
    report(wall, "wall_");
    report(cpu, "cpu_");
    // Where the song was when the costliest period began (a loop wrap is at
    // the Right marker's beat).
    state.counters["cpu_worst_at_beat"] = worstTick / kvs::TICKS_PER_BEAT;
}
// 200,000 periods are ten minutes of song time: several passes of the loop.
BENCHMARK(BM_EnginePeriod)->Arg(0)->Iterations(200000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnginePeriod)->Arg(1)->Iterations(5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

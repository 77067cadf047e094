// Timing accuracy of `kvs-cli play --midi virtual --log`: every message's
// lateness against the tempo map's time of its tick, with and without two
// busy processes loading the cores.
//
//   kvs_play_timing [--unloaded | --loaded] [--cli PATH] [--keep DIR]

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "files/load_options.h"
#include "files/song_file.h"
#include "model/song.h"
#include "model/time_map.h"

extern char** environ;

namespace {

struct TimedMessage {
    std::uint32_t tick;
    std::vector<std::uint8_t> bytes;
};

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (const std::uint8_t b : bytes) {
        if (!s.empty()) s += ' ';
        s += kDigits[b >> 4];
        s += kDigits[b & 0x0F];
    }
    return s;
}

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t buf[5];
    int n = 0;
    buf[n++] = v & 0x7F;
    while ((v >>= 7) != 0)
        buf[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
    while (n > 0)
        out.push_back(buf[--n]);
}

void PutBE(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Events are in time order; the track ends at endTick.
void PutTrack(std::vector<std::uint8_t>& file, const std::vector<TimedMessage>& events,
              std::uint32_t endTick) {
    std::vector<std::uint8_t> body;
    std::uint32_t at = 0;
    for (const TimedMessage& e : events) {
        PutVarLen(body, e.tick - at);
        at = e.tick;
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    PutVarLen(body, endTick - at);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBE(file, static_cast<std::uint32_t>(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
}

std::vector<std::uint8_t> TempoEvent(std::uint32_t bpm) {
    const std::uint32_t us = 60000000 / bpm;
    return {0xFF,
            0x51,
            0x03,
            static_cast<std::uint8_t>(us >> 16),
            static_cast<std::uint8_t>(us >> 8),
            static_cast<std::uint8_t>(us)};
}

constexpr std::uint32_t kDivision = 192;
constexpr std::uint32_t kStep = 12;  // a sixteenth note
constexpr std::uint32_t kTracks = 4;
constexpr std::uint32_t kBeats = 125;
// Tempo changes: beat, beats per minute.
constexpr std::uint32_t kTempi[][2] = {{0, 150}, {50, 75}, {75, 150}};

// 60 seconds: 50 beats at 150, 25 at 75, 50 at 150 beats per minute. A step
// of 12 ticks is 25 or 50 ms at these tempi, so the tempo map's whole
// milliseconds are exact, and the steps fall on every phase of the 3 ms
// timer period, as notes of real songs do. Both changes fall between two
// periods. Returns the file and every channel message it holds.
std::vector<std::uint8_t> MakeSong(std::vector<TimedMessage>& sent) {
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd'};
    PutBE(file, 6, 4);
    PutBE(file, 1, 2);
    PutBE(file, kTracks + 1, 2);
    PutBE(file, kDivision, 2);

    const std::uint32_t end = kBeats * kDivision;
    std::vector<TimedMessage> tempoTrack = {{0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}}};
    for (const auto& [beat, bpm] : kTempi)
        tempoTrack.push_back({beat * kDivision, TempoEvent(bpm)});
    PutTrack(file, tempoTrack, end);

    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (std::uint32_t t = 0; t < kTracks; ++t) {
        std::vector<TimedMessage> events;
        const auto ch = static_cast<std::uint8_t>(t);
        int sounding = -1;
        for (std::uint32_t tick = 0; tick < end; tick += kStep) {
            const std::uint32_t step = tick / kStep;
            if (sounding >= 0) {
                events.push_back({tick,
                                  {static_cast<std::uint8_t>(0x80 | ch),
                                   static_cast<std::uint8_t>(sounding), 0x40}});
                sounding = -1;
            }
            if ((step + t) % 3 != 2) {
                sounding = static_cast<int>(36 + next() % 48);
                events.push_back(
                    {tick,
                     {static_cast<std::uint8_t>(0x90 | ch), static_cast<std::uint8_t>(sounding),
                      static_cast<std::uint8_t>(40 + next() % 80)}});
            }
            // Nothing at tick 0 but notes: a controller there could become
            // a track setting on loading and be sent before the music.
            if (tick > 0 && step % 4 == t % 4)
                events.push_back({tick,
                                  {static_cast<std::uint8_t>(0xB0 | ch), 0x01,
                                   static_cast<std::uint8_t>(next() % 128)}});
            if (tick > 0 && step % 6 == t % 6)
                events.push_back({tick,
                                  {static_cast<std::uint8_t>(0xB0 | ch), 0x4A,
                                   static_cast<std::uint8_t>(next() % 128)}});
        }
        if (sounding >= 0)
            events.push_back({end,
                              {static_cast<std::uint8_t>(0x80 | ch),
                               static_cast<std::uint8_t>(sounding), 0x40}});
        PutTrack(file, events, end);
        sent.insert(sent.end(), events.begin(), events.end());
    }
    return file;
}

// Two processes spinning at ordinary priority, one per core of the machine
// the targets are set for.
class CoreLoad {
  public:
    explicit CoreLoad(int processes) {
        for (int i = 0; i < processes; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                volatile std::uint64_t spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0) pids_.push_back(pid);
        }
    }
    ~CoreLoad() {
        for (const pid_t pid : pids_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    CoreLoad(const CoreLoad&) = delete;
    CoreLoad& operator=(const CoreLoad&) = delete;

  private:
    std::vector<pid_t> pids_;
};

bool RunPlay(const std::string& cli, const std::string& song, const std::string& log) {
    const char* argv[] = {cli.c_str(), "play",  song.c_str(), "--midi",
                          "virtual",   "--log", log.c_str(),  nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc =
        posix_spawn(&pid, cli.c_str(), &quiet, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (rc != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0.0;
    const auto i = static_cast<std::size_t>(p / 100.0 * static_cast<double>(sorted.size() - 1));
    return sorted[i];
}

double Mean(const std::vector<double>& v) {
    double sum = 0.0;
    for (const double x : v)
        sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

struct Measured {
    std::vector<double> ideal;  // ms from the music's start, by the tempo map
    std::vector<double> raw;    // logged ms minus ideal ms
    std::size_t missing = 0;
    std::size_t extra = 0;
};

// The k-th logged occurrence of a message is the k-th in the song: a message
// repeated at two ticks cannot go out in the wrong order.
Measured Match(const std::string& logText, const kvs::Song& song,
               const std::vector<TimedMessage>& sent) {
    std::vector<TimedMessage> ordered = sent;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.tick < b.tick; });
    std::map<std::string, std::deque<double>> expected;
    for (const TimedMessage& m : ordered)
        expected[Hex(m.bytes)].push_back(kvs::TicksToMs(song, m.tick));

    Measured out;
    std::istringstream in(logText);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double ms = 0.0;
        unsigned port = 0;
        fields >> ms >> port;
        std::string bytes;
        std::getline(fields, bytes);
        if (!bytes.empty() && bytes.front() == ' ') bytes.erase(0, 1);
        const auto it = expected.find(bytes);
        if (it == expected.end() || it->second.empty()) {
            ++out.extra;  // initial settings, releases at the stop
            continue;
        }
        out.ideal.push_back(it->second.front());
        out.raw.push_back(ms - it->second.front());
        it->second.pop_front();
    }
    for (const auto& [bytes, left] : expected)
        out.missing += left.size();
    return out;
}

// sections: where each tempo begins, in ms.
void Report(const char* label, const Measured& m, double songMs,
            const std::vector<double>& sections) {
    if (m.raw.empty()) {
        std::printf("%s: nothing measured\n", label);
        return;
    }
    // The music starts some periods after the log's zero (the engine's delay
    // and count-in states take one each); the grid start is where the
    // earliest message relative to its ideal time went out, since many ticks
    // fall exactly on a period.
    const double start = *std::min_element(m.raw.begin(), m.raw.end());
    std::vector<double> late;
    std::vector<double> first;
    std::vector<double> last;
    for (std::size_t i = 0; i < m.raw.size(); ++i) {
        const double l = m.raw[i] - start;
        late.push_back(l);
        if (m.ideal[i] < songMs / 3) first.push_back(l);
        if (m.ideal[i] >= 2 * songMs / 3) last.push_back(l);
    }
    std::vector<double> sorted = late;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%s: %zu messages, %zu missing, %zu others; music starts %.3f ms after zero\n",
                label, late.size(), m.missing, m.extra, start);
    std::printf("  lateness ms  p50 %.3f  p99 %.3f  p99.9 %.3f  max %.3f\n", Percentile(sorted, 50),
                Percentile(sorted, 99), Percentile(sorted, 99.9), sorted.back());
    std::printf("  mean lateness ms  first third %.3f  last third %.3f  (drift %+.3f)\n",
                Mean(first), Mean(last), Mean(last) - Mean(first));
    // Each tempo change may add a constant offset; the sections show it.
    std::printf("  by tempo section (mean/max ms):");
    for (std::size_t k = 0; k < sections.size(); ++k) {
        const double to = k + 1 < sections.size() ? sections[k + 1] : songMs + 1;
        std::vector<double> part;
        for (std::size_t i = 0; i < late.size(); ++i)
            if (m.ideal[i] >= sections[k] && m.ideal[i] < to) part.push_back(late[i]);
        const double max = part.empty() ? 0.0 : *std::max_element(part.begin(), part.end());
        std::printf("  %.3f/%.3f", Mean(part), max);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string cli = KVS_CLI_PATH;
    bool unloaded = true;
    bool loaded = true;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--unloaded") {
            loaded = false;
        } else if (a == "--loaded") {
            unloaded = false;
        } else if (a == "--cli" && i + 1 < argc) {
            cli = argv[++i];
        } else if (a == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--unloaded | --loaded] [--cli PATH] [--keep DIR]\n",
                         argv[0]);
            return 2;
        }
    }

    std::filesystem::path dir = keep;
    if (keep.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kvs-timing-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return 1;
        dir = pattern;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    setenv("KVS_HOME", dir.c_str(), 1);
    setenv("KVS_MIDI", "none", 1);

    std::vector<TimedMessage> sent;
    const std::vector<std::uint8_t> bytes = MakeSong(sent);
    const std::string songPath = (dir / "timing.mid").string();
    {
        std::ofstream f(songPath, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    }
    kvs::Song song;
    if (kvs::LoadSongFile(songPath, song, kvs::LoadOptions{}) != kvs::kResultOk) {
        std::fprintf(stderr, "cannot load the generated song\n");
        return 1;
    }
    const double songMs = kvs::TicksToMs(song, kBeats * kvs::TICKS_PER_BEAT);
    std::vector<double> sections;
    for (const auto& [beat, bpm] : kTempi)
        sections.push_back(kvs::TicksToMs(song, beat * kvs::TICKS_PER_BEAT));
    std::printf("song: %.1f s, %zu channel messages on %u tracks, two tempo changes\n",
                songMs / 1000, sent.size(), kTracks);

    int failures = 0;
    for (const bool withLoad : {false, true}) {
        if ((withLoad && !loaded) || (!withLoad && !unloaded)) continue;
        const std::string log = (dir / (withLoad ? "loaded.log" : "unloaded.log")).string();
        bool ok = false;
        {
            CoreLoad load(withLoad ? 2 : 0);
            ok = RunPlay(cli, songPath, log);
        }
        if (!ok) {
            std::fprintf(stderr, "%s did not play the song\n", cli.c_str());
            ++failures;
            continue;
        }
        std::ifstream f(log);
        std::stringstream text;
        text << f.rdbuf();
        Report(withLoad ? "two cores loaded" : "unloaded", Match(text.str(), song, sent), songMs,
               sections);
    }
    if (keep.empty()) std::filesystem::remove_all(dir);
    return failures == 0 ? 0 : 1;
}

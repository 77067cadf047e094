// Every tool and beat edit over one track, timed for four ways of ending its
// notes: true note offs, velocity-0 note ons, no ends at all, and both kinds
// in one track. Pairing a note with its end must cost about the same
// whichever way the file ends its notes.
//
//   kvs_pairing_bench [NOTES] [TOOL|EDIT ...]
//
// NOTES defaults to 1,000,000; names limit the run to those operations.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/prompt_table.h"
#include "model/edit_session.h"
#include "model/song.h"
#include "tools/note_transform_tool.h"
#include "tools/tool_table.h"

namespace {

enum class Ends { NoteOff, ZeroOn, None, Mixed };
constexpr const char* kEndsNames[] = {"note off", "velocity 0", "unended", "mixed"};

// A melody of two notes a beat over a two-note chord, with a controller now
// and then; no key overlaps itself. Four notes a beat.
std::unique_ptr<kvs::Track> MakeMusic(std::uint32_t notes, Ends ends) {
    auto track = std::make_unique<kvs::Track>();
    // Mixed: the chord ends with note offs, the melody with velocity 0.
    auto note = [&](kvs::Tick on, kvs::Tick off, std::uint8_t key, std::uint8_t velocity) {
        track->AddEvent(on, kvs::PackMessage(0x90, key, velocity));
        const bool zero = ends == Ends::ZeroOn || (ends == Ends::Mixed && key >= 72);
        if (ends != Ends::None)
            track->AddEvent(off, kvs::PackMessage(zero ? 0x90 : 0x80, key, zero ? 0 : 64));
    };
    for (std::uint32_t beat = 0; beat < notes / 4; ++beat) {
        const kvs::Tick base = beat * kvs::TICKS_PER_BEAT;
        const auto root = static_cast<std::uint8_t>(48 + beat % 12);
        const auto tune = static_cast<std::uint8_t>(72 + (beat * 5) % 12);
        note(base + 3, base + 180, root, 80);
        note(base + 3, base + 180, root + 4, 80);
        note(base + 1, base + 85, tune, 100);
        note(base + 98, base + 170, tune + 2, 90);
        if (beat % 16 == 0) track->AddEvent(base, kvs::PackMessage(0xB0, 7, 100));
    }
    for (std::uint32_t beat = 0; beat < track->BeatCount(); ++beat)
        track->Bucket(beat)->Sort();
    return track;
}

// An operation on a session whose only track is the music, all of it selected.
struct Operation {
    std::string name;
    std::function<bool(kvs::EditSession&, std::uint32_t beats)> run;
};

// Values that make each tool do something (its defaults may change nothing).
const std::map<std::string, std::vector<std::int32_t>> kValues = {
    {"transpose", {5}},
    {"change-velocity", {80, 10}},
    {"time-glide", {96}},
    {"time-expand", {150}},
    {"quantise", {4, 100, 50}},
    {"quantise-length", {4, 100}},
    {"humanise", {10}},
    {"set-length", {150, 0}},
    {"legato", {0}},
    {"set-channel", {10}},
    {"key-split", {60, 71}},
    {"velocity-split", {1, 90}},
    {"length-split", {1, 96}},
    {"note-replace", {60, 61}},
    {"velocity-crescendo", {200}},
    {"controller-renumber", {7, 11}},
    {"change-controllers", {7, 50, 10}},
    {"delete-notes", {60, 71}},
    {"delete-controllers", {7}},
};

std::vector<Operation> Operations() {
    std::vector<Operation> ops;
    const kvs::PromptTable prompts;
    const std::string data = KVS_SOURCE_DATA_DIR;
    const bool presets =
        kvs::LoadNoteTransformStore(data + "/notexfrm.ini", data + "/none.ini", prompts, nullptr);
    for (const kvs::Tool& tool : kvs::Tools().All()) {
        std::optional<kvs::ToolPass> pass;
        std::string error;
        if (tool.name == "insert-from-file") continue;  // reads a file, pairs nothing
        if (tool.name == "progression") {
            const std::vector<std::string> values{"Ctrl 74", "1", "", "",     "0",
                                                  "127",     "",  "", "0.096"};
            pass = tool.fromText(values, error);
        } else if (tool.name == "note-transform") {
            const std::vector<std::string> values{"Major to minor", "C"};
            if (presets) pass = tool.fromText(values, error);
        } else if (tool.fromValues) {
            kvs::ValueDialog dialog = tool.NewDialog();
            const auto values = kValues.find(std::string(tool.name));
            if (values != kValues.end())
                for (std::size_t i = 0; i < values->second.size(); ++i)
                    dialog.fields[i].value = values->second[i];
            pass = tool.fromValues(dialog);
        }
        if (!pass) continue;
        ops.push_back({std::string(tool.name), [pass](kvs::EditSession& s, std::uint32_t beats) {
                           (*pass)(s.GetSong(), 0, {0, beats});
                           return true;
                       }});
    }
    using kvs::EditResult;
    using Edit = EditResult (kvs::EditSession::*)();
    for (const auto& [name, edit] : {std::pair<const char*, Edit>{"cut", &kvs::EditSession::Cut},
                                     {"copy", &kvs::EditSession::Copy},
                                     {"delete", &kvs::EditSession::DeleteBeats},
                                     {"clear", &kvs::EditSession::ClearBeats}}) {
        ops.push_back({name, [edit](kvs::EditSession& s, std::uint32_t) {
                           return (s.*edit)() == EditResult::Done;
                       }});
    }
    return ops;
}

struct Session {
    kvs::NullEngineLink engine;
    kvs::PlainBeatSelection selection;
    kvs::NoAsk ask;
    kvs::EditSession session{engine, selection, ask};
};

double RunOnce(const Operation& op, const kvs::Track& music, bool* ok) {
    auto s = std::make_unique<Session>();
    s->session.GetSong().InsertTrack();
    s->session.GetSong().ReplaceTrack(0, music.Clone());
    s->session.SetCurrentTrack(0);
    // A selection in the middle, so that cut and delete pair notes across it.
    const std::uint32_t beats = music.BeatCount();
    s->selection.Select(beats / 4, beats / 4 * 3);
    const auto start = std::chrono::steady_clock::now();
    *ok = op.run(s->session, beats);
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t notes = argc > 1 ? static_cast<std::uint32_t>(std::atol(argv[1])) : 1000000;
    const std::vector<std::string> only(argv + std::min(argc, 2), argv + argc);
    const std::unique_ptr<kvs::Track> music[] = {
        MakeMusic(notes, Ends::NoteOff), MakeMusic(notes, Ends::ZeroOn),
        MakeMusic(notes, Ends::None), MakeMusic(notes, Ends::Mixed)};
    std::printf("%u notes; milliseconds, best of 3\n%-20s %10s %10s %10s %10s %8s %8s %8s\n", notes,
                "operation", kEndsNames[0], kEndsNames[1], kEndsNames[2], kEndsNames[3], "vel0/off",
                "none/off", "mix/off");
    double worst = 0;
    for (const Operation& op : Operations()) {
        if (!only.empty() && std::find(only.begin(), only.end(), op.name) == only.end()) continue;
        double ms[4];
        bool ok = true;
        for (int e = 0; e < 4; ++e) {
            ms[e] = 1e300;
            for (int run = 0; run < 3; ++run) {
                bool done = false;
                ms[e] = std::min(ms[e], RunOnce(op, *music[e], &done));
                ok = ok && done;
            }
        }
        const double base = std::max(ms[0], 0.001);
        worst = std::max({worst, ms[1] / base, ms[2] / base, ms[3] / base});
        std::printf("%-20s %10.1f %10.1f %10.1f %10.1f %8.2f %8.2f %8.2f%s\n", op.name.c_str(),
                    ms[0], ms[1], ms[2], ms[3], ms[1] / base, ms[2] / base, ms[3] / base,
                    ok ? "" : "  (failed)");
    }
    std::printf("worst ratio %.2f\n", worst);
    return 0;
}

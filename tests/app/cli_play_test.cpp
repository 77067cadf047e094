#include <gtest/gtest.h>

#include <algorithm>

#include "cli_test_support.h"
#include "midi/backends/virtual_midi_log.h"

namespace kvs {
namespace {

using test::LogLine;
using test::ParseLog;
using test::RunArgs;
using Strings = std::vector<std::string>;

// 480 beats per minute: C4 for half a beat, E4 on beat 1, G4 on beat 2 held
// to the song end, then a program change.
test::Bytes FastSong() {
    return test::Format0Song(
        {0x00, 0xFF, 0x51, 0x03, 0x01, 0xE8, 0x48,        // 125,000 us per beat
         0x00, 0x90, 0x3C, 0x64, 0x30, 0x80, 0x3C, 0x40,  // C4
         0x30, 0x90, 0x40, 0x50, 0x60, 0x80, 0x40, 0x40,  // E4 at beat 1
         0x00, 0x90, 0x43, 0x70, 0x60, 0xC0, 0x05,        // G4 at beat 2, program at beat 3
         0x00, 0xFF, 0x2F, 0x00});
}

Strings Notes(const std::vector<LogLine>& lines) {
    Strings notes;
    for (const LogLine& l : lines)
        if (l.bytes[0] == '9' || l.bytes[0] == '8') notes.push_back(l.bytes);
    return notes;
}

TEST(CliPlay, VirtualLogHoldsEveryMessageInOrderWithTimesThatNeverGoBack) {
    test::ScopedHome home;
    const std::string song = home.File("fast.mid");
    const std::string log = home.File("play.log");
    test::WriteBytes(song, FastSong());

    const test::CliRun r = RunArgs({"play", song, "--midi", "virtual", "--log", log});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const std::vector<LogLine> lines = ParseLog(test::ReadText(log));
    ASSERT_FALSE(lines.empty());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].port, 0u);
        EXPECT_GE(lines[i].ms, i > 0 ? lines[i - 1].ms : 0.0) << i;
        // A beat lasts 125 ms; a period sends a tick no earlier than it is due.
        const double due = lines[i].bytes == "90 40 50"   ? 125.0
                           : lines[i].bytes == "90 43 70" ? 250.0
                                                          : 0.0;
        EXPECT_GE(lines[i].ms, due) << lines[i].bytes;
    }
    // G4 still sounds at the song end: stopping releases it, velocity 64.
    EXPECT_EQ(Notes(lines),
              (Strings{"90 3C 64", "80 3C 40", "90 40 50", "80 40 40", "90 43 70", "80 43 40"}));
    EXPECT_TRUE(test::Has(test::ReadText(log), " C0 05\n"));

    // Times before the start clamp to zero; long messages print whole.
    RecordedMidiMessage sysex;
    sysex.isLong = true;
    sysex.bytes = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(FormatLogLine(std::chrono::nanoseconds(-5), 2, sysex), "0.000 2 F0 7E 7F 09 01 F7\n");
}

TEST(CliPlay, OptionsShapeWhatIsSent) {
    test::ScopedHome home;
    const std::string song = home.File("fast.mid");
    const std::string log = home.File("play.log");
    test::WriteBytes(song, FastSong());

    // From beat 2: no initial settings, the first note is G4; the clock ticks
    // 24 times a beat; two count-in clicks come first.
    const test::CliRun r = RunArgs({"play", song, "--midi", "virtual", "--log", log, "--from", "2",
                                    "--clock", "--metronome", "--count-in", "2"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const std::vector<LogLine> lines = ParseLog(test::ReadText(log));
    const auto isClock = [](const LogLine& l) { return l.bytes == "F8"; };
    const auto firstClock = std::find_if(lines.begin(), lines.end(), isClock);
    // Beats 2 and 3, and the first tick of the song end when the last period
    // reaches it.
    const auto clocks = std::count_if(lines.begin(), lines.end(), isClock);
    EXPECT_GE(clocks, 2 * 24);
    EXPECT_LE(clocks, 2 * 24 + 1);
    Strings before;
    for (auto l = lines.begin(); l != firstClock; ++l)
        before.push_back(l->bytes);
    // Two count-in clicks (other-beat velocity 80), then the click of beat 2
    // (not a bar start) comes before the first clock of the music.
    EXPECT_EQ(before, (Strings{"99 25 50", "89 25 50", "99 25 50", "89 25 50", "99 25 50"}));
    const Strings notes = Notes(lines);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "90 43 70"), 1);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "90 3C 64"), 0);
}

TEST(CliPlay, VirtualBackendAndOptionPlayToOneLoggedOutputAndBadPortsExitWithTwo) {
    test::ScopedHome home("virtual");
    const std::string song = home.File("fast.mid");
    test::WriteBytes(song, FastSong());
    RunArgs({"settings"});
    // The default port names the synthesizer: neither way may go there.
    test::SetOption(home, "defport", "KVS Synth_out");
    test::SetOption(home, "autolocal", "1");
    test::SetOption(home, "autoloadsend", "2");
    const std::string log = home.File("env.log");
    const test::ScopedEnv logEnv("KVS_MIDI_LOG", log);

    for (const Strings& args : {Strings{"play", song, "--midi", "virtual"}, {"play", song}}) {
        std::filesystem::remove(log);
        const test::CliRun r = RunArgs(args);
        ASSERT_EQ(r.status, kExitOk) << r.err;
        const std::vector<LogLine> lines = ParseLog(test::ReadText(log));
        ASSERT_GT(lines.size(), 3u) << args.size();
        EXPECT_EQ(lines.front().bytes, "B0 7A 00");
        EXPECT_EQ(lines[1].bytes, "F0 7E 7F 09 01 F7");
        EXPECT_EQ(lines.back().bytes, "B0 7A 7F");
        EXPECT_EQ(Notes(lines).size(), 6u);
    }

    const test::CliRun port = RunArgs({"play", song, "--midi", "virtual", "--port", "3"});
    EXPECT_EQ(port.status, kExitFileError);
    EXPECT_TRUE(test::Has(port.err, "no MIDI OUT port 3"));
    EXPECT_EQ(RunArgs({"play", song, "--port", "Nowhere"}).status, kExitFileError);
    EXPECT_EQ(RunArgs({"play", home.File("missing.mid")}).status, kExitFileError);
}

TEST(CliPlay, TerminationEndsPlayAndRecordLikeCtrlC) {
    test::ScopedHome home("virtual");
    const std::string song = home.File("fast.mid");
    const std::string log = home.File("play.log");
    const std::string take = home.File("take.mid");
    test::WriteBytes(song, FastSong());
    const std::vector<Strings> runs = {
        {KVS_CLI_PATH, "play", song, "--loop", "0:4", "--midi", "virtual", "--log", log},
        {KVS_CLI_PATH, "record", take, "--in", "0", "--port", "0"}};
    for (const int signal : {SIGTERM, SIGHUP}) {
        for (const Strings& args : runs) {
            const pid_t pid = test::Spawn(args, "");
            ASSERT_GT(pid, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            kill(pid, signal);
            EXPECT_EQ(test::WaitExit(pid, std::chrono::seconds(10)), 0) << args[1] << signal;
        }
        // Every note the endless loop started was released, and the take saved.
        const Strings notes = Notes(ParseLog(test::ReadText(log)));
        const auto ons = std::count_if(notes.begin(), notes.end(),
                                       [](const std::string& n) { return n[0] == '9'; });
        EXPECT_GT(ons, 0);
        EXPECT_EQ(ons * 2, static_cast<long>(notes.size()));
        EXPECT_TRUE(std::filesystem::exists(take));
        std::filesystem::remove(log);
        std::filesystem::remove(take);
    }
}

}  // namespace
}  // namespace kvs

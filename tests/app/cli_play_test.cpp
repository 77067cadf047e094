#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#include "cli_test_support.h"
#include "jack_test_support.h"
#include "midi/backends/virtual_midi_log.h"

namespace kvs {
namespace {

using test::RunArgs;

// Format 0 at 480 beats per minute, 96 ticks per beat: C4 for half a beat,
// E4 on beat 1, G4 on beat 2 held to the song end, then a program change.
std::vector<std::uint8_t> FastSong() {
    const std::vector<std::uint8_t> events = {
        0x00, 0xFF, 0x51, 0x03, 0x01, 0xE8, 0x48,        // 125,000 us per beat
        0x00, 0x90, 0x3C, 0x64, 0x30, 0x80, 0x3C, 0x40,  // C4
        0x30, 0x90, 0x40, 0x50, 0x60, 0x80, 0x40, 0x40,  // E4 at beat 1
        0x00, 0x90, 0x43, 0x70, 0x60, 0xC0, 0x05,        // G4 at beat 2, program at beat 3
        0x00, 0xFF, 0x2F, 0x00};
    std::vector<std::uint8_t> file;
    for (const char c : std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0", 21))
        file.push_back(static_cast<std::uint8_t>(c));
    file.push_back(static_cast<std::uint8_t>(events.size()));
    for (const std::uint8_t b : events)
        file.push_back(b);
    return file;
}

struct LogLine {
    double ms;
    unsigned port;
    std::string bytes;
};

std::vector<LogLine> ParseLog(const std::string& text) {
    std::vector<LogLine> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        LogLine l{};
        std::istringstream fields(line);
        fields >> l.ms >> l.port;
        std::getline(fields, l.bytes);
        if (!l.bytes.empty() && l.bytes.front() == ' ') l.bytes.erase(0, 1);
        lines.push_back(l);
    }
    return lines;
}

std::vector<std::string> Notes(const std::vector<LogLine>& lines) {
    std::vector<std::string> notes;
    for (const LogLine& l : lines) {
        if (l.bytes.rfind("9", 0) == 0 || l.bytes.rfind("8", 0) == 0) notes.push_back(l.bytes);
    }
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
        if (i > 0) {
            EXPECT_GE(lines[i].ms, lines[i - 1].ms) << i;
        }
    }
    // G4 still sounds at the song end: stopping releases it, velocity 64.
    EXPECT_EQ(Notes(lines), (std::vector<std::string>{"90 3C 64", "80 3C 40", "90 40 50",
                                                      "80 40 40", "90 43 70", "80 43 40"}));
    EXPECT_NE(test::ReadText(log).find(" C0 05\n"), std::string::npos);
    // A beat lasts 125 ms; a period sends a tick no earlier than it is due.
    for (const LogLine& l : lines) {
        if (l.bytes == "90 40 50") {
            EXPECT_GE(l.ms, 125.0);
        }
        if (l.bytes == "90 43 70") {
            EXPECT_GE(l.ms, 250.0);
        }
    }
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
    std::size_t clocks = 0;
    std::size_t firstClock = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].bytes != "F8") continue;
        ++clocks;
        firstClock = std::min(firstClock, i);
    }
    // Beats 2 and 3, and the first tick of the song end when the last period
    // reaches it.
    EXPECT_GE(clocks, 2u * 24u);
    EXPECT_LE(clocks, 2u * 24u + 1);
    ASSERT_LT(firstClock, lines.size());
    std::vector<std::string> before;
    for (std::size_t i = 0; i < firstClock; ++i)
        before.push_back(lines[i].bytes);
    // Two count-in clicks (other-beat velocity 80), then the click of beat 2
    // (not a bar start) comes before the first clock of the music.
    EXPECT_EQ(before, (std::vector<std::string>{"99 25 50", "89 25 50", "99 25 50", "89 25 50",
                                                "99 25 50"}));
    const std::vector<std::string> notes = Notes(lines);
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "90 43 70"), 1);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "90 3C 64"), 0);
}

TEST(CliPlay, BadPortsAndOptionsAreRefused) {
    test::ScopedHome home;
    const std::string song = home.File("fast.mid");
    test::WriteBytes(song, FastSong());

    const test::CliRun port = RunArgs({"play", song, "--midi", "virtual", "--port", "3"});
    EXPECT_EQ(port.status, kExitFileError);
    EXPECT_NE(port.err.find("no MIDI OUT port 3"), std::string::npos);
    EXPECT_EQ(RunArgs({"play", song, "--midi", "virtual", "--port", "Nowhere"}).status,
              kExitFileError);
    EXPECT_EQ(RunArgs({"play", home.File("missing.mid"), "--midi", "virtual"}).status,
              kExitFileError);

    const std::vector<std::vector<std::string>> usage = {
        {"play"},
        {"play", song, "extra"},
        {"play", song, "--loop", "4:2"},
        {"play", song, "--loop", "4"},
        {"play", song, "--from", "x"},
        {"play", song, "--count-in", "-1"},
        {"play", song, "--midi", "alsa"},
        {"play", song, "--log", "x.log"},
        {"play", song, "--rate", "44100"},
        {"info", song, "--metronome"},
        {"render", song, "out.wav", "--port", "0"},
        {"render", song, "out.wav", "--rate", "100"},
        {"render", song},
    };
    for (const auto& args : usage) {
        const test::CliRun r = RunArgs(args);
        EXPECT_EQ(r.status, kExitUsage) << args.back();
        EXPECT_NE(r.err.find("usage: kvs-cli"), std::string::npos) << args.back();
    }
}

TEST(CliPlay, VirtualBackendAndOptionPlayToOneLoggedOutputWithLocalControlAroundTheRun) {
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

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"play", song, "--midi", "virtual"}, {"play", song}}) {
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
}

TEST(CliPlay, TerminationEndsPlayAndRecordLikeCtrlC) {
    test::ScopedHome home("virtual");
    const std::string song = home.File("fast.mid");
    const std::string log = home.File("play.log");
    const std::string take = home.File("take.mid");
    test::WriteBytes(song, FastSong());
    const std::vector<std::vector<std::string>> runs = {
        {KVS_CLI_PATH, "play", song, "--loop", "0:4", "--midi", "virtual", "--log", log},
        {KVS_CLI_PATH, "record", take, "--in", "0", "--port", "0"}};
    for (const int signal : {SIGTERM, SIGHUP}) {
        for (const std::vector<std::string>& args : runs) {
            const pid_t pid = test::Spawn(args, "");
            ASSERT_GT(pid, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            kill(pid, signal);
            EXPECT_EQ(test::WaitExit(pid, std::chrono::seconds(10)), 0) << args[1] << signal;
        }
        // Every note the endless loop started was released, and the take saved.
        const std::vector<std::string> notes = Notes(ParseLog(test::ReadText(log)));
        const auto ons = std::count_if(notes.begin(), notes.end(),
                                       [](const std::string& n) { return n[0] == '9'; });
        EXPECT_GT(ons, 0);
        EXPECT_EQ(ons * 2, static_cast<long>(notes.size()));
        EXPECT_TRUE(std::filesystem::exists(take));
        std::filesystem::remove(log);
        std::filesystem::remove(take);
    }
}

TEST(CliPlay, LogLinesGiveMillisecondsPortAndTheMessageBytes) {
    RecordedMidiMessage note;
    note.shortMessage = 0x643C90;
    EXPECT_EQ(FormatLogLine(std::chrono::microseconds(12345), 0, note), "12.345 0 90 3C 64\n");
    RecordedMidiMessage program;
    program.shortMessage = 0x05C1;
    EXPECT_EQ(FormatLogLine(std::chrono::microseconds(7), 2, program), "0.007 2 C1 05\n");
    RecordedMidiMessage clock;
    clock.shortMessage = 0xF8;
    EXPECT_EQ(FormatLogLine(std::chrono::milliseconds(2001), 1, clock), "2001.000 1 F8\n");
    RecordedMidiMessage sysex;
    sysex.isLong = true;
    sysex.bytes = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(FormatLogLine(std::chrono::nanoseconds(-5), 0, sysex), "0.000 0 F0 7E 7F 09 01 F7\n");
}

}  // namespace
}  // namespace kvs

#include <gtest/gtest.h>

#include <algorithm>

#include "cli_test_support.h"
#include "midi/backends/virtual_midi_log.h"

namespace kvs {
namespace {

using test::LogLine;
using test::RunArgs;
using Strings = std::vector<std::string>;

Strings Notes(const std::vector<LogLine>& lines) {
    Strings notes;
    for (const LogLine& l : lines)
        if (l.bytes[0] == '9' || l.bytes[0] == '8') notes.push_back(l.bytes);
    return notes;
}

class CliPlay : public ::testing::Test {
  protected:
    // 480 beats per minute: C4 for half a beat, E4 on beat 1, G4 on beat 2
    // held to the song end, then a program change.
    void SetUp() override {
        test::WriteBytes(song_, test::Format0Song({
                                    0x00, 0xFF, 0x51, 0x03, 0x01, 0xE8, 0x48,        // tempo
                                    0x00, 0x90, 0x3C, 0x64, 0x30, 0x80, 0x3C, 0x40,  // C4
                                    0x30, 0x90, 0x40, 0x50, 0x60, 0x80, 0x40, 0x40,  // E4
                                    0x00, 0x90, 0x43, 0x70, 0x60, 0xC0, 0x05,        // G4
                                    0x00, 0xFF, 0x2F, 0x00,
                                }));
    }
    // What a play with the options given sent, from the virtual backend's log.
    std::vector<LogLine> Play(const Strings& options) {
        std::filesystem::remove(log_);
        Strings args = {"play", song_, "--midi", "virtual", "--log", log_};
        args.insert(args.end(), options.begin(), options.end());
        const test::CliRun r = RunArgs(args);
        EXPECT_EQ(r.status, kExitOk) << r.err;
        return test::ParseLog(test::ReadText(log_));
    }

    test::ScopedHome home_{"virtual"};
    const std::string song_ = home_.File("fast.mid");
    const std::string log_ = home_.File("play.log");
};

TEST_F(CliPlay, VirtualLogHoldsEveryMessageInOrderWithTimesThatNeverGoBack) {
    const std::vector<LogLine> lines = Play({});
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
    EXPECT_TRUE(test::Has(test::ReadText(log_), " C0 05\n"));

    // Times before the start clamp to zero; long messages print whole.
    RecordedMidiMessage sysex;
    sysex.isLong = true;
    sysex.bytes = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(FormatLogLine(std::chrono::nanoseconds(-5), 2, sysex), "0.000 2 F0 7E 7F 09 01 F7\n");
}

TEST_F(CliPlay, OptionsShapeWhatIsSent) {
    const std::vector<LogLine> lines =
        Play({"--from", "2", "--clock", "--metronome", "--count-in", "2"});
    const auto isClock = [](const LogLine& l) { return l.bytes == "F8"; };
    // Beats 2 and 3 at 24 a beat, and the first tick of the song end when the
    // last period reaches it.
    const auto clocks = std::count_if(lines.begin(), lines.end(), isClock);
    EXPECT_GE(clocks, 2 * 24);
    EXPECT_LE(clocks, 2 * 24 + 1);
    // Two count-in clicks (other-beat velocity 80), then the click of beat 2
    // (not a bar start) before the first clock of the music.
    Strings before;
    for (auto l = lines.begin(); l != std::find_if(lines.begin(), lines.end(), isClock); ++l)
        before.push_back(l->bytes);
    EXPECT_EQ(before, (Strings{"99 25 50", "89 25 50", "99 25 50", "89 25 50", "99 25 50"}));
    // From beat 2 the first note is G4.
    const Strings notes = Notes(lines);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "90 43 70"), 1);
    EXPECT_EQ(std::count(notes.begin(), notes.end(), "90 3C 64"), 0);
}

TEST_F(CliPlay, VirtualBackendAndOptionPlayToOneLoggedOutputAndBadPortsExitWithTwo) {
    RunArgs({"settings"});
    // The default port names the synthesizer: neither way may go there.
    test::SetOption(home_, "defport", "KVS Synth_out");
    test::SetOption(home_, "autolocal", "1");
    test::SetOption(home_, "autoloadsend", "2");
    const std::string log = home_.File("env.log");
    const test::ScopedEnv logEnv("KVS_MIDI_LOG", log);
    for (const Strings& args : {Strings{"play", song_, "--midi", "virtual"}, {"play", song_}}) {
        std::filesystem::remove(log);
        const test::CliRun r = RunArgs(args);
        ASSERT_EQ(r.status, kExitOk) << r.err;
        const std::vector<LogLine> lines = test::ParseLog(test::ReadText(log));
        ASSERT_GT(lines.size(), 3u) << args.size();
        EXPECT_EQ(lines.front().bytes, "B0 7A 00");
        EXPECT_EQ(lines[1].bytes, "F0 7E 7F 09 01 F7");
        EXPECT_EQ(lines.back().bytes, "B0 7A 7F");
        EXPECT_EQ(Notes(lines).size(), 6u);
    }

    const test::CliRun port = RunArgs({"play", song_, "--midi", "virtual", "--port", "3"});
    EXPECT_EQ(port.status, kExitFileError);
    EXPECT_TRUE(test::Has(port.err, "no MIDI OUT port 3"));
    EXPECT_EQ(RunArgs({"play", song_, "--port", "Nowhere"}).status, kExitFileError);
    EXPECT_EQ(RunArgs({"play", home_.File("missing.mid")}).status, kExitFileError);
}

TEST_F(CliPlay, TerminationEndsPlayAndRecordLikeCtrlC) {
    const std::string take = home_.File("take.mid");
    const std::vector<Strings> runs = {
        {KVS_CLI_PATH, "play", song_, "--loop", "0:4", "--midi", "virtual", "--log", log_},
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
        const Strings notes = Notes(test::ParseLog(test::ReadText(log_)));
        const auto ons = std::count_if(notes.begin(), notes.end(),
                                       [](const std::string& n) { return n[0] == '9'; });
        EXPECT_GT(ons, 0);
        EXPECT_EQ(ons * 2, static_cast<long>(notes.size()));
        EXPECT_TRUE(std::filesystem::exists(take));
        std::filesystem::remove(log_);
        std::filesystem::remove(take);
    }
}

}  // namespace
}  // namespace kvs

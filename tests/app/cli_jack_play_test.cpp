#include <gtest/gtest.h>

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "jack_test_support.h"

namespace kvs {
namespace {

using namespace std::chrono_literals;
using test::JackServer;
using test::ScopedEnv;
using test::Spawn;
using test::WaitExit;

std::string Hex(const std::vector<unsigned char>& bytes) {
    std::string s;
    char byte[4];
    for (const unsigned char b : bytes) {
        std::snprintf(byte, sizeof byte, s.empty() ? "%02X" : " %02X", b);
        s += byte;
    }
    return s;
}

// Every message an outside JACK client receives, as log-style hex.
struct Listener {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> messages;

    static void Callback(double, std::vector<unsigned char>* message, void* user) {
        auto* self = static_cast<Listener*>(user);
        std::lock_guard lock(self->mutex);
        self->messages.push_back(Hex(*message));
        self->changed.notify_all();
    }
    std::vector<std::string> WaitFor(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, timeout, [&] { return messages.size() >= count; });
        return messages;
    }
};

// Format 0, 96 ticks per beat at 480 beats per minute: a program change, a
// controller, notes (two at one tick), a SysEx between them and a bend; about
// half a second.
std::vector<std::uint8_t> ShortFastSong() {
    return test::Format0Song(
        {0x00, 0xFF, 0x51, 0x03, 0x01, 0xE8, 0x48,        // 125,000 us per beat
         0x00, 0xC0, 0x05,                                // program 6
         0x00, 0xB0, 0x07, 0x64,                          // volume
         0x00, 0x90, 0x3C, 0x64, 0x00, 0x90, 0x40, 0x50,  // C4 and E4 together
         0x30, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,  // GM on, half a beat in
         0x30, 0x80, 0x3C, 0x40, 0x00, 0x80, 0x40, 0x40,  // both off at beat 1
         0x00, 0xE0, 0x00, 0x50,                          // bend
         0x30, 0x90, 0x43, 0x70, 0x60, 0x80, 0x43, 0x40,  // G4
         0x00, 0xFF, 0x2F, 0x00});
}

TEST(CliJackPlay, EveryMessageOfTheSongReachesAnotherJackClientInOrder) {
    test::ScopedHome home;
    const std::string song = home.File("fast.mid");
    test::WriteBytes(song, ShortFastSong());

    // What the engine sends for this song, as the virtual output records it.
    const std::string log = home.File("play.log");
    const test::CliRun reference = test::RunArgs({"play", song, "--midi", "virtual", "--log", log});
    ASSERT_EQ(reference.status, kExitOk) << reference.err;
    std::vector<std::string> expected;
    for (const test::LogLine& l : test::ParseLog(test::ReadText(log)))
        expected.push_back(l.bytes);
    ASSERT_GE(expected.size(), 10u);
    ASSERT_NE(std::find(expected.begin(), expected.end(), "F0 7E 7F 09 01 F7"), expected.end());

    JackServer server;
    if (!server.Up()) GTEST_SKIP() << "JACK play skipped: " << server.Why();

    Listener heard;
    std::unique_ptr<RtMidiIn> listener;
    try {
        listener = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "kvs-cli-listener");
        listener->ignoreTypes(false, false, false);
        listener->setCallback(&Listener::Callback, &heard);
        listener->openVirtualPort("in");
    } catch (const RtMidiError& e) {
        FAIL() << "the listening client could not open: " << e.getMessage();
    }

    const std::string output = home.File("cli.out");
    const ScopedEnv midi("KVS_MIDI", "jack");
    const pid_t cli = Spawn({KVS_CLI_PATH, "play", song, "--port", "kvs-cli-listener:in"}, output);
    ASSERT_GT(cli, 0);
    const int status = WaitExit(cli, 20s);
    ASSERT_EQ(status, kExitOk) << (status < 0 ? "kvs-cli play hung and was killed\n" : "")
                               << test::ReadText(output);

    const std::vector<std::string> got = heard.WaitFor(expected.size(), 5s);
    EXPECT_EQ(got, expected);
    listener.reset();
}

}  // namespace
}  // namespace kvs

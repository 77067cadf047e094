#include <gtest/gtest.h>

#include <RtMidi.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "jack_test_support.h"
#include "midi/backends/rtmidi_layer.h"

namespace kvs {
namespace {

using namespace std::chrono_literals;
using test::JackServer;

std::vector<std::uint8_t> Sysex(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7) % 128);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

// Everything an outside JACK client receives, as one byte stream.
struct StreamRecorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint8_t> bytes;

    static void Callback(double, std::vector<unsigned char>* message, void* user) {
        auto* self = static_cast<StreamRecorder*>(user);
        std::lock_guard lock(self->mutex);
        self->bytes.insert(self->bytes.end(), message->begin(), message->end());
        self->changed.notify_all();
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return bytes.size() >= count; });
    }
};

struct SinkRecord {
    bool isSysex;
    std::uint32_t message;
    std::vector<std::uint8_t> bytes;
};

class RecordingSink : public MidiInputSink {
  public:
    void OnShortMessage(std::uint32_t, std::uint32_t message) override {
        std::lock_guard lock(mutex_);
        got_.push_back({false, message, {}});
        changed_.notify_all();
    }
    void OnSysexBuffer(std::uint32_t, std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(mutex_);
        got_.push_back({true, 0, {bytes.begin(), bytes.end()}});
        changed_.notify_all();
    }
    std::vector<SinkRecord> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return got_.size() >= count; });
        return got_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SinkRecord> got_;
};

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return static_cast<int>(i);
    }
    return -1;
}

TEST(RtMidiJack, DeliversMessagesAndLongSysexWholeAndInOrderBothWays) {
    JackServer server;
    if (!server.Up()) GTEST_SKIP() << "JACK loopback skipped: " << server.Why();

    // Two outside clients: one listening, one talking.
    StreamRecorder heard;
    RtMidiIn listener(RtMidi::UNIX_JACK, "kvs-test-listener");
    listener.ignoreTypes(false, false, false);
    listener.setCallback(&StreamRecorder::Callback, &heard);
    listener.openVirtualPort("in");
    RtMidiOut talker(RtMidi::UNIX_JACK, "kvs-test-talker");
    talker.openVirtualPort("out");

    std::string error;
    std::unique_ptr<RtMidiLayer> layer = RtMidiLayer::Create(RtMidiLayer::Api::Jack, &error);
    ASSERT_NE(layer, nullptr) << error;
    EXPECT_EQ(layer->Name(), "jack");
    int out = IndexOf(layer->OutputNames(), "kvs-test-listener:in");
    int in = IndexOf(layer->InputNames(), "kvs-test-talker:out");
    ASSERT_GE(out, 0);
    ASSERT_GE(in, 0);

    // Program to the outside: note, 40,000-byte SysEx, a note sent while the
    // SysEx is still going out, in that order.
    {
        std::unique_ptr<MidiOutputPort> port = layer->OpenOutput(out, &error);
        ASSERT_NE(port, nullptr) << error;
        std::this_thread::sleep_for(50ms);  // let JACK finish connecting
        std::vector<std::uint8_t> sysex = Sysex(40000);
        std::atomic<bool> done{false};
        port->SendShort(0x643C90);
        ASSERT_TRUE(port->SendLong(sysex, [&] { done = true; }));
        port->SendShort(0x003C80);
        std::vector<std::uint8_t> expected = {0x90, 0x3C, 0x64};
        expected.insert(expected.end(), sysex.begin(), sysex.end());
        expected.insert(expected.end(), {0x80, 0x3C, 0x00});
        ASSERT_TRUE(heard.WaitFor(expected.size())) << heard.bytes.size() << " bytes arrived";
        std::lock_guard lock(heard.mutex);
        EXPECT_TRUE(done.load());
        EXPECT_EQ(heard.bytes.size(), expected.size());
        EXPECT_TRUE(heard.bytes == expected);
    }

    // Outside to the program: the SysEx comes in buffers of at most 32,768
    // bytes that join to the message, between the notes.
    RecordingSink sink;
    std::unique_ptr<MidiInputPort> input = layer->OpenInput(in, sink, &error);
    ASSERT_NE(input, nullptr) << error;
    std::this_thread::sleep_for(50ms);
    std::vector<std::uint8_t> sysex = Sysex(40000);
    std::vector<std::uint8_t> noteOn = {0x91, 0x40, 0x7F};
    talker.sendMessage(&noteOn);
    // RtMidi's own JACK output holds 16 KiB per cycle: feed it in pieces.
    for (std::size_t at = 0; at < sysex.size(); at += 1024) {
        talker.sendMessage(sysex.data() + at, std::min<std::size_t>(1024, sysex.size() - at));
        std::this_thread::sleep_for(2ms);
    }
    std::vector<std::uint8_t> noteOff = {0x81, 0x40, 0x00};
    talker.sendMessage(&noteOff);
    std::vector<SinkRecord> got = sink.WaitFor(4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].message, 0x7F4091u);
    ASSERT_TRUE(got[1].isSysex && got[2].isSysex);
    EXPECT_EQ(got[1].bytes.size(), kSysexBufferSize);
    std::vector<std::uint8_t> joined = got[1].bytes;
    joined.insert(joined.end(), got[2].bytes.begin(), got[2].bytes.end());
    EXPECT_TRUE(joined == sysex);
    EXPECT_EQ(got[3].message, 0x004081u);
    input.reset();
}

// Counts what an outside client hears: note ons, and SysEx bytes.
struct NoteCounter {
    std::atomic<std::uint32_t> noteOns{0};
    std::atomic<std::size_t> sysexBytes{0};
    static void Callback(double, std::vector<unsigned char>* message, void* user) {
        auto* self = static_cast<NoteCounter*>(user);
        if (message->empty()) return;
        if (message->front() == 0xF0)
            self->sysexBytes += message->size();
        else if (message->size() == 3 && ((*message)[0] & 0xF0) == 0x90 && (*message)[2] != 0)
            ++self->noteOns;
    }
};

// A port of ours connected to an outside client that counts what it hears.
class RtMidiJackOut : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server_.Up()) GTEST_SKIP() << "JACK loopback skipped: " << server_.Why();
        listener_ = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "kvs-test-listener");
        listener_->ignoreTypes(false, false, false);
        listener_->setCallback(&NoteCounter::Callback, &heard_);
        listener_->openVirtualPort("in");
        std::string error;
        layer_ = RtMidiLayer::Create(RtMidiLayer::Api::Jack, &error);
        ASSERT_NE(layer_, nullptr) << error;
        const int out = IndexOf(layer_->OutputNames(), "kvs-test-listener:in");
        ASSERT_GE(out, 0);
        port_ = layer_->OpenOutput(out, &error);
        ASSERT_NE(port_, nullptr) << error;
        std::this_thread::sleep_for(50ms);
    }

    JackServer server_;
    NoteCounter heard_;
    std::unique_ptr<RtMidiIn> listener_;
    std::unique_ptr<RtMidiLayer> layer_;
    std::unique_ptr<MidiOutputPort> port_;
};

TEST_F(RtMidiJackOut, NotesSentBehindAMegabyteOfSysexAllArrive) {
    NoteCounter& heard = heard_;
    MidiOutputPort* port = port_.get();
    // 16 tracks of 768 notes, the way the engine sends them while the SysEx
    // is still going out: a burst every 3 ms.
    const std::vector<std::uint8_t> sysex = Sysex(1 << 20);
    constexpr std::uint32_t kNotes = 16 * 768;
    std::atomic<bool> done{false};  // outlives every attempt's SysEx
    const auto attempt = [&] {
        heard.noteOns = 0;
        heard.sysexBytes = 0;
        done = false;
        EXPECT_TRUE(port->SendLong(sysex, [&] { done = true; }));
        for (std::uint32_t n = 0; n < kNotes; ++n) {
            const std::uint32_t key = 36 + n % 48;
            const std::uint32_t channel = n % 16;
            port->SendShort(0x90 | channel | key << 8 | 100u << 16);
            port->SendShort(0x80 | channel | key << 8 | 64u << 16);
            if (n % 64 == 63) std::this_thread::sleep_for(3ms);
        }
        const auto until = std::chrono::steady_clock::now() + 20s;
        while ((!done || heard.noteOns < kNotes) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(50ms);
        EXPECT_TRUE(done.load());
    };
    // The port must lose nothing. JACK itself drops the MIDI of a cycle a
    // client misses on a busy machine: such a run is tried again.
    for (int tries = 0; tries < 3; ++tries) {
        attempt();
        ASSERT_EQ(port->Dropped(), 0u);
        if (heard.noteOns == kNotes && heard.sysexBytes == sysex.size()) break;
    }
    EXPECT_EQ(heard.sysexBytes.load(), sysex.size());
    EXPECT_EQ(heard.noteOns.load(), kNotes);
}

TEST_F(RtMidiJackOut, APortWhoseServerDiedMidSendGivesUpAndCloses) {
    const std::vector<std::uint8_t> sysex = Sysex(1 << 20);
    std::atomic<bool> done{false};
    ASSERT_TRUE(port_->SendLong(sysex, [&] { done = true; }));
    for (std::uint32_t n = 0; n < 1000; ++n)
        port_->SendShort(0x403C90);
    std::this_thread::sleep_for(100ms);
    server_.Stop();

    // Nothing can leave any more: the message and what waits behind it are
    // given up, and the port closes instead of waiting forever.
    const auto stopped = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - stopped < 10s)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(done.load());
    EXPECT_GT(port_->Dropped(), 0u);
    port_.reset();
    layer_.reset();
    listener_.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 6s);
}

}  // namespace
}  // namespace kvs

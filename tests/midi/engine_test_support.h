#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "midi/engine.h"
#include "midi/engine_output.h"
#include "midi/notifier.h"
#include "midi/timer_manual.h"
#include "model/song.h"
#include "model/sysex_table.h"

namespace kvs::test {

inline constexpr std::uint32_t kAllPorts = 0xFFFFFFFF;

struct SentMessage {
    std::uint32_t message = 0;
    std::uint32_t port = 0;  // kAllPorts for SendShortAll
    std::uint64_t period = 0;
    friend bool operator==(const SentMessage& a, const SentMessage& b) {
        return a.message == b.message && a.port == b.port;
    }
};

// Records every message with the period it went out in. Storage is reserved
// up front so that recording never allocates on the timer thread.
class RecordingSink final : public ShortMessageSink {
  public:
    explicit RecordingSink(std::size_t capacity = 1 << 18) { sent_.reserve(capacity); }
    void SendShort(std::uint32_t message, std::uint32_t port) override { Add(message, port); }
    void SendShortAll(std::uint32_t message) override { Add(message, kAllPorts); }
    std::vector<SentMessage> Take() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<SentMessage> all = sent_;
        sent_.clear();
        return all;
    }
    std::uint64_t period = 0;  // set by the driver of the timer

  private:
    void Add(std::uint32_t message, std::uint32_t port) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (sent_.size() < sent_.capacity()) sent_.push_back(SentMessage{message, port, period});
    }
    std::mutex mutex_;
    std::vector<SentMessage> sent_;
};

class RecordingSysex final : public SysexOutput {
  public:
    RecordingSysex() { queued.reserve(1024); }
    void QueueSysex(const SysexBlock& block, std::uint32_t port) override {
        if (queued.size() < queued.capacity()) queued.push_back({&block, port});
    }
    void KickSysex() override { ++kicks; }
    struct Node {
        const SysexBlock* block;
        std::uint32_t port;
    };
    std::vector<Node> queued;
    std::uint32_t kicks = 0;
};

// An engine with a song, metronome and clock off unless a test turns them
// on; on a manual timer unless it asks for another.
template <class Timer>
struct BasicEngineRig {
    Timer timer;
    RecordingSink sink;
    FifoNotifier notifier;
    RecordingSysex sysex;
    Song song;
    Engine engine{timer, sink, notifier, &sysex};
    EngineOptions options;

    BasicEngineRig() {
        options.settings.metronome = false;
        options.settings.midiClock = false;
        engine.SetOptions(options);
        engine.SetSong(&song);
    }
    void Apply() { engine.SetOptions(options); }
    // Fires periods one by one, stamping what each sends.
    std::uint64_t Fire(std::uint64_t n) {
        std::uint64_t fired = 0;
        for (; fired < n; ++fired) {
            sink.period = timer.FiredTotal();
            if (timer.Fire(1) == 0) break;
        }
        return fired;
    }
    Track& AddTrack(std::uint16_t channel = kNoChannel, std::uint16_t port = 0) {
        song.InsertTrack();
        Track& t = *song.GetTrack(song.TrackCount() - 1);
        t.properties.channel = channel;
        t.properties.port = port;
        return t;
    }
    // Plays from a beat with no count-in; returns after the switch to Play.
    void PlayFrom(std::uint32_t beat, std::uint32_t tempo = 120) {
        engine.SetTempo(tempo);
        engine.StartPlay(beat);
        Fire(1);
        ASSERT_EQ(engine.State(), EngineState::Play);
        Posted();
    }
    std::vector<SentMessage> Sent() { return sink.Take(); }
    std::vector<Notification> Posted() { return notifier.TakeAll(); }
};
using EngineRig = BasicEngineRig<ManualTimer>;

inline std::uint32_t NoteOn(std::uint8_t ch, std::uint8_t key, std::uint8_t vel = 100) {
    return PackMessage(static_cast<std::uint8_t>(0x90 | ch), key, vel);
}
inline std::uint32_t NoteOff64(std::uint8_t ch, std::uint8_t key) {
    return PackMessage(static_cast<std::uint8_t>(0x80 | ch), key, 64);
}

inline std::vector<std::uint32_t> Messages(const std::vector<SentMessage>& sent) {
    std::vector<std::uint32_t> out;
    for (const SentMessage& m : sent)
        out.push_back(m.message);
    return out;
}

inline std::vector<SentMessage> OnlyKind(const std::vector<SentMessage>& all, std::uint8_t kind) {
    std::vector<SentMessage> out;
    for (const SentMessage& m : all)
        if ((m.message & 0xF0) == kind) out.push_back(m);
    return out;
}

}  // namespace kvs::test

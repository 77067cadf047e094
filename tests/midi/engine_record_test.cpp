#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "engine_test_support.h"
#include "midi/recorder.h"

namespace kvs {
namespace {

using test::EngineRig;

using TickEvent = std::pair<std::uint32_t, std::uint32_t>;  // tick, message

std::vector<TickEvent> EventsOf(const Track& t) {
    std::vector<TickEvent> out;
    for (std::uint32_t b = 0; b < t.BeatCount(); ++b)
        for (const Event& e : *t.Bucket(b))
            out.push_back({b * 192 + e.offset, e.message});
    return out;
}

constexpr std::uint32_t On(std::uint32_t key, std::uint32_t vel = 100, std::uint32_t ch = 0) {
    return 0x90 | ch | key << 8 | vel << 16;
}
constexpr std::uint32_t Off(std::uint32_t key, std::uint32_t vel = 64, std::uint32_t ch = 0) {
    return 0x80 | ch | key << 8 | vel << 16;
}

struct KeepHost final : RecordHost {
    bool AskKeep() override {
        ++asked;
        return keep;
    }
    void SaveUndo(std::uint32_t track) override { undo.push_back(track); }
    int asked = 0;
    bool keep = true;
    std::vector<std::uint32_t> undo;
};

struct RecordRig : EngineRig {
    Recorder recorder;
    KeepHost host;

    explicit RecordRig(bool confirm = false, std::size_t ring = Recorder::kDefaultRingSize,
                       ShortMessageSink* thru = nullptr)
        : recorder(engine, thru != nullptr ? *thru : sink, notifier, ring) {
        options.confirmRecord = confirm;
        Apply();
        recorder.SetSong(&song);
        recorder.SetHost(&host);
    }
    Track& RecordTrack(std::uint16_t channel = kNoChannel, std::uint16_t port = 0) {
        Track& t = AddTrack(channel, port);
        recorder.SetCurrentTrack(static_cast<std::int32_t>(song.TrackCount() - 1), port, channel);
        return t;
    }
    void In(std::initializer_list<std::uint32_t> messages) {
        for (std::uint32_t m : messages)
            recorder.HandleShort(m);
    }
    void Loop(std::uint32_t left, std::uint32_t right) {
        song.markers[kMarkerLeft] = left;
        song.markers[kMarkerRight] = right;
        song.loop = 1;
    }
    void Pump() {
        for (const Notification& n : notifier.TakeAll())
            recorder.OnNotification(n);
    }
    // Fires until recording has reached tick (once it gets there).
    void FireTo(std::uint32_t tick) {
        for (int i = 0; i < 200000; ++i) {
            if (engine.State() == EngineState::Record && engine.Position() == tick) return;
            Fire(1);
            Pump();
        }
        FAIL() << "never reached tick " << tick;
    }
    void Stop() {
        engine.StopEngine();
        Pump();
    }
};

TEST(EngineRecord, LoopRecordingStoresFromTheTakeOriginAndLandsBackInPlace) {
    RecordRig rig(true);
    Track& track = rig.RecordTrack();
    rig.Loop(2, 6);
    ASSERT_TRUE(rig.recorder.StartRecord(4));
    EXPECT_EQ(rig.recorder.TakeOrigin(), 2u);
    rig.FireTo(960);
    rig.recorder.HandleShort(On(60));
    rig.FireTo(1000);
    rig.recorder.HandleShort(On(60, 0));  // velocity 0: a note off
    rig.recorder.Drain();
    ASSERT_NE(rig.recorder.Take(), nullptr);
    EXPECT_EQ(EventsOf(*rig.recorder.Take()),
              (std::vector<TickEvent>{{576, On(60)}, {616, Off(60)}}));
    // Overdub the next pass into the same take; asked once, at the stop.
    rig.FireTo(5 * 192 + 10);
    rig.In({On(62), Off(62)});
    const std::vector<std::uint8_t> sysex{0xF0, 0x7E, 0x01, 0xF7};
    rig.recorder.HandleSysex(sysex);
    rig.Stop();
    EXPECT_EQ(rig.host.asked, 1);
    EXPECT_EQ(rig.host.undo, (std::vector<std::uint32_t>{0}));
    std::vector<TickEvent> notes;
    const SysexBlock* block = nullptr;
    for (const TickEvent& e : EventsOf(track)) {
        if (Kind(e.second) == EVT_SYSEX)
            block = track.Sysex().Find(SysexId(e.second));
        else
            notes.push_back(e);
    }
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(notes, (std::vector<TickEvent>{
                         {960, On(60)}, {970, Off(62)}, {970, On(62)}, {1000, Off(60)}}));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->bytes, sysex);
    EXPECT_EQ(rig.song.modified, 1u);
    EXPECT_EQ(rig.engine.Position(), 2u * 192u);  // re-based at the wrap

    // Answered No: the track stays as it was and no snapshot is taken.
    rig.host.keep = false;
    ASSERT_TRUE(rig.recorder.StartRecord(4));
    rig.FireTo(900);
    rig.recorder.HandleShort(On(70));
    rig.Stop();
    EXPECT_EQ(EventsOf(track).size(), 5u);
    EXPECT_EQ(rig.host.undo.size(), 1u);
}

TEST(EngineRecord, EachLoopPassIsCommittedAtItsWrapWithoutConfirmation) {
    RecordRig rig(false);
    Track& track = rig.RecordTrack();
    rig.Loop(1, 3);
    ASSERT_TRUE(rig.recorder.StartRecord(1));
    rig.FireTo(2 * 192 + 100);
    rig.recorder.HandleShort(On(60));  // held across the wrap
    rig.FireTo(200);                   // next pass
    EXPECT_EQ(rig.host.asked, 0);
    // The first pass is in: the held note ends at the pass's last tick.
    EXPECT_EQ(EventsOf(track), (std::vector<TickEvent>{{484, On(60)}, {575, Off(60)}}));
    rig.recorder.HandleShort(Off(60, 30));
    rig.Stop();
    // The second pass starts with the note it found held.
    const std::vector<TickEvent> got = EventsOf(track);
    EXPECT_EQ(got, (std::vector<TickEvent>{
                       {192, On(60, 30)}, {200, Off(60, 30)}, {484, On(60)}, {575, Off(60)}}));
}

TEST(EngineRecord, PunchKeepsOnlyTheMarkedBeatsAndClosesWhatIsHeld) {
    RecordRig rig;
    Track& track = rig.RecordTrack();
    rig.song.markers[kMarkerLeft] = 8;
    rig.song.markers[kMarkerRight] = 12;
    rig.recorder.SetPunch(true);
    ASSERT_TRUE(rig.recorder.StartRecord(6));
    rig.FireTo(6 * 192 + 5);
    rig.In({On(50), Off(50)});
    rig.FireTo(7 * 192);
    rig.recorder.HandleShort(On(60, 90));
    rig.FireTo(9 * 192 + 3);
    rig.recorder.HandleShort(Off(60, 33));
    rig.FireTo(10 * 192);
    rig.In({On(64), 0x7F40B1});  // sustain down on channel 2
    rig.FireTo(13 * 192);
    rig.In({On(52), Off(52)});
    rig.FireTo(14 * 192);
    rig.Stop();
    EXPECT_EQ(EventsOf(track), (std::vector<TickEvent>{{1536, On(60, 33)},
                                                       {1731, Off(60, 33)},
                                                       {1920, 0x7F40B1},
                                                       {1920, On(64)},
                                                       {2303, Off(64)},
                                                       {2303, 0x0040B1}}));
}

TEST(EngineRecord, InputIsFilteredEchoedAndDeliveredBeforeItIsRecorded) {
    RecordRig rig;
    rig.RecordTrack(2, 1);  // channel 3, port 1
    rig.recorder.SetThru(true);
    rig.Sent();
    rig.In({On(60), 0x007BB0, 0xF8});  // all notes off: dropped; clock: dropped
    EXPECT_EQ(rig.Sent(), (std::vector<test::SentMessage>{{On(60, 100, 2), 1}}));
    // Ending thru's notes sends where they went.
    rig.recorder.ThruNotesOff();
    EXPECT_EQ(rig.Sent(), (std::vector<test::SentMessage>{{Off(60, 64, 2), 1}}));

    // Key commands see the message first and may keep it; assignments after
    // the channel is replaced.
    struct Filters final : MidiInFilters {
        bool KeyCommand(std::uint32_t m) override { return Data1(m) == 36; }
        std::uint32_t Assign(std::uint32_t m) override { return m + 0x100; }
    } filters;
    rig.recorder.SetFilters(&filters);
    rig.In({On(36), On(40)});
    EXPECT_EQ(rig.Sent(), (std::vector<test::SentMessage>{{On(41, 100, 2), 1}}));
    rig.recorder.SetInputSuspended(true);
    rig.recorder.HandleShort(On(36));
    EXPECT_EQ(rig.Sent(), (std::vector<test::SentMessage>{{On(37, 100, 2), 1}}));
    rig.recorder.SetInputSuspended(false);
    rig.recorder.SetFilters(nullptr);
    rig.recorder.SetThru(false);

    // Synchro start: a note off waits, a controller starts.
    rig.options.settings.synchroStart = true;
    rig.Apply();
    ASSERT_TRUE(rig.recorder.StartRecord(2));
    EXPECT_EQ(rig.engine.State(), EngineState::RecSynch);
    rig.recorder.HandleShort(Off(60));
    EXPECT_EQ(rig.engine.State(), EngineState::RecSynch);
    rig.recorder.HandleShort(0x0107B0);
    EXPECT_EQ(rig.engine.State(), EngineState::Record);
    rig.recorder.HandleShort(0x007BB0);
    rig.recorder.SetInputSuspended(true);
    rig.recorder.HandleShort(On(70));
    rig.recorder.SetInputSuspended(false);
    rig.Stop();
    EXPECT_EQ(EventsOf(*rig.song.GetTrack(0)), (std::vector<TickEvent>{{384, 0x0107B2}}));
}

TEST(EngineRecord, StepRecordingEntersChordsOnceAndAdvancesOnTheLastRelease) {
    RecordRig rig;
    Track& track = rig.RecordTrack();
    ASSERT_TRUE(rig.recorder.StartStepRecord(0, 0, 48, 96));
    EXPECT_EQ(rig.engine.State(), EngineState::StepRec);
    rig.In({On(60), Off(60)});
    rig.Pump();
    EXPECT_EQ(rig.engine.Position(), 96u);
    // A chord; the same key struck twice before the step is entered once.
    rig.In({On(64), On(67), On(64), Off(64), Off(67)});
    rig.Pump();
    EXPECT_EQ(rig.engine.Position(), 96u);
    rig.recorder.HandleShort(Off(64));
    rig.Pump();
    EXPECT_EQ(rig.engine.Position(), 192u);
    rig.Stop();
    EXPECT_EQ(EventsOf(track), (std::vector<TickEvent>{{0, On(60)},
                                                       {47, Off(60)},
                                                       {96, On(64)},
                                                       {96, On(67)},
                                                       {143, Off(64)},
                                                       {143, Off(67)}}));
    EXPECT_EQ(rig.engine.Position(), 0u);

    // At Right the step goes back to Left, the pass kept.
    rig.Loop(1, 2);
    ASSERT_TRUE(rig.recorder.StartStepRecord(0, 1, 48, 192));
    rig.In({On(72), Off(72)});
    rig.Pump();
    EXPECT_EQ(rig.engine.Position(), 192u);
    EXPECT_EQ(EventsOf(track).size(), 8u);
    rig.Stop();
}

TEST(EngineRecord, AFullRingCountsWhatItCouldNotTake) {
    RecordRig rig(false, 4);
    rig.RecordTrack();
    ASSERT_TRUE(rig.recorder.StartRecord(1));
    rig.Fire(2);
    ASSERT_EQ(rig.engine.State(), EngineState::Record);
    for (std::uint32_t i = 0; i < 10; ++i)
        rig.recorder.HandleShort(0xB0 | (i << 16) | (1u << 8));
    EXPECT_EQ(rig.recorder.Overflowed(), 6u);
    rig.Stop();
    EXPECT_EQ(rig.song.GetTrack(0)->EventCount(), 4u);
}

TEST(EngineRecord, DrainingUnderAFloodOfInputTakesOnlyWhatWasWaiting) {
    constexpr std::size_t kRing = 1 << 19;
    RecordRig rig(false, kRing);
    rig.RecordTrack();
    rig.recorder.SetThru(false);
    ASSERT_TRUE(rig.recorder.StartRecord(1));
    rig.Fire(2);
    std::atomic<bool> stop{false};
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::vector<std::thread> inputs;
    for (int t = 0; t < 2; ++t) {
        inputs.emplace_back([&] {
            for (std::uint32_t i = 0; !stop && std::chrono::steady_clock::now() < until; ++i)
                rig.recorder.HandleShort(0xB0 | ((i % 120) << 8));
        });
    }
    while (rig.recorder.Overflowed() == 0)
        std::this_thread::yield();
    // The ring is full and refilled as fast as it empties.
    rig.recorder.Drain();
    const std::uint32_t taken = rig.recorder.Take()->EventCount();
    stop = true;
    for (std::thread& t : inputs)
        t.join();
    EXPECT_EQ(taken, kRing);
    rig.engine.StopEngine();
}

TEST(EngineRecord, NoInputIsLostWhileLoopingUnderLoad) {
    // Thru goes to its own sink: the rig's stamps each message with the
    // period, which only the timer's thread may do.
    struct CountingSink final : ShortMessageSink {
        void SendShort(std::uint32_t, std::uint32_t) override { ++sent; }
        void SendShortAll(std::uint32_t) override {}
        std::atomic<std::uint64_t> sent{0};
    } thru;
    RecordRig rig(false, Recorder::kDefaultRingSize, &thru);
    Track& track = rig.RecordTrack();
    rig.recorder.SetThru(true);
    rig.Loop(1, 3);
    ASSERT_TRUE(rig.recorder.StartRecord(1));
    rig.Fire(2);
    ASSERT_EQ(rig.engine.State(), EngineState::Record);
    constexpr std::uint32_t kMessages = 100000;
    std::atomic<bool> done{false};
    std::thread input([&] {
        for (std::uint32_t i = 0; i < kMessages; ++i)
            rig.recorder.HandleShort(0xB0 | (i % 16) | ((i / 16 % 120) << 8) | ((i % 128) << 16));
        done = true;
    });
    for (std::uint64_t periods = 0; !done || periods < 2000; ++periods) {
        rig.timer.Fire(1);
        rig.Pump();
    }
    input.join();
    rig.engine.StopEngine();
    EXPECT_EQ(rig.recorder.Overflowed(), 0u);
    EXPECT_EQ(thru.sent, kMessages);
    EXPECT_GE(rig.engine.LoopPass(), 2u);
    EXPECT_EQ(track.EventCount(), kMessages);
}

}  // namespace
}  // namespace kvs

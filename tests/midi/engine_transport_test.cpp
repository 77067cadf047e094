#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "engine_test_support.h"

namespace kvs::test {
namespace {

std::vector<std::uint32_t> Keys(const std::vector<SentMessage>& sent) {
    std::vector<std::uint32_t> keys;
    for (const SentMessage& m : sent)
        if (IsSoundingNoteOn(m.message)) keys.push_back(Data1(m.message));
    return keys;
}

TEST(EngineTransport, LoopWrapsAfterTheLastTickBeforeRightAndNeverEndsTheSong) {
    EngineRig rig;
    Track& t = rig.AddTrack(0);
    for (std::uint8_t key = 64; key <= 67; ++key)
        t.AddEvent(700u + key, NoteOn(0, key));
    t.AddEvent(768, NoteOn(0, 68));  // the Right beat is never played
    t.AddEvent(384, NoteOn(0, 84));
    t.AddEvent(4 * 192 + 10, NoteOn(0, 1));  // song of 5 beats
    rig.song.loop = 1;
    rig.song.markers[kMarkerLeft] = 2;
    rig.song.markers[kMarkerRight] = 4;
    // At 480 bpm a period covers four or five ticks, so periods cross the
    // Right marker with ticks before it still to send.
    rig.PlayFrom(1, 480);
    rig.Fire(330);  // beats 1 to 3, then two more passes of 384 ticks and part of a third

    const auto sent = rig.Sent();
    EXPECT_EQ(Keys(sent), (std::vector<std::uint32_t>{84, 64, 65, 66, 67, 84, 64, 65, 66, 67, 84,
                                                      64, 65, 66, 67, 84}));
    // Tick 384 follows tick 767 in the same period, after the wrap has ended
    // the notes left on in the order they began.
    int wraps = 0;
    for (std::size_t i = 0; i + 6 < sent.size(); ++i) {
        if (sent[i].message != NoteOn(0, 67)) continue;
        ++wraps;
        EXPECT_EQ(sent[i + 1].message, NoteOff64(0, 84));
        for (std::uint8_t key = 64; key <= 67; ++key)
            EXPECT_EQ(sent[i + 2 + key - 64].message, NoteOff64(0, key));
        EXPECT_EQ(sent[i + 6].message, NoteOn(0, 84));
        EXPECT_EQ(sent[i + 6].period, sent[i].period);
    }
    EXPECT_EQ(wraps, 3);
    EXPECT_EQ(rig.engine.State(), EngineState::Play);
    EXPECT_TRUE(rig.timer.Running());
    for (const Notification& n : rig.Posted())
        EXPECT_NE(n.id, kCommandPlayStop);
}

TEST(EngineTransport, SongEndStopsPlayButNotRecord) {
    EngineRig rig;
    rig.AddTrack(0).AddEvent(192 + 5, NoteOn(0, 60));  // two beats
    rig.PlayFrom(1);
    rig.Fire(400);
    // The first tick of beat 2 is past the end: the timer stops itself and
    // asks the window thread to stop.
    EXPECT_FALSE(rig.timer.Running());
    EXPECT_EQ(rig.engine.State(), EngineState::Play);
    EXPECT_EQ(rig.engine.GetTransport().lastTick / 192, 2u);
    const auto posted = rig.Posted();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back(), (Notification{kCommandPlayStop, 0}));
    rig.Sent();
    rig.engine.StopEngine();
    EXPECT_EQ(rig.engine.State(), EngineState::Stop);
    EXPECT_EQ(rig.Posted(), (std::vector<Notification>{{ENGINE_NOTIFY, kNotifyStopped}}));
    EXPECT_EQ(rig.Sent(), (std::vector<SentMessage>{{NoteOff64(0, 60), 0}}));

    rig.engine.StartRecord(1);
    rig.Fire(2000);
    EXPECT_EQ(rig.engine.State(), EngineState::Record);
    EXPECT_TRUE(rig.timer.Running());
    rig.engine.StopEngine();
}

TEST(EngineTransport, StopEndsSoundingNotesAndOnlyChangedPedals) {
    EngineRig rig;
    Track& a = rig.AddTrack(0, 0);
    a.AddEvent(192, NoteOn(5, 60));  // the track's channel 0 replaces 5
    a.AddEvent(192, NoteOn(0, 62));
    a.AddEvent(193, NoteOn(0, 62, 0));  // a velocity-0 note on ends it
    a.AddEvent(194, 0x7F40B0);          // sustain on
    a.AddEvent(194, 0x7F43B0);          // soft on ...
    a.AddEvent(195, 0x0043B0);          // ... and off again
    a.AddEvent(196, 0x2000E0);          // bend off centre
    a.AddEvent(197, NoteOn(0, 60));     // the same key twice
    a.AddEvent(197, NoteOn(0, 64));
    a.AddEvent(198, NoteOn(0, 62));  // started again: released after 64
    Track& b = rig.AddTrack(3, 1);
    b.AddEvent(192, NoteOn(0, 70));
    b.AddEvent(192, 0x7F41B0);  // portamento
    Track& muted = rig.AddTrack(4, 2);
    muted.AddEvent(192, NoteOn(0, 50));
    muted.properties.muted = 1;
    rig.AddTrack(0).AddEvent(20 * 192, 0xB0);
    rig.PlayFrom(1);
    rig.Fire(20);
    rig.Sent();
    // Moving a track to another port while it sounds: its notes end where they
    // were sent.
    {
        auto lock = rig.engine.LockSong();
        b.properties.port = 5;
    }
    rig.engine.StopEngine();
    EXPECT_EQ(rig.Sent(), (std::vector<SentMessage>{
                              {NoteOff64(0, 60), 0},
                              {NoteOff64(0, 60), 0},
                              {NoteOff64(0, 64), 0},
                              {NoteOff64(0, 62), 0},
                              {0x0040B0, 0},
                              {0x4000E0, 0},
                              {NoteOff64(3, 70), 1},
                              {0x0041B3, 1},
                          }));
    // Nothing is left to end a second time.
    rig.engine.StartPlay(5);
    rig.engine.StopEngine();
    EXPECT_TRUE(rig.Sent().empty());
}

TEST(EngineTransport, MuteAndSoloDecideWhatSoundsAndEndWhatWasSounding) {
    EngineRig rig;
    for (std::uint16_t ch = 0; ch < 3; ++ch) {
        Track& t = rig.AddTrack(ch);
        for (std::uint32_t beat = 1; beat < 12; ++beat)
            t.AddEvent(beat * 192, NoteOn(0, static_cast<std::uint8_t>(beat)));
    }
    auto channelsAtNextBeat = [&rig]() {
        rig.Sent();
        rig.Fire(167);  // one beat at 120 bpm
        std::vector<std::uint32_t> channels;
        for (const SentMessage& m : rig.Sent())
            if (IsSoundingNoteOn(m.message)) channels.push_back(Channel(m.message));
        return channels;
    };
    rig.PlayFrom(1);
    rig.Fire(2);
    rig.Sent();
    rig.engine.SetTrackMuted(1, true);
    EXPECT_EQ(rig.Sent(), (std::vector<SentMessage>{{NoteOff64(1, 1), 0}}));
    EXPECT_EQ(channelsAtNextBeat(), (std::vector<std::uint32_t>{0, 2}));

    // Soloing the muted track makes it the only one heard.
    rig.Sent();
    rig.engine.SetSoloTrack(1);
    const auto released = rig.Sent();
    ASSERT_EQ(released.size(), 4u);  // beats 1 and 2 of tracks 0 and 2
    for (const SentMessage& m : released)
        EXPECT_NE(Channel(m.message), 1u);
    EXPECT_EQ(channelsAtNextBeat(), (std::vector<std::uint32_t>{1}));

    // Leaving solo ends the previously soloed track because it is muted.
    rig.engine.SetSoloTrack(-1);
    const auto left = rig.Sent();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(Channel(left[0].message), 1u);
    EXPECT_EQ(channelsAtNextBeat(), (std::vector<std::uint32_t>{0, 2}));

    rig.engine.SetTrackMuted(1, false);
    EXPECT_EQ(channelsAtNextBeat(), (std::vector<std::uint32_t>{0, 1, 2}));
    // A solo index past the track list is no solo.
    rig.engine.SetSoloTrack(7);
    EXPECT_EQ(channelsAtNextBeat(), (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(EngineTransport, RelocationWhilePlayingHappensWholeAtTheNextPeriod) {
    EngineRig rig;
    Track& t = rig.AddTrack(0);
    t.AddEvent(192, NoteOn(0, 1));
    t.AddEvent(5 * 192, NoteOn(0, 5));
    t.AddEvent(9 * 192, NoteOn(0, 9));
    rig.PlayFrom(1);
    rig.Fire(3);
    rig.Sent();
    rig.engine.Relocate(5);
    EXPECT_EQ(rig.engine.GetTransport().baseTick, 192u);
    EXPECT_TRUE(rig.Sent().empty());
    rig.Fire(1);
    EXPECT_EQ(rig.engine.GetTransport().baseTick, 960u);
    EXPECT_EQ(rig.engine.Position(), 960u);
    EXPECT_EQ(rig.Sent(), (std::vector<SentMessage>{{NoteOff64(0, 1), 0}, {NoteOn(0, 5), 0}}));
}

TEST(EngineTransport, PeriodWithoutTheSongLockSendsItsTicksLater) {
    EngineRig rig;
    Track& t = rig.AddTrack(0);
    for (std::uint32_t k = 192; k < 400; ++k)
        t.AddEvent(k, NoteOn(0, k % 128));
    rig.PlayFrom(1);
    rig.Fire(10);
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread editor([&] {
        auto lock = rig.engine.LockSong();
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    rig.Sent();
    rig.Fire(20);
    EXPECT_TRUE(rig.Sent().empty());
    release = true;
    editor.join();
    rig.Fire(1);
    // The periods that could not send still counted: the next one reaches
    // where the 31st period would have and sends every tick missed.
    const auto sent = rig.Sent();
    const std::uint32_t reached = 192 + ElapsedTicks(120, 30);
    EXPECT_EQ(rig.engine.Position(), reached);
    EXPECT_EQ(sent.size(), reached - (192 + ElapsedTicks(120, 9)));
}

TEST(EngineTransport, PreviewPlaysOneNoteForItsLength) {
    EngineRig rig;
    rig.engine.SetTempo(120);
    rig.engine.PreviewNote(NoteOn(1, 60), NoteOff64(1, 60), 2, 192);
    EXPECT_EQ(rig.engine.State(), EngineState::Preview);
    EXPECT_EQ(rig.Sent(), (std::vector<SentMessage>{{NoteOn(1, 60), 2}}));
    rig.Fire(167);  // 166 * 720 / 625 = 191
    EXPECT_TRUE(rig.Sent().empty());
    rig.Fire(1);
    EXPECT_EQ(rig.Sent(), (std::vector<SentMessage>{{NoteOff64(1, 60), 2}}));
    EXPECT_EQ(rig.engine.State(), EngineState::Stop);
    EXPECT_FALSE(rig.timer.Running());

    // A new preview ends the one sounding; a closing message of 0 sends nothing.
    rig.engine.PreviewNote(NoteOn(0, 1), NoteOff64(0, 1), 0, 1000);
    rig.engine.PreviewNote(0x0507B0, 0, 0, 1000);
    rig.engine.EndPreview();
    EXPECT_EQ(rig.Sent(),
              (std::vector<SentMessage>{{NoteOn(0, 1), 0}, {NoteOff64(0, 1), 0}, {0x0507B0, 0}}));
    EXPECT_TRUE(rig.Posted().empty());

    rig.options.midiInDialogs = false;
    rig.Apply();
    rig.engine.PreviewNote(NoteOn(0, 1), NoteOff64(0, 1), 0, 10);
    EXPECT_EQ(rig.engine.State(), EngineState::Stop);
    EXPECT_TRUE(rig.Sent().empty());
}

TEST(EngineTransport, SysexEventsAreQueuedInOrderAndEmptyOnesSkipped) {
    EngineRig rig;
    Track& t = rig.AddTrack(0, 1);
    t.AddSysexEvent(192, {0xF0, 0x01, 0xF7});
    t.AddSysexEvent(192, {});
    t.AddSysexEvent(192, {0xF0, 0x02, 0xF7});
    t.AddEvent(192, SysexMessage(99));  // no such block
    t.AddSysexEvent(192, {0xF0, 0x03, 0xF7});
    Track& u = rig.AddTrack(0, 2);
    u.AddSysexEvent(193, {0xF0, 0x04, 0xF7});
    rig.PlayFrom(1);
    rig.Fire(3);
    std::vector<std::pair<std::uint8_t, std::uint32_t>> queued;  // id byte, port
    for (const RecordingSysex::Node& n : rig.sysex.queued)
        queued.emplace_back(n.block->bytes[1], n.port);
    EXPECT_EQ(queued, (std::vector<std::pair<std::uint8_t, std::uint32_t>>{
                          {1, 1}, {2, 1}, {3, 1}, {4, 2}}));
    EXPECT_EQ(rig.sysex.kicks, 4u);
    EXPECT_TRUE(rig.Sent().empty());
}

TEST(EngineTransport, StatesFollowTheTransitionTable) {
    struct Recorder final : TakeRecorder {
        void EndTake(bool commit, std::uint32_t) override { ends.push_back(commit); }
        std::vector<bool> ends;
    } recorder;
    EngineRig rig;
    rig.engine.SetRecorder(&recorder);
    rig.AddTrack(0).AddEvent(30 * 192, NoteOn(0, 1));

    // Synchro start: the timer idles with the position held at the start.
    rig.options.settings.synchroStart = true;
    rig.Apply();
    rig.engine.StartPlay(2);
    EXPECT_EQ(rig.engine.State(), EngineState::PlaySynch);
    rig.Fire(50);
    EXPECT_EQ(rig.engine.GetTransport().periodCount, 0u);
    EXPECT_TRUE(rig.engine.SynchroStart());
    EXPECT_FALSE(rig.engine.SynchroStart());
    EXPECT_EQ(rig.engine.State(), EngineState::Play);
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Position(), 384u);
    rig.engine.StopEngine();
    EXPECT_EQ(rig.Posted(), (std::vector<Notification>{{ENGINE_NOTIFY, kNotifyStateChanged},
                                                       {ENGINE_NOTIFY, kNotifyStateChanged},
                                                       {ENGINE_NOTIFY, kNotifyBeat},
                                                       {ENGINE_NOTIFY, kNotifyStopped}}));
    rig.options.settings.synchroStart = false;
    rig.options.settings.recCount = 1;
    rig.Apply();

    // Stopping a recording keeps the take; stopping during its count-in drops it.
    rig.engine.StartRecord(0);
    EXPECT_EQ(rig.engine.State(), EngineState::RecDelay);
    rig.Fire(2);
    EXPECT_EQ(rig.engine.State(), EngineState::RecCount);
    rig.engine.StopEngine();
    rig.engine.StartRecord(3);
    rig.Fire(400);
    EXPECT_EQ(rig.engine.State(), EngineState::Record);
    rig.engine.StopEngine();
    EXPECT_EQ(rig.engine.Position(), 3u * 192u);
    EXPECT_EQ(recorder.ends, (std::vector<bool>{false, true}));
    // Starting twice is ignored; stopping when stopped posts nothing.
    rig.Posted();
    rig.engine.StopEngine();
    EXPECT_TRUE(rig.Posted().empty());
}

}  // namespace
}  // namespace kvs::test

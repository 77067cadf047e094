// Editing commands against the real engine, through the link the program uses.

#include <gtest/gtest.h>

#include "midi/engine_edit_link.h"
#include "midi/engine_test_support.h"
#include "model/edit_session.h"

namespace kvs {
namespace {

using test::OnlyKind;

struct LinkedRig : test::EngineRig {
    EngineEditLink link{engine};
    PlainBeatSelection selection;
    NoAsk ask;
    EditSession session{link, selection, ask};

    // Two tracks each holding one long note from the given tick.
    explicit LinkedRig(Tick start = 0) {
        for (std::uint8_t channel = 0; channel < 2; ++channel) {
            session.GetSong().InsertTrack();
            Track& t = *session.GetSong().GetTrack(channel);
            t.AddEvent(start, PackMessage(0x90 | channel, 60, 100));
            t.AddEvent(start + 5000, PackMessage(0x80 | channel, 60, 64));
        }
        session.SetCurrentTrack(0);
    }
};

TEST(EngineEditLink, MuteAndSoloDuringPlaybackEndTheNotesThatFallSilent) {
    LinkedRig rig;
    rig.engine.StartPlay(0);
    rig.Fire(20);
    ASSERT_EQ(OnlyKind(rig.Sent(), 0x90).size(), 2u);
    EXPECT_FALSE(rig.link.Idle());

    ASSERT_EQ(rig.session.Solo(), EditResult::Done);
    EXPECT_EQ(rig.engine.SoloTrack(), 0);
    const auto ended = rig.Sent();
    ASSERT_FALSE(OnlyKind(ended, 0x80).empty());
    for (const auto& m : OnlyKind(ended, 0x80))
        EXPECT_EQ(m.message & 0x0F, 1u) << "only the other track's note ends";

    ASSERT_EQ(rig.session.Solo(), EditResult::Done);
    rig.session.SetCurrentTrack(0);
    ASSERT_EQ(rig.session.Mute(), EditResult::Done);
    EXPECT_EQ(OnlyKind(rig.Sent(), 0x80).size(), 1u);

    // Edits refused while playing stay refused; NewSong stops the engine.
    EXPECT_EQ(rig.session.InsertTrack(), EditResult::EngineBusy);
    rig.session.NewSong();
    EXPECT_TRUE(rig.link.Idle());
    EXPECT_EQ(rig.session.GetSong().TrackCount(), 0u);
}

TEST(EngineEditLink, WhileAnEditHoldsTheSongLockTheTimerSkipsAndCatchesUp) {
    LinkedRig rig(100);  // about 100 periods in
    rig.engine.StartPlay(0);
    rig.Fire(5);
    ASSERT_EQ(rig.engine.State(), EngineState::Play);
    {
        SongLock lock = rig.link.LockSong();
        rig.Fire(200);
        EXPECT_TRUE(OnlyKind(rig.Sent(), 0x90).empty());
    }
    rig.Fire(1);
    EXPECT_EQ(OnlyKind(rig.Sent(), 0x90).size(), 2u);
    rig.link.Stop();
    EXPECT_TRUE(rig.link.Idle());
}

}  // namespace
}  // namespace kvs

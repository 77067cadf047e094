#include "model/track_statistics.h"

#include <gtest/gtest.h>

#include "model/song.h"
#include "model/song_properties_form.h"
#include "track_fixture.h"

namespace kvs {
namespace {

using test::Add;
using test::Cc;
using test::Off;
using test::On;

TEST(TrackStatistics, CountsEveryKindIntoItsRow) {
    Track track;
    Add(track, {{0, PackMessage(EVT_TEMPO, 120)}, {0, PackMessage(EVT_TIMESIG, 3, 2)}});
    Add(track, {{10, On(0, 64, 90)}, {20, On(1, 40, 30)}, {30, On(0, 64, 0)}, {40, Off(1, 40)}});
    Add(track, {{192, Cc(0, 7, 100)}, {192, Cc(0, 64, 127)}, {192, Cc(0, 2, 1)}});
    Add(track, {{193, PackMessage(0xA0, 64, 5)}, {194, PackMessage(0xC0, 5)}});
    Add(track, {{195, PackMessage(0xD0, 5)}, {196, PackMessage(0xE0, 0, 64)}});
    Add(track, {{400, On(2, 100, 127)}});
    track.AddSysexEvent(500, {0xF0, 0x7E, 0xF7});

    const TrackStatistics stats = CountTrackStatistics(track);
    // Beats, events, on, off, on-0, keys, velocities, pressures, program, bend, tempo,
    // SysEx, controllers, then CC 0, 1, 7, 10, 11, 64, 67, 91, 93 and others.
    EXPECT_EQ(stats.counters,
              (decltype(stats.counters){3, 15, 3, 1, 1, 40, 100, 30, 127, 1, 1, 1, 1,
                                        1, 1,  3, 0, 0, 1,  0,   0,  1,   0, 0, 0, 1}));

    const auto rows = TrackStatisticsRows(stats, BuiltinPrompts{});
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows[0], "Beats\t3");
    EXPECT_EQ(rows[4], "Note on, velocity 0\t1");
    EXPECT_EQ(rows[5], "Lowest key\tE2 (40)");
    EXPECT_EQ(rows[6], "Highest key\tE7 (100)");
    EXPECT_EQ(rows[7], "Lowest velocity\t30");
    EXPECT_EQ(rows[25], "Other controllers\t1");
}

TEST(SongPropertiesForm, ShowsTotalsAndCutsTheNameToItsField) {
    Song song;
    song.tempo = 120;
    song.InsertTrack();
    song.InsertTrack();
    Add(*song.GetTrack(0), {{0, On(0, 60)}, {191, Off(0, 60)}});
    Add(*song.GetTrack(1), {{9 * 192 + 5, Cc(0, 7, 1)}});  // ten beats long

    SongPropertiesForm form(song);
    EXPECT_EQ(form.TracksText(), "2");
    EXPECT_EQ(form.EventsText(), "3");
    EXPECT_EQ(form.LengthText(), "2:2");  // ten beats of 4/4: two bars and two beats
    EXPECT_EQ(form.TimeText(), "0:05.000");

    form.SetName(std::string(200, 'n'));
    form.Ok();
    EXPECT_EQ(song.name.View(), std::string(127, 'n'));
}

}  // namespace
}  // namespace kvs

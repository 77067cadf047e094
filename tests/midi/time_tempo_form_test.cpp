#include "midi/time_tempo_form.h"

#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "midi/metronome_form.h"

namespace kvs::test {
namespace {

// Storing on OK alone is the dialogs' own tests; these are the bad texts.
TEST(TimeTempoForm, TempoTextIsCutAndBoundedAndAChangedFieldChangesTheSpeedAtOnce) {
    EngineRig rig;
    rig.AddTrack(0).AddEvent(50 * 192, 0x90);
    TimeTempoForm form(rig.song, &rig.engine, true);
    form.SetTempoText("2500");  // the field holds three characters
    EXPECT_EQ(form.TempoText(), "250");
    for (const auto& [text, stored] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"abc", 100}, {"", 100}, {"0", 10}, {"999", 480}, {" 77", 77}}) {
        form.SetTempoText(text);
        form.Ok();
        EXPECT_EQ(rig.song.tempo, stored) << "'" << text << "'";
    }
    form.SetTempoText("479");
    form.SpinTempo(5);
    EXPECT_EQ(form.TempoText(), "480");

    rig.song.tempo = 100;
    rig.engine.SetTempo(120);
    rig.engine.StartPlay(1);
    rig.Fire(5);
    form.SetTempoText("90");
    form.TempoFocusLost();
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Tempo(), 90u);
    for (const char* text : {"5", "x"}) {  // outside the range: not applied
        form.SetTempoText(text);
        form.TempoFocusLost();
    }
    TimeTempoForm off(rig.song, &rig.engine, false);
    off.SetTempoText("200");
    off.TempoFocusLost();
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Tempo(), 90u);
    EXPECT_EQ(rig.song.tempo, 100u);  // the song changes only on OK
}

TEST(MetronomeForm, UnreadableFieldsFallBackAndANonNoteKeyShowsAsANumber) {
    EngineSettings settings;
    settings.firstBeat = {10, 4, 37, 100};
    settings.otherBeats = {9, 7, 200, 80};
    MetronomeForm form(settings, {{2, "Synth"}, {4, "Drums"}});
    EXPECT_EQ(form.other.key, "200");
    EXPECT_EQ(form.other.portIndex, -1);
    form.playCount = "two";
    form.recCount = "";
    form.first.channel = "x";
    form.first.key = "?";
    form.first.velocity = "";
    form.other.velocity = "loud";
    form.other.channel = "99";  // taken as it is; the engine clamps what it sends
    form.first.portIndex = 0;
    form.Ok(settings);
    EXPECT_EQ(settings.playCount, 0u);
    EXPECT_EQ(settings.recCount, 4u);
    EXPECT_EQ(settings.firstBeat, (MetronomeClick{10, 2, 37, 100}));
    EXPECT_EQ(settings.otherBeats, (MetronomeClick{99, 7, 200, 50}));
}

}  // namespace
}  // namespace kvs::test

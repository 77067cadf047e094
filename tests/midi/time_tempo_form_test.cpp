#include "midi/time_tempo_form.h"

#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "midi/metronome_form.h"

namespace kvs::test {
namespace {

TEST(TimeTempoForm, OkStoresSignatureAndTempoWithFallbacks) {
    Song song;
    song.timeSigNumerator = 6;
    song.timeSigDenominatorExp = 3;
    song.tempo = 132;
    TimeTempoForm form(song, nullptr, true);
    EXPECT_EQ(form.numeratorIndex, 5u);
    EXPECT_EQ(form.denominatorIndex, 3u);
    EXPECT_EQ(form.TempoText(), "132");

    form.numeratorIndex = 2;
    form.denominatorIndex = 1;
    form.SetTempoText("2500");  // the field holds three characters
    EXPECT_EQ(form.TempoText(), "250");
    form.Ok();
    EXPECT_EQ(song.timeSigNumerator, 3u);
    EXPECT_EQ(song.timeSigDenominatorExp, 1u);
    EXPECT_EQ(song.tempo, 250u);
    EXPECT_EQ(song.modified, 1u);

    for (const auto& [text, stored] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"abc", 100}, {"", 100}, {"0", 10}, {"999", 480}, {" 77", 77}}) {
        form.SetTempoText(text);
        form.Ok();
        EXPECT_EQ(song.tempo, stored) << "'" << text << "'";
    }
    form.SetTempoText("479");
    form.SpinTempo(5);
    EXPECT_EQ(form.TempoText(), "480");
}

TEST(TimeTempoForm, LeavingAChangedTempoFieldChangesTheSpeedAtOnce) {
    EngineRig rig;
    rig.AddTrack(0).AddEvent(50 * 192, 0x90);
    rig.engine.SetTempo(120);
    rig.engine.StartPlay(1);
    rig.Fire(5);

    TimeTempoForm form(rig.song, &rig.engine, true);
    form.SetTempoText("90");
    form.TempoFocusLost();
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Tempo(), 90u);
    form.SetTempoText("5");  // outside the range: not applied
    form.TempoFocusLost();
    form.SetTempoText("x");
    form.TempoFocusLost();
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Tempo(), 90u);
    EXPECT_EQ(rig.song.tempo, 100u);  // the song changes only on OK

    TimeTempoForm off(rig.song, &rig.engine, false);
    off.SetTempoText("200");
    off.TempoFocusLost();
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Tempo(), 90u);
}

TEST(MetronomeForm, FieldsFallBackAndFollowIncomingNotes) {
    EngineSettings settings;
    settings.firstBeat = {10, 4, 37, 100};
    settings.otherBeats = {9, 7, 200, 80};
    MetronomeForm form(settings, {{2, "Synth"}, {4, "Drums"}});
    EXPECT_EQ(form.first.key, "C#2");
    EXPECT_EQ(form.first.portIndex, 1);
    EXPECT_EQ(form.other.key, "200");  // not a note: shown as a number
    EXPECT_EQ(form.other.portIndex, -1);

    form.SetFocus(MetronomeForm::Focus::OtherVelocity);
    form.OnNoteOn(60, 33);
    EXPECT_EQ(form.other.key, "C4");
    EXPECT_EQ(form.other.velocity, "33");
    form.SetFocus(MetronomeForm::Focus::Elsewhere);
    form.OnNoteOn(61, 34);
    EXPECT_EQ(form.first.key, "C#2");

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
    EXPECT_EQ(settings.otherBeats, (MetronomeClick{99, 7, 60, 50}));
}

}  // namespace
}  // namespace kvs::test

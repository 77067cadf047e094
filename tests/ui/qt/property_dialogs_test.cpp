#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

#include "config/instrument_list.h"
#include "model/change_record.h"
#include "model/song.h"
#include "ui/qt/change_properties_dialog.h"
#include "ui/qt/property_fields_panel.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/song_properties_dialog.h"
#include "ui/qt/spin_field.h"
#include "ui/qt/time_tempo_dialog.h"
#include "ui/qt/track_list.h"
#include "ui/qt/track_properties_dialog.h"
#include "ui/qt/track_statistics_dialog.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

// Types into a field as the user would, then leaves it (the focus moving
// on is not reliable offscreen, so leaving is signalled directly).
void Type(QWidget* field, const QString& text) {
    QLineEdit* edit = qobject_cast<QLineEdit*>(field);
    if (edit == nullptr) edit = field->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) emit spin->editingFinished();
}

class PropertyDialogsTest : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        LoadHelp();
        Open("minuet.mid");
        ASSERT_GE(App().CurrentTrack(), 0);
    }
    const Track& Current() {
        return *App().GetSong().GetTrack(static_cast<std::uint32_t>(App().CurrentTrack()));
    }
};

TEST_F(PropertyDialogsTest, TrackPropertiesStoreOnOkTakeMidiInAndKeepAllOnCancel) {
    const TrackProperties before = Current().properties;
    RunDialog<TrackPropertiesDialog>(cmd::TrackInitProperties, [&](TrackPropertiesDialog& d) {
        test::SaveShot(&d, "track-properties");
        for (QWidget* w : {static_cast<QWidget*>(d.Channel()),
                           static_cast<QWidget*>(d.Fields().Field(PropertyField::Chorus))})
            EXPECT_FALSE(w->whatsThis().isEmpty());
        EXPECT_EQ(d.Name()->text(), QString::fromStdString(std::string(before.name.View())));
        Type(d.Name(), "Lead");
        Type(d.Channel(), "3");
        layer_->Output(0).Clear();
        Type(d.Fields().Field(PropertyField::Volume), "90");
        Type(d.Fields().Field(PropertyField::Pan), "200");  // leaving clamps
        // A program change from the keyboard fills the program field.
        ASSERT_TRUE(layer_->Input(0).FeedShort(0x000AC0));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return d.Fields().Field(PropertyField::Program)->Text() == "10"; }, 2000));
        EXPECT_EQ(d.Fields().Field(PropertyField::Pan)->Text(), "127");
        // Volume was sent live on channel 3 when the field was left.
        EXPECT_GT(std::ranges::count(SynthShort(), 0x5A07B2u), 0);
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    const TrackProperties& after = Current().properties;
    EXPECT_EQ(after.name.View(), "Lead");
    EXPECT_EQ(after.channel, 2);
    EXPECT_EQ(after.volume, 90);
    EXPECT_EQ(after.pan, 127);
    EXPECT_EQ(after.program, 10);
    EXPECT_TRUE(App().GetSong().modified);

    const TrackProperties kept = after;
    const auto enterInList = [&] { QTest::keyClick(&window_->List(), Qt::Key_Return); };
    RunDialog<TrackPropertiesDialog>(enterInList, [&](TrackPropertiesDialog& d) {
        Type(d.Name(), "Other");
        Type(d.Channel(), "0");
    });
    EXPECT_EQ(Current().properties, kept);
}

TEST_F(PropertyDialogsTest, ChangePropertiesWriteAtTheCaretAndOpenTrackPropertiesAtBeatZero) {
    App().View().Select(0, 0);
    RunDialog<TrackPropertiesDialog>(cmd::TrackChangeProperties, [](TrackPropertiesDialog&) {});

    // Port 0 has an instrument list.
    App().Instruments().SetLists(
        {{"Synth sounds", {{kAnyChannel, 0, 0, "Piano"}, {kAnyChannel, 48, 130, "Strings"}}}});
    App().Instruments().SetAssignments({0});
    App().View().Select(6, 6);
    const Song& song = App().GetSong();
    const auto record = [&] { return ReadChangeRecord(Current(), 6); };
    const ChangeRecord before = record();
    RunDialog<ChangePropertiesDialog>(cmd::TrackChangeProperties, [&](ChangePropertiesDialog& d) {
        test::SaveShot(&d, "change-properties");
        EXPECT_TRUE(d.windowTitle().startsWith("Change Properties at "))
            << d.windowTitle().toStdString();
        QComboBox* instrument = d.Fields().Instrument();
        ASSERT_TRUE(instrument->isEnabled());
        ASSERT_EQ(instrument->count(), 3);
        instrument->setCurrentIndex(2);
        emit instrument->activated(2);
        EXPECT_EQ(d.Fields().Field(PropertyField::Program)->Text(), "48");
        EXPECT_EQ(d.Fields().Field(PropertyField::Bank)->Text(), "130");
        Type(d.Fields().Field(PropertyField::Program), "5");
        EXPECT_EQ(instrument->currentIndex(), 0);
        Type(d.Tempo(), "x");
        Type(d.Fields().Field(PropertyField::Reverb), "40");
        EXPECT_EQ(d.Tempo()->Text(), "100");
        Type(d.Tempo(), "132");
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    ChangeRecord expected = before;
    expected.program = 5;
    expected.bank = 130;
    expected.reverb = 40;
    expected.tempo = 132;
    EXPECT_EQ(record(), expected);
    EXPECT_TRUE(song.modified);
    Trigger(cmd::EditUndo);
    EXPECT_EQ(record(), before);
    Trigger(cmd::EditUndo);

    RunDialog<ChangePropertiesDialog>(cmd::TrackChangeProperties, [&](ChangePropertiesDialog& d) {
        EXPECT_EQ(d.Fields().Field(PropertyField::Program)->Text(), "5");
        Type(d.Fields().Field(PropertyField::Program), "");
    });
    EXPECT_EQ(record(), expected);
}

TEST_F(PropertyDialogsTest, SongPropertiesStoreNameAndCopyrightOnlyOnOk) {
    const std::string copyright(App().GetSong().copyright.View());
    RunDialog<SongPropertiesDialog>(cmd::FileSongProperties, [&](SongPropertiesDialog& d) {
        test::SaveShot(&d, "song-properties");
        Type(d.Copyright(), "(c) Us");
    });
    EXPECT_EQ(App().GetSong().copyright.View(), copyright);
    RunDialog<SongPropertiesDialog>(cmd::FileSongProperties, [&](SongPropertiesDialog& d) {
        const QString tracks = QString::number(App().GetSong().TrackCount());
        bool shown = false;
        for (QLabel* label : d.findChildren<QLabel*>())
            shown = shown || label->text() == tracks;
        EXPECT_TRUE(shown);
        Type(d.Name(), "Minuet in G");
        Type(d.Copyright(), "(c) Us");
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    EXPECT_EQ(App().GetSong().name.View(), "Minuet in G");
    EXPECT_EQ(App().GetSong().copyright.View(), "(c) Us");
    EXPECT_TRUE(App().GetSong().modified);
}

TEST_F(PropertyDialogsTest, TimeAndTempoStoreOnlyOnOkAndStatisticsListEveryCounter) {
    const Song& song = App().GetSong();
    const std::uint32_t tempo = song.tempo;
    RunDialog<TimeTempoDialog>(cmd::InitTimeTempo, [&](TimeTempoDialog& d) {
        test::SaveShot(&d, "time-tempo");
        EXPECT_EQ(d.Tempo()->Text(), QString::number(tempo));
        d.Numerator()->setCurrentIndex(6);
        Type(d.Tempo(), "77");
    });
    EXPECT_EQ(song.tempo, tempo);
    RunDialog<TimeTempoDialog>(cmd::InitTimeTempo, [&](TimeTempoDialog& d) {
        d.Numerator()->setCurrentIndex(6);
        d.Denominator()->setCurrentIndex(3);
        Type(d.Tempo(), "77");
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    EXPECT_EQ(song.timeSigNumerator, 7u);
    EXPECT_EQ(song.timeSigDenominatorExp, 3u);
    EXPECT_EQ(song.tempo, 77u);

    RunDialog<TrackStatisticsDialog>(cmd::TrackStatistics, [](TrackStatisticsDialog& d) {
        test::SaveShot(&d, "track-statistics");
        EXPECT_EQ(d.List()->topLevelItemCount(), 26);
        EXPECT_EQ(d.List()->currentItem(), d.List()->topLevelItem(0));
        EXPECT_EQ(d.List()->topLevelItem(0)->text(0), "Beats");
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
}

}  // namespace
}  // namespace kvs

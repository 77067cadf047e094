#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "config/general_options_form.h"
#include "midi/backends/virtual_midi.h"
#include "ui/commands.h"
#include "ui/qt/general_options_dialog.h"
#include "ui/qt/hot_key_field.h"
#include "ui/qt/instrument_lists_dialog.h"
#include "ui/qt/onscreen_keyboard_dialog.h"
#include "ui/qt/osk_layout_dialog.h"
#include "ui/qt/piano_key_widget.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

struct OptionDialogsTest : test::WindowTest {
    // Runs act in the dialog the command opens, then presses OK or Cancel.
    template <class Dialog>
    void Run(std::uint32_t command, std::function<void(Dialog&)> act, bool ok) {
        RunDialog<Dialog>(command, [&](Dialog& d) {
            act(d);
            if (ok) test::Press(&d, QDialogButtonBox::AcceptRole);
        });
    }
    Settings& Stored() { return App().CurrentSettings(); }
};

TEST_F(OptionDialogsTest, GeneralOptionsStoreEveryControlOnOkOnly) {
    using F = GeneralOptionsForm;
    LoadHelp();
    const auto edit = [](GeneralOptionsDialog& d) {
        test::SaveShot(&d, "general-options");
        EXPECT_FALSE(d.Port()->whatsThis().isEmpty());
        EXPECT_FALSE(d.Check(F::kAutoClean)->whatsThis().isEmpty());
        EXPECT_EQ(d.Port()->currentText(), "Synth");
        EXPECT_EQ(d.Delay()->text(), "0");
        d.Delay()->setText(" 250 ");
        d.Check(F::kFollowPlay)->setChecked(false);
        d.Check(F::kAutoLocal)->setChecked(true);
        d.Check(F::kAutoClean)->setChecked(true);
        d.ScanInit()->setCurrentIndex(2);
        d.AutoLoadSend()->setCurrentIndex(5);
    };
    Run<GeneralOptionsDialog>(cmd::OptOptions, edit, false);
    EXPECT_TRUE(Stored().general.followPlay);
    EXPECT_EQ(Stored().general.autoLoadSend, 0u);

    Run<GeneralOptionsDialog>(cmd::OptOptions, edit, true);
    const QString ini = IniAfterExit();
    for (const char* line : {"initdelay=250", "followplay=0", "autolocal=1", "autoclean=1",
                             "ScanInit=2", "autoloadsend=5", "confrec=1"})
        EXPECT_TRUE(ini.contains(line)) << line;
}

TEST_F(OptionDialogsTest, InstrumentListAssignedToThePortOnOkOnly) {
    App().Instruments().SetLists({InstrumentList{"Studio GM", {}}, InstrumentList{"Drums", {}}});
    const auto pick = [](InstrumentListsDialog& d) {
        test::SaveShot(&d, "instrument-lists");
        ASSERT_EQ(d.Ports()->count(), 1);
        EXPECT_EQ(d.Ports()->currentItem()->text(), "Synth");
        ASSERT_EQ(d.Instruments()->count(), 3);
        EXPECT_EQ(d.Instruments()->currentRow(), 0);  // "** Unassigned **"
        d.Instruments()->setCurrentRow(2);
    };
    Run<InstrumentListsDialog>(cmd::OptInstruments, pick, false);
    EXPECT_EQ(App().Instruments().AssignedList(0), nullptr);

    Run<InstrumentListsDialog>(cmd::OptInstruments, pick, true);
    ASSERT_NE(App().Instruments().AssignedList(0), nullptr);
    EXPECT_EQ(App().Instruments().AssignedList(0)->name, "Drums");
    EXPECT_TRUE(IniAfterExit().contains("=Drums"));
}

TEST_F(OptionDialogsTest, KeyboardLayoutTakesPlainKeysAndResetsOnYes) {
    Run<OskLayoutDialog>(
        cmd::OptOnScreenKeyboard,
        [](OskLayoutDialog& d) {
            test::SaveShot(&d, "onscreen-keyboard-layout");
            EXPECT_EQ(d.KeyField()->text(), "A");
            QTest::keyClick(d.KeyField(), Qt::Key_Q);
            QTest::keyClick(d.KeyField(), Qt::Key_P, Qt::ControlModifier);  // refused
            EXPECT_EQ(d.KeyField()->text(), "Q");
            d.Base()->setCurrentIndex(9);
            // Reset asks first; Yes brings back A on note 1 and base C.
            test::OnNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }, &d);
            d.ResetButton()->click();
            EXPECT_EQ(d.KeyField()->text(), "A");
            EXPECT_EQ(d.Base()->currentIndex(), 0);
        },
        false);
    EXPECT_EQ(Stored().oskLayout.keys[0], 'A');

    Run<OskLayoutDialog>(
        cmd::OptOnScreenKeyboard,
        [](OskLayoutDialog& d) {
            d.Notes()->setCurrentIndex(1);
            EXPECT_EQ(d.KeyField()->text(), "W");
            QTest::keyClick(d.KeyField(), Qt::Key_Q);
            d.Notes()->setCurrentIndex(2);
            QTest::keyClick(d.KeyField(), Qt::Key_Backspace);  // the layout ends here
            d.Base()->setCurrentIndex(9);
        },
        true);
    EXPECT_EQ(Stored().oskLayout.keys, (std::vector<std::uint16_t>{'A', 'Q'}));
    EXPECT_TRUE(IniAfterExit().contains("OskKeys=9,65,81\n"));
}

TEST_F(OptionDialogsTest, OnScreenKeyboardPlaysThroughTheInputAndEndsHeldNotes) {
    Open("minuet.mid");
    LoadHelp();
    layer_->Output(0).Clear();
    RunDialog<OnScreenKeyboardDialog>(cmd::OnScreenKeyboard, [&](OnScreenKeyboardDialog& d) {
        test::SaveShot(&d, "onscreen-keyboard");
        PianoKeyWidget* piano = d.Piano();
        EXPECT_FALSE(piano->whatsThis().isEmpty());
        EXPECT_EQ(d.Octave()->value(), 3);
        EXPECT_EQ(d.Velocity()->value(), 80);
        // The first white key is C 48.
        QTest::mouseClick(piano, Qt::LeftButton, {}, QPoint(2, piano->height() - 4));
        QTest::keyClick(piano, Qt::Key_V);  // velocity 63
        QTest::keyClick(piano, Qt::Key_5);  // range from 72
        EXPECT_EQ(d.Octave()->value(), 5);
        EXPECT_EQ(d.Velocity()->value(), 63);
        QTest::keyPress(piano, Qt::Key_W);
        // Leaving the keys with W still down ends its note.
        QTest::keyClick(piano, Qt::Key_Tab);
        EXPECT_FALSE(piano->hasFocus());
        d.CloseButton()->click();
    });
    std::vector<std::uint32_t> sent = SynthShort();
    for (std::uint32_t& m : sent)
        m &= 0xFFFFF0;  // the channel is the track's
    EXPECT_EQ(sent, (std::vector<std::uint32_t>{0x503090, 0x503080, 0x3F4990, 0x3F4980}));
}

}  // namespace
}  // namespace kvs

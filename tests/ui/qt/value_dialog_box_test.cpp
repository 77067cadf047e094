#include "ui/qt/value_dialog_box.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTest>
#include <QWhatsThis>

#include "ui/help_texts.h"
#include "ui/qt/dialog_test_support.h"

namespace kvs {
namespace {

ValueDialog ThreeFields() {
    ValueDialog d;
    d.SetUp({"tools_chvel_title", "Change Velocity"}, 3);
    d.SetField(0, -12, -127, 127, FieldKind::Integer, 10040, {"tools_chkey_chkey", "&Transpose:"});
    d.SetField(1, 60, 0, 127, FieldKind::NoteName, 10054, {"tools_spkey_lower", "&Lower note:"});
    d.SetField(2, 96, -24384, 24384, FieldKind::Duration, 10043, {"tools_tmgld_tmgld", "&Glide:"});
    return d;
}

void ClickOk(QDialog& dialog) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    buttons->buttons().front()->click();
}

TEST(ValueDialogBox, ShowsByKindRefusesOutOfRangeAndWritesBackOnlyOnOk) {
    PromptTable prompts;
    ValueDialog caller = ThreeFields();
    ValueDialogBox box(nullptr, prompts, nullptr, caller);
    EXPECT_EQ(box.Field(0)->text(), "-12");
    EXPECT_EQ(box.Field(1)->text(), "C4");
    EXPECT_EQ(box.Field(2)->text(), "0.096");

    // Out of range, then unreadable: each is refused with "Invalid value",
    // the dialog stays open and the caller's values are untouched.
    for (const char* bad : {"128", "1.192"}) {
        box.Field(0)->setText("5");
        box.Field(bad[1] == '.' ? 2 : 0)->setText(bad);
        QString shown;
        test::OnNextModal([&](QWidget* modal) {
            auto* message = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(message, nullptr);
            shown = message->windowTitle() + "|" + message->text();
            message->accept();
        });
        ClickOk(box);
        EXPECT_EQ(shown, "Kavelsong|Invalid value") << bad;
        EXPECT_EQ(box.result(), QDialog::Rejected) << bad;
        EXPECT_EQ(caller.fields[0].value, -12) << bad;
    }

    box.Field(0)->setText(" 5 ");
    box.Field(1)->setText("62");
    box.Field(2)->setText("-3.096");
    ClickOk(box);
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_EQ(caller.fields[0].value, 5);
    EXPECT_EQ(caller.fields[1].value, 62);
    EXPECT_EQ(caller.fields[2].value, -672);
}

// What the focused field takes: a played note in a note field, Shift+F1 its help.
TEST(ValueDialogBox, FocusedFieldTakesPlayedNotesAndShowsItsHelp) {
    PromptTable prompts;
    const HelpTexts help = HelpTexts::Parse("10040\tSemitones to move.\n");
    ValueDialog caller = ThreeFields();
    ValueDialogBox box(nullptr, prompts, &help, caller);
    EXPECT_EQ(box.Field(0)->whatsThis(), "Semitones to move.");
    EXPECT_TRUE(box.Field(1)->whatsThis().isEmpty());
    box.show();
    box.activateWindow();
    box.Field(1)->setFocus();
    QApplication::processEvents();
    if (!box.Field(1)->hasFocus()) GTEST_SKIP() << "no window focus on this platform";
    box.MidiIn(0x90 | (64u << 8) | (100u << 16));
    EXPECT_EQ(box.Field(1)->text(), "E4");
    box.MidiIn(0xB0 | (65u << 8));  // a controller is ignored
    EXPECT_EQ(box.Field(1)->text(), "E4");
    box.Field(0)->setFocus();
    QApplication::processEvents();
    box.MidiIn(0x90 | (60u << 8) | (100u << 16));  // not a note field
    EXPECT_EQ(box.Field(0)->text(), "-12");

    QTest::keyClick(box.Field(0), Qt::Key_F1, Qt::ShiftModifier);
    bool shown = false;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown |= top->isVisible() && top->inherits("QWhatsThat");
    EXPECT_TRUE(shown);
    QWhatsThis::hideText();
}

}  // namespace
}  // namespace kvs

#include "ui/qt/dialog_host.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <vector>

#include "config/property_form_sources.h"
#include "config/settings.h"
#include "midi/backends/virtual_midi.h"
#include "midi/midi_device_table.h"
#include "midi/port_association.h"
#include "model/goto_form.h"
#include "model/marker_list_form.h"
#include "model/song.h"
#include "ui/command_line.h"
#include "ui/qt/dialog_test_support.h"

namespace kvs {
namespace {

struct Host {
    PromptTable prompts;
    Settings settings;
    DialogHost host{nullptr, prompts, settings};
    std::vector<bool> modal;
    Host() {
        host.SetDataFolder(test::kDataDir);
        host.SetModalHook([this](bool begins) { modal.push_back(begins); });
    }
};

TEST(DialogHost, NumberPortAndFindAnswerWhatWasChosen) {
    Host h;
    test::OnNextModal([](QWidget* d) {
        test::ExpectAccessible(d);
        EXPECT_FALSE(d->findChild<QLineEdit*>()->whatsThis().isEmpty());
        d->findChild<QLineEdit*>()->setText("12");
        test::Press(d, QDialogButtonBox::AcceptRole);
    });
    EXPECT_EQ(h.host.AskNumber("view_zoom_title", "view_zoom_zoom", 1, 48, 4), 12);
    EXPECT_EQ(h.modal, (std::vector<bool>{true, false}));

    h.host.SetPortSource(
        [] {
            return std::vector<OutputPort>{{"Synth A", 2}, {"Synth B", 5}};
        },
        [] { return 2u; });
    test::OnNextModal([](QWidget* d) {
        test::ExpectAccessible(d);
        auto* list = d->findChild<QComboBox*>();
        EXPECT_EQ(list->currentText(), "Synth B");
        list->setCurrentIndex(0);
        test::Press(d, QDialogButtonBox::AcceptRole);
    });
    EXPECT_EQ(h.host.AskPort("trk_prop_port", "trk_prop_port", 5), 2u);

    test::OnNextModal([](QWidget* d) {
        test::ExpectAccessible(d);
        auto* kinds = d->findChild<QComboBox*>();
        kinds->setCurrentIndex(2);  // Ctrl chng
        d->findChild<QLineEdit*>()->setText("7");
        test::Press(d, QDialogButtonBox::AcceptRole);
    });
    const std::optional<FindRequest> find = h.host.AskFind({});
    ASSERT_TRUE(find);
    EXPECT_EQ(find->value, 0xB0u | (7u << 8));
}

TEST(DialogHost, GotoAndMarkerDialogsLeaveTheAnswerInTheirForms) {
    Host h;
    Song song;
    song.markers[kFirstMark + 3] = 40;
    GotoForm gotoForm(song, 9, DisplayUnit::Position);
    test::OnNextModal([](QWidget* d) {
        test::ExpectAccessible(d);
        d->findChild<QLineEdit*>()->setText("x");
        test::OnNextModal([](QWidget* box) { qobject_cast<QMessageBox*>(box)->accept(); }, d);
        test::Press(d, QDialogButtonBox::AcceptRole);  // refused, stays open
        d->findChild<QLineEdit*>()->setText("17");
        test::Press(d, QDialogButtonBox::AcceptRole);
    });
    ASSERT_TRUE(h.host.AskGoto(gotoForm));
    EXPECT_EQ(gotoForm.Ok(), 17u);

    const PromptTableSource texts(h.prompts);
    MarkerListForm markers(song, MarkerListUse::Goto, texts);
    test::OnNextModal([](QWidget* d) {
        test::ExpectAccessible(d);
        auto* list = d->findChild<QTreeWidget*>();
        ASSERT_EQ(list->topLevelItemCount(), 22);
        EXPECT_EQ(list->topLevelItem(5)->text(0), "3:");
        EXPECT_EQ(list->topLevelItem(5)->text(1), "40");
        list->setCurrentItem(list->topLevelItem(5));
        test::Press(d, QDialogButtonBox::AcceptRole);
    });
    ASSERT_TRUE(h.host.AskMarker(markers));
    EXPECT_EQ(markers.Ok(song, 0), 40u);
}

TEST(DialogHost, AboutAndCommandLineHelpAreAccessible) {
    Host h;
    const auto closeAccessible = [](QWidget* d) {
        test::ExpectAccessible(d);
        qobject_cast<QDialog*>(d)->accept();
    };
    test::OnNextModal(closeAccessible);
    h.host.ShowAbout();
    test::OnNextModal(closeAccessible);
    h.host.ShowCommandLineHelp(CommandLineHelpTexts(h.prompts));
}

TEST(DialogHost, SaveDialogGivesTheFilterAndItsExtension) {
    Host h;
    const QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QString folder = QDir(temporary.path()).absolutePath();
    h.settings.songDir = folder.toStdString();
    const FileDialogRequest request = MakeFileDialogRequest(h.prompts, h.settings, kFileDialogSave);
    test::OnNextModal([&](QWidget* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Save File");
        EXPECT_EQ(dialog->directory().absolutePath(), folder);
        ASSERT_EQ(dialog->nameFilters().size(), 4);
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(3);
        emit types->activated(3);  // as a user's choice does
        emit types->textActivated(types->currentText());
        dialog->selectFile("dump");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::optional<UiHost::FileChoice> choice = h.host.AskFile(request);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->filterIndex, 3u);
    EXPECT_EQ(choice->path, QDir(folder).filePath("dump.syx").toStdString());
}

TEST(DialogHost, ChoosePortNamesTheMissingPortAndCancelKeepsTheForm) {
    Host h;
    ASSERT_TRUE(h.prompts.SetText(prompt::file_newport_text, "Port %s fehlt."));
    VirtualMidiLayer layer({}, {"Synth A", "Synth B"});
    MidiDeviceTable table(layer);
    table.EnumerateMidiDevices();
    ChoosePortForm form(table, "Old Synth", 0);
    test::OnNextModal([](QWidget* d) {
        test::ExpectAccessible(d);
        EXPECT_NE(d->findChild<QLabel*>()->text().indexOf("Port Old Synth fehlt."), -1);
        d->findChild<QComboBox*>()->setCurrentIndex(1);
        d->findChild<QCheckBox*>()->setChecked(false);
        test::Press(d, QDialogButtonBox::RejectRole);
    });
    EXPECT_FALSE(h.host.AskChoosePort(form));
    EXPECT_EQ(form.ChosenPort(), 0);
    EXPECT_TRUE(form.Remember());
}

}  // namespace
}  // namespace kvs

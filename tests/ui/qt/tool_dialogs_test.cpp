#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

#include "files/song_file.h"
#include "model/song.h"
#include "tools/tool_range.h"
#include "tools/tool_table.h"
#include "ui/command_line.h"
#include "ui/qt/choose_port_dialog.h"
#include "ui/qt/insert_from_file_dialog.h"
#include "ui/qt/note_transform_dialog.h"
#include "ui/qt/progression_dialog.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/text_spin_box.h"
#include "ui/qt/value_dialog_box.h"
#include "window_test_support.h"

namespace kvs {
namespace {

using Events = std::vector<std::pair<std::uint64_t, std::uint32_t>>;

// Every event of every track as (track << 40 | tick, message).
Events AllEvents(const Song& song) {
    Events out;
    for (std::uint32_t t = 0; t < song.TrackCount(); ++t) {
        const Track& track = *song.GetTrack(t);
        for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
            for (const Event& e : *track.Bucket(beat))
                out.emplace_back((std::uint64_t{t} << 40) | (beat * 192ull + e.offset), e.message);
    }
    return out;
}

std::unique_ptr<Song> CopyOf(const Song& song) {
    auto copy = std::make_unique<Song>();
    for (std::uint32_t t = 0; t < song.TrackCount(); ++t) {
        copy->InsertTrack();
        copy->ReplaceTrack(t, song.GetTrack(t)->Clone());
    }
    return copy;
}

class ToolDialogsTest : public test::WindowTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(test::kDataDir + "/notexfrm.ini", home_.filePath("notexfrm.ini")));
        WindowTest::SetUp();
        LoadHelp();
    }
    // A new song holding the minuet, its first track current.
    void Fresh() {
        Song().modified = 0;
        Trigger(cmd::FileNew);
        Open("minuet.mid");
        ASSERT_GT(Song().TrackCount(), 1u);
        ASSERT_GE(App().CurrentTrack(), 0);
    }
    std::uint32_t CommandOf(std::string_view name) {
        const std::span<const Tool> tools = Tools().All();
        for (std::uint32_t i = 0; i < tools.size(); ++i)
            if (tools[i].name == name) return cmd::ToolFirst + i;
        ADD_FAILURE() << name;
        return 0;
    }
    kvs::Song& Song() { return App().Session().GetSong(); }
    // What the tool's own pass makes of the song, on a copy.
    Events Expected(const kvs::Song& before, const ToolPass& pass) {
        std::unique_ptr<kvs::Song> copy = CopyOf(before);
        const auto current = static_cast<std::uint32_t>(App().CurrentTrack());
        pass(*copy, current, WholeTrack(*copy->GetTrack(current)));
        return AllEvents(*copy);
    }
};

// Each value tool opens its dialog from the Tools menu; Cancel leaves the
// song alone, OK runs the tool with the values typed (the first changed from
// its initial value) exactly as the tool's own pass does. The tools without
// a dialog run at once.
TEST_F(ToolDialogsTest, EveryToolOfTheMenuRunsFromTheWindowWithTheTypedValues) {
    const std::span<const Tool> tools = Tools().All();
    for (std::uint32_t i = 0; i < tools.size(); ++i) {
        const Tool& tool = tools[i];
        if (tool.dialog == ToolDialog::Own) continue;
        SCOPED_TRACE(std::string(tool.name));
        Fresh();
        if (tool.dialog == ToolDialog::None) {  // runs at once
            const std::unique_ptr<kvs::Song> copy = CopyOf(Song());
            Trigger(cmd::ToolFirst + i);
            EXPECT_EQ(AllEvents(Song()), Expected(*copy, tool.fromValues(tool.NewDialog())));
            EXPECT_NE(Song().modified, 0u);
            continue;
        }
        const Events before = AllEvents(Song());
        RunDialog<ValueDialogBox>(cmd::ToolFirst + i, [&](ValueDialogBox& d) {
            for (std::uint32_t f = 0; f < tool.fieldCount; ++f)
                EXPECT_FALSE(d.Field(f)->whatsThis().isEmpty()) << f;
            d.Field(0)->setText("999999");  // Cancel drops the typed text too
        });
        EXPECT_EQ(AllEvents(Song()), before);
        EXPECT_EQ(Song().modified, 0u);

        ValueDialog typed = tool.NewDialog();
        ValueField& first = typed.fields[0];
        first.value += first.value < first.max ? 1 : -1;
        const std::unique_ptr<kvs::Song> copy = CopyOf(Song());
        RunDialog<ValueDialogBox>(cmd::ToolFirst + i, [&](ValueDialogBox& d) {
            d.Field(0)->setText(QString::fromStdString(ValueDialogForm(typed).Text(0)));
            test::SaveShot(
                &d, QString("tool-%1").arg(QString::fromUtf8(tool.name.data(), tool.name.size())));
            test::Press(&d, QDialogButtonBox::AcceptRole);
            EXPECT_FALSE(d.isVisible());
        });
        EXPECT_NE(Song().modified, 0u);
        if (tool.name != "humanise") {
            EXPECT_EQ(AllEvents(Song()), Expected(*copy, tool.fromValues(typed)));
        }
    }
}

TEST_F(ToolDialogsTest, ApplyToAllTracksRunsTheTypedValuesOnEveryTrack) {
    Fresh();
    Trigger(cmd::ApplyToAll);
    EXPECT_TRUE(window_->Action(cmd::ApplyToAll)->isChecked());
    const std::uint32_t command = CommandOf("transpose");
    const Tool& tool = Tools().All()[command - cmd::ToolFirst];
    const std::unique_ptr<kvs::Song> copy = CopyOf(Song());
    RunDialog<ValueDialogBox>(command, [&](ValueDialogBox& d) {
        d.Field(0)->setText("5");
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    ValueDialog typed = tool.NewDialog();
    typed.fields[0].value = 5;
    const ToolPass pass = tool.fromValues(typed);
    for (std::uint32_t t = 0; t < copy->TrackCount(); ++t)
        pass(*copy, t, WholeTrack(*copy->GetTrack(t)));
    EXPECT_EQ(AllEvents(Song()), AllEvents(*copy));
}

TEST_F(ToolDialogsTest, ProgressionStartsFromTheTrackRefusesBadValuesAndWritesTheRamp) {
    Fresh();
    const std::uint32_t command = CommandOf("progression");
    const Events before = AllEvents(Song());
    RunDialog<ProgressionDialog>(command, [&](ProgressionDialog& d) {
        // Notes first: a played note fills the focused side's key and velocity.
        d.Types()->setCurrentIndex(d.Types()->findData(kProgressionNotes));
        d.Field(ProgressionField::StartValue)->setText("C4");
        d.Field(ProgressionField::EndValue)->setFocus();
        QApplication::processEvents();
        if (d.Field(ProgressionField::EndValue)->hasFocus()) {
            d.MidiIn(0x90 | (64u << 8) | (90u << 16));
            EXPECT_EQ(d.Field(ProgressionField::EndValue)->text(), "E4");
            EXPECT_EQ(d.Field(ProgressionField::EndVelocity)->text(), "90");
            EXPECT_EQ(d.Field(ProgressionField::StartValue)->text(), "C4");
        }
        // The arrows step keys by name; a controller shows the key's number.
        qobject_cast<TextSpinBox*>(d.Field(ProgressionField::StartValue)->parentWidget())
            ->stepBy(1);
        EXPECT_EQ(d.Field(ProgressionField::StartValue)->text(), "C#4");
        d.Types()->setCurrentIndex(d.Types()->findData(7));
        EXPECT_EQ(d.Field(ProgressionField::StartValue)->text(), "61");
        EXPECT_FALSE(d.Field(ProgressionField::StartVelocity)->isEnabled());
        EXPECT_FALSE(d.LfoToVelocity()->isEnabled());
        for (std::size_t f = 0; f < kProgressionFieldCount; ++f)
            EXPECT_FALSE(d.Field(static_cast<ProgressionField>(f))->whatsThis().isEmpty()) << f;
    });
    EXPECT_EQ(AllEvents(Song()), before);

    RunDialog<ProgressionDialog>(command, [&](ProgressionDialog& d) {
        test::SaveShot(&d, "tool-progression");
        test::ExpectAccessible(&d);
        d.Types()->setCurrentIndex(d.Types()->findData(7));
        d.Field(ProgressionField::EndTime)->setText("1.000");
        d.Field(ProgressionField::StartValue)->setText("0");
        d.Field(ProgressionField::EndValue)->setText("127");
        d.Field(ProgressionField::Snap)->setText("0");
        QString refused;
        test::OnNextModal(
            [&](QWidget* message) {
                refused = qobject_cast<QMessageBox*>(message)->text();
                qobject_cast<QMessageBox*>(message)->accept();
            },
            &d);
        test::Press(&d, QDialogButtonBox::AcceptRole);
        EXPECT_EQ(refused, "Invalid value");
        ASSERT_TRUE(d.isVisible());
        d.Field(ProgressionField::Snap)->setText("0.048");
        test::Press(&d, QDialogButtonBox::AcceptRole);
        EXPECT_FALSE(d.isVisible());
    });
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ramp;  // (tick, value) of controller 7
    const Track& after = *App().Session().Current();
    for (std::uint32_t beat = 0; beat < 2 && beat < after.BeatCount(); ++beat)
        for (const Event& e : *after.Bucket(beat))
            if ((e.message & 0xF0) == 0xB0 && ((e.message >> 8) & 0x7F) == 7)
                ramp.emplace_back(beat * 192 + e.offset, (e.message >> 16) & 0x7F);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> wanted{
        {0, 0}, {48, 31}, {96, 63}, {144, 95}, {192, 127}};
    EXPECT_EQ(ramp, wanted);
    EXPECT_NE(Song().modified, 0u);
}

TEST_F(ToolDialogsTest, NoteTransformOffersTheLoadedTransformsAndRunsTheChosenOne) {
    Fresh();
    const std::uint32_t command = CommandOf("note-transform");
    const Tool& tool = Tools().All()[command - cmd::ToolFirst];
    ASSERT_TRUE(App().StateOf(command).enabled);
    const Events before = AllEvents(Song());
    const std::unique_ptr<kvs::Song> copy = CopyOf(Song());
    QString chosen;
    RunDialog<NoteTransformDialog>(command, [&](NoteTransformDialog& d) {
        test::SaveShot(&d, "tool-note-transform");
        test::ExpectAccessible(&d);
        EXPECT_GT(d.Transforms()->count(), 4);
        EXPECT_EQ(d.Transforms()->currentIndex(), 0);
        EXPECT_EQ(d.Keys()->currentText(), "C");
        EXPECT_FALSE(d.Transforms()->whatsThis().isEmpty());
        EXPECT_FALSE(d.Keys()->whatsThis().isEmpty());
        d.Transforms()->setCurrentIndex(1);
        d.Keys()->setCurrentIndex(7);
        chosen = d.Transforms()->currentText();
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    std::string error;
    const std::vector<std::string> values{chosen.toStdString(), "G"};
    const std::optional<ToolPass> pass = tool.fromText(values, error);
    ASSERT_TRUE(pass) << error;
    EXPECT_EQ(AllEvents(Song()), Expected(*copy, *pass));
    EXPECT_NE(AllEvents(Song()), before);
}

TEST_F(ToolDialogsTest, InsertFromFileAsksForTheFileThenTheTrackAndMergesIt) {
    Fresh();
    const std::uint32_t command = CommandOf("insert-from-file");
    const Tool& tool = Tools().All()[command - cmd::ToolFirst];
    const std::string source = home_.filePath("a & b.mid").toStdString();
    const Events before = AllEvents(Song());
    const std::unique_ptr<kvs::Song> copy = CopyOf(Song());

    // The file dialog, then the track dialog; Cancel in the second changes nothing.
    const auto run = [&](const std::function<void(InsertFromFileDialog&)>& act) {
        bool asked = false;
        RunDialog<QFileDialog>(command, [&](QFileDialog& files) {
            EXPECT_EQ(files.windowTitle(), "Open File");
            test::OnNextModal(
                [&](QWidget* modal) {
                    auto* d = qobject_cast<InsertFromFileDialog*>(modal);
                    asked = d != nullptr;
                    if (asked) act(*d);
                    if (modal->isVisible()) qobject_cast<QDialog*>(modal)->reject();
                },
                &files);
            files.selectFile(QString::fromStdString(source));
            QMetaObject::invokeMethod(&files, "accept");
        });
        EXPECT_TRUE(asked);
    };
    run([&](InsertFromFileDialog& d) {
        EXPECT_EQ(d.Tracks()->count(), static_cast<int>(copy->TrackCount()));
        EXPECT_EQ(d.Tracks()->currentRow(), 0);
        EXPECT_TRUE(d.InsertButton()->isChecked());
        EXPECT_FALSE(d.Tracks()->whatsThis().isEmpty());
        EXPECT_FALSE(d.MergeButton()->whatsThis().isEmpty());
    });
    EXPECT_EQ(AllEvents(Song()), before);
    EXPECT_EQ(App().CurrentSettings().libDir, home_.path().toStdString());

    run([&](InsertFromFileDialog& d) {
        test::SaveShot(&d, "tool-insert-from-file");
        test::ExpectAccessible(&d);
        d.Tracks()->setCurrentRow(1);
        d.MergeButton()->setChecked(true);
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    std::string error;
    const std::vector<std::string> values{source, "2", "merge"};
    const std::optional<ToolPass> pass = tool.fromText(values, error);
    ASSERT_TRUE(pass) << error;
    EXPECT_EQ(AllEvents(Song()), Expected(*copy, *pass));
    EXPECT_NE(Song().modified, 0u);
}

TEST_F(ToolDialogsTest, PasteMergeMultipleAndMoveTrackAskTheirNumber) {
    Fresh();
    // Beats 0 and 1 on the clipboard, the caret back at beat 0.
    App().Session().Selection().Select(0, 2);
    window_->Refresh(refresh::MenuStates);
    Trigger(cmd::EditCopy);
    App().Session().Selection().Select(0, 0);
    window_->Refresh(refresh::MenuStates);
    const std::uint32_t beats = App().Session().Current()->BeatCount();
    const std::uint64_t events = App().Session().Current()->EventCount();
    struct Case {
        std::uint32_t command;
        const char* shot;
    };
    for (const Case c : {Case{cmd::EditPasteMultiple, "paste-multiple"},
                         Case{cmd::EditMergeMultiple, "merge-multiple"}}) {
        for (bool ok : {false, true})
            RunDialog<ValueDialogBox>(c.command, [&](ValueDialogBox& d) {
                EXPECT_EQ(d.Field(0)->text(), "1");
                EXPECT_FALSE(d.Field(0)->whatsThis().isEmpty());
                d.Field(0)->setText("3");
                if (!ok) return;
                test::SaveShot(&d, c.shot);
                test::Press(&d, QDialogButtonBox::AcceptRole);
            });
    }
    // Three pasted copies of two beats, then three merged onto them.
    const Track& track = *App().Session().Current();
    EXPECT_EQ(track.BeatCount(), beats + 6);
    EXPECT_GT(track.EventCount(), events);

    const Track* moved = App().Session().Current();
    const std::int32_t from = App().CurrentTrack();
    RunDialog<ValueDialogBox>(cmd::TrackMove, [&](ValueDialogBox& d) { d.Field(0)->setText("2"); });
    EXPECT_EQ(Song().GetTrack(static_cast<std::uint32_t>(from)), moved);
    RunDialog<ValueDialogBox>(cmd::TrackMove, [&](ValueDialogBox& d) {
        EXPECT_FALSE(d.Field(0)->whatsThis().isEmpty());
        test::SaveShot(&d, "move-track");
        d.Field(0)->setText("2");
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    EXPECT_EQ(Song().GetTrack(1), moved);
}

// The questions of the command line and of loading: /O reports on the
// language file with an information box, /R asks before taking ".mid" from
// another program, and a file naming a missing port asks for a stand-in.
TEST_F(ToolDialogsTest, StartUpQuestionsAskAndStoreTheirAnswers) {
    auto runLine = [&](const char* word) {
        const std::vector<std::string> words{word};
        window_->RunCommandLine(ParseCommandLine(words, home_.path().toStdString()));
    };
    auto expectInfo = [&](const QString& text) {
        RunDialog<QMessageBox>([&] { runLine("/O"); },
                               [&](QMessageBox& box) {
                                   EXPECT_EQ(box.icon(), QMessageBox::Information);
                                   EXPECT_EQ(box.text(), text);
                                   test::SaveShot(&box, "language-test");
                                   box.accept();
                               });
    };
    expectInfo("All prompts are present in the language file");
    {
        QFile language(home_.filePath("kvs.lng"));
        ASSERT_TRUE(language.open(QIODevice::ReadOnly));
        QByteArray text = language.readAll();
        language.close();
        const qsizetype at = text.indexOf("\nmenu_file_open=");
        ASSERT_GE(at, 0);
        text.remove(at + 1, text.indexOf('\n', at + 1) - at);
        ASSERT_TRUE(language.open(QIODevice::WriteOnly | QIODevice::Truncate));
        language.write(text);
    }
    expectInfo("Some prompts are missing in the language file. Please check the file newkvs.lng");
    EXPECT_TRUE(QFile::exists(home_.filePath("newkvs.lng")));

    // ".mid" belongs to another program; ".syx" to nobody.
    QTemporaryDir xdg;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", xdg.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", xdg.path().toUtf8());
    {
        QFile apps(xdg.filePath("mimeapps.list"));
        ASSERT_TRUE(apps.open(QIODevice::WriteOnly));
        apps.write("[Default Applications]\naudio/midi=other.desktop;\n");
    }
    RunDialog<QMessageBox>([&] { runLine("/R"); },
                           [&](QMessageBox& box) {
                               EXPECT_TRUE(box.text().contains(".mid")) << box.text().toStdString();
                               test::SaveShot(&box, "register-question");
                               for (QAbstractButton* b : box.buttons())
                                   if (box.buttonRole(b) == QMessageBox::YesRole) b->click();
                           });
    for (auto [name, value] : {std::pair{"XDG_DATA_HOME", oldData}, {"XDG_CONFIG_HOME", oldConfig}})
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    QFile apps(xdg.filePath("mimeapps.list"));
    ASSERT_TRUE(apps.open(QIODevice::ReadOnly));
    const QByteArray list = apps.readAll();
    EXPECT_TRUE(list.contains("audio/midi=kavelsong.desktop;")) << list.toStdString();

    // A song whose track plays on "Gone", a port this machine lacks.
    {
        kvs::Song song;
        song.InsertTrack();
        song.GetTrack(0)->properties.port = 1;
        song.GetTrack(0)->AddEvent(0, 0x90 | (60u << 8) | (100u << 16));
        song.GetTrack(0)->AddEvent(96, 0x80 | (60u << 8));
        ASSERT_EQ(SaveSongFile(home_.filePath("gone.mid").toStdString(), song, SaveType::Full,
                               {"Synth", "Gone"}),
                  kResultOk);
    }
    Song().modified = 0;
    Trigger(cmd::FileNew);
    RunDialog<ChoosePortDialog>([&] { Open("gone.mid"); },
                                [&](ChoosePortDialog& d) {
                                    test::SaveShot(&d, "choose-port");
                                    EXPECT_TRUE(d.Ports()->accessibleName().contains("Gone"));
                                    ASSERT_GT(d.Ports()->count(), 0);
                                    d.Ports()->setCurrentIndex(d.Ports()->count() - 1);
                                    d.Remember()->setChecked(false);
                                    test::Press(&d, QDialogButtonBox::AcceptRole);
                                });
    ASSERT_EQ(Song().TrackCount(), 1u);
    const auto& outputs = App().Devices().Outputs();
    ASSERT_FALSE(outputs.empty());
    EXPECT_LT(Song().GetTrack(0)->properties.port, outputs.size());
}

}  // namespace
}  // namespace kvs

#pragma once

#include <QPointer>
#include <array>
#include <cstdint>

#include "ui/program_note_editor.h"
#include "ui/qt/dialog_base.h"

class QLabel;
class QMenu;
class QPushButton;

namespace kvs {

class NoteViewWidget;

// The note editor's face: the piano roll, a status bar of six parts (a click
// on one of the first five chooses the parameter F5-F8 and Edit work on) and
// the column of buttons at the right. The view has the keyboard focus; the
// editor opens with the dialog and closes with it however it is closed.
class NoteEditorDialog final : public DialogBase, private NoteEditorFace {
    Q_OBJECT

  public:
    NoteEditorDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                     ProgramNoteEditor& editor);
    ~NoteEditorDialog() override;

    void MidiIn(std::uint32_t message) override;
    void reject() override;

    NoteViewWidget* ViewWidget() const { return view_; }
    // 0 Close, 1 Insert, 2 Delete, 3 Edit, 4 Memo, 5 Snap.
    QPushButton* Button(std::size_t index) const { return buttons_[index]; }
    QLabel* StatusPart(std::size_t index) const { return status_[index]; }
    QMenu* ContextMenu() const { return menu_; }
    int Beeps() const { return beeps_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Beep() override;
    void StatusChanged() override;
    void CloseEditor() override;
    void BuildMenu();
    void ShowMenu(const QPoint& globalPos);

    ProgramNoteEditor& editor_;
    NoteViewWidget* view_ = nullptr;
    std::array<QPushButton*, 6> buttons_{};
    std::array<QLabel*, 6> status_{};
    QMenu* menu_ = nullptr;
    int beeps_ = 0;
};

}  // namespace kvs

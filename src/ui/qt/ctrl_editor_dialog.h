#pragma once

#include <array>

#include "ui/ctrl_editor_form.h"
#include "ui/qt/dialog_base.h"

class QLabel;
class QMenu;
class QPushButton;

namespace kvs {

class CtrlEditorSession;
class CtrlViewWidget;
class DialogHost;

// The control editor's window: the controller grid, the status bar of the
// four parameters and the button column. Every decision is the form's.
class CtrlEditorDialog final : public DialogBase, private CtrlEditorFace {
    Q_OBJECT

  public:
    CtrlEditorDialog(QWidget* parent, DialogHost& dialogs, CtrlEditorSession& editor);
    ~CtrlEditorDialog() override;

    // Opens the form on the session's track; false when there is none.
    bool Open();

    CtrlViewWidget* ViewWidget() const { return view_; }
    QPushButton* Button(CtrlCommand command) const;
    QLabel* StatusPart(std::uint32_t part) const { return status_[part]; }
    QMenu* ContextMenuForTest() const { return menu_; }

  public slots:
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // CtrlEditorFace
    void Beep() override;
    void StatusChanged() override;
    bool RunValueDialog(ValueDialog& dialog) override;
    void ContextMenu(std::int32_t x, std::int32_t y) override;
    void Close() override;

    void ShowMenuAt(const QPoint& viewportPos);
    void Post(CtrlCommand command);

    DialogHost& dialogs_;
    CtrlEditorSession& editor_;
    CtrlViewWidget* view_;
    std::array<QLabel*, CtrlEditorForm::kParameterCount + 1> status_{};
    std::vector<std::pair<CtrlCommand, QPushButton*>> buttons_;
    QMenu* menu_;
};

}  // namespace kvs

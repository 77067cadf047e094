#include "ui/qt/ctrl_editor_dialog.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/ctrl_editor_session.h"
#include "ui/qt/ctrl_view_widget.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/value_dialog_box.h"

namespace kvs {
namespace {

constexpr std::uint32_t kViewId = 2450;
constexpr std::uint32_t kStatusId = 2451;
// Close has no number of its own: 2 is Cancel's, which keeps nothing.
constexpr std::uint32_t kCloseHelp = 2461;

// The button column, Close first.
constexpr std::array<std::pair<CtrlCommand, prompt::Id>, 6> kButtons{{
    {CtrlCommand::Close, prompt::close},
    {CtrlCommand::Insert, prompt::ctrledit_ins},
    {CtrlCommand::Delete, prompt::ctrledit_del},
    {CtrlCommand::Edit, prompt::ctrledit_edit},
    {CtrlCommand::Memo, prompt::ctrledit_memo},
    {CtrlCommand::Snap, prompt::ctrledit_snap},
}};

}  // namespace

CtrlEditorDialog::CtrlEditorDialog(QWidget* parent, DialogHost& dialogs, CtrlEditorSession& editor)
    : DialogBase(parent, editor.Prompts(), &dialogs.Help()),
      dialogs_(dialogs),
      editor_(editor),
      view_(new CtrlViewWidget(editor.View(), this)),
      menu_(new QMenu(this)) {
    setWindowTitle(Prompt(prompt::ctrledit_title));
    view_->setAccessibleName(WithoutMnemonic(Prompt(prompt::ctrledit_title)));
    SetHelp(view_, kViewId);

    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(2);
    for (std::uint32_t i = 0; i < status_.size(); ++i) {
        auto* part = new QLabel(this);
        part->setMargin(2);
        part->setTextFormat(Qt::PlainText);
        part->installEventFilter(this);
        SetHelp(part, kStatusId);
        statusRow->addWidget(part, i < CtrlEditorForm::kParameterCount ? 1 : 0);
        status_[i] = part;
    }

    auto* left = new QVBoxLayout;
    left->addWidget(view_, 1);
    left->addLayout(statusRow);

    QVBoxLayout* column = CommandColumn(
        kButtons, kCloseHelp, [this](CtrlCommand c) { Post(c); }, buttons_);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(column);

    // Insert, Delete, Edit, Memo, Snap, then the four parameters.
    const std::array<std::pair<prompt::Id, CtrlCommand>, 9> items{{
        {prompt::ctrledit_ins, CtrlCommand::Insert},
        {prompt::ctrledit_del, CtrlCommand::Delete},
        {prompt::ctrledit_edit, CtrlCommand::Edit},
        {prompt::ctrledit_memo, CtrlCommand::Memo},
        {prompt::ctrledit_snap, CtrlCommand::Snap},
        {prompt::ctrledit_start, CtrlCommand::Start},
        {prompt::ctrledit_chan, CtrlCommand::Chan},
        {prompt::ctrledit_num, CtrlCommand::Num},
        {prompt::ctrledit_val, CtrlCommand::Val},
    }};
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i == 2 || i == 5) menu_->addSeparator();
        QAction* action = menu_->addAction(Prompt(items[i].first));
        action->setData(static_cast<uint>(items[i].second));
        connect(action, &QAction::triggered, this, [this, c = items[i].second] { Post(c); });
        if (i >= 5) action->setCheckable(true);
    }

    const QFontMetrics metrics(font());
    resize(metrics.averageCharWidth() * 90, metrics.lineSpacing() * 24);
    editor_.SetFace(this);
    connect(view_, &CtrlViewWidget::contextMenuAt, this,
            [this](const QPoint& at) { ShowMenuAt(at); });
}

CtrlEditorDialog::~CtrlEditorDialog() {
    editor_.SetFace(nullptr);
    editor_.StopAudition();
}

bool CtrlEditorDialog::Open() {
    if (editor_.Form().Open() != EditResult::Done) return false;
    view_->setFocus(Qt::OtherFocusReason);
    StatusChanged();
    return true;
}

QPushButton* CtrlEditorDialog::Button(CtrlCommand command) const {
    for (const auto& [c, button] : buttons_)
        if (c == command) return button;
    return nullptr;
}

// Escape and the window's close box are the Close command.
void CtrlEditorDialog::reject() {
    editor_.Form().Command(CtrlCommand::Close);
}

bool CtrlEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (std::uint32_t i = 0; i < CtrlEditorForm::kParameterCount; ++i) {
            if (watched == status_[i]) {
                editor_.Form().ClickStatusPart(i);
                return true;
            }
        }
    }
    return DialogBase::eventFilter(watched, event);
}

// Commands wait for the event loop, so a button or menu item never runs
// one inside another's handling.
void CtrlEditorDialog::Post(CtrlCommand command) {
    QTimer::singleShot(0, this, [this, command] {
        editor_.Form().Command(command);
        if (command != CtrlCommand::Close) view_->setFocus(Qt::OtherFocusReason);
    });
}

void CtrlEditorDialog::Beep() {
    QApplication::beep();
}

void CtrlEditorDialog::StatusChanged() {
    const auto texts = editor_.Form().StatusTexts();
    for (std::uint32_t i = 0; i < status_.size(); ++i) {
        status_[i]->setText(ToQString(texts[i]));
        // The part F5-F8 and Edit act on wears a frame.
        const bool current = i == editor_.Form().CurrentParameter();
        status_[i]->setFrameStyle(current ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    }
}

bool CtrlEditorDialog::RunValueDialog(ValueDialog& dialog) {
    ValueDialogBox box(this, prompts_, &dialogs_.Help(), dialog);
    const bool ok = dialogs_.Exec(box);
    activateWindow();  // not every window system gives it back by itself
    return ok;
}

void CtrlEditorDialog::ContextMenu(std::int32_t x, std::int32_t y) {
    ShowMenuAt(QPoint(x, y));
}

void CtrlEditorDialog::ShowMenuAt(const QPoint& viewportPos) {
    const std::uint32_t parameter = editor_.Form().CurrentParameter();
    for (QAction* action : menu_->actions()) {
        const uint id = action->data().toUInt();
        if (action->isCheckable())
            action->setChecked(id == static_cast<uint>(CtrlCommand::Start) + parameter);
    }
    menu_->exec(view_->viewport()->mapToGlobal(viewportPos));
}

void CtrlEditorDialog::Close() {
    done(QDialog::Accepted);
}

}  // namespace kvs

#include "ui/qt/note_editor_dialog.h"

#include <QActionGroup>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/commands.h"
#include "ui/qt/note_view_widget.h"

namespace kvs {

namespace {

constexpr std::array<std::pair<std::uint32_t, prompt::Id>, 6> kButtons{{
    {note_cmd::Close, prompt::close},
    {note_cmd::Insert, prompt::noteedit_ins},
    {note_cmd::Delete, prompt::noteedit_del},
    {note_cmd::Edit, prompt::noteedit_edit},
    {note_cmd::Memo, prompt::noteedit_memo},
    {note_cmd::Snap, prompt::noteedit_snap},
}};
// Close has no number of its own: 2 is Cancel's, which keeps nothing.
constexpr std::uint32_t kCloseHelp = 2412;

}  // namespace

NoteEditorDialog::NoteEditorDialog(QWidget* parent, const PromptTable& prompts,
                                   const HelpTexts* help, ProgramNoteEditor& editor)
    : DialogBase(parent, prompts, help), editor_(editor) {
    setWindowTitle(Prompt(prompt::noteedit_title));

    view_ = new NoteViewWidget(editor_.View(), this);
    view_->setAccessibleName(WithoutMnemonic(Prompt(prompt::noteedit_title)));
    SetHelp(view_, note_cmd::ViewId);
    connect(view_, &NoteViewWidget::contextMenuRequested, this, &NoteEditorDialog::ShowMenu);
    connect(view_, &NoteViewWidget::insertRequested, this, [this] {
        // On a note the double click only selects it.
        if (!editor_.Form().HaveSelection()) editor_.Form().Execute(note_cmd::Insert);
    });

    auto* statusBar = new QWidget(this);
    auto* statusRow = new QHBoxLayout(statusBar);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->setSpacing(2);
    for (std::size_t i = 0; i < status_.size(); ++i) {
        auto* part = new QLabel(statusBar);
        part->setTextFormat(Qt::PlainText);
        part->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        SetHelp(part, note_cmd::StatusId);
        if (i < 5) {
            part->installEventFilter(this);
            part->setCursor(Qt::PointingHandCursor);
        }
        statusRow->addWidget(part, 1);
        status_[i] = part;
    }

    auto* column = new QVBoxLayout;
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const std::uint32_t command = kButtons[i].first;
        QPushButton* button =
            CommandButton(kButtons[i].second, command == note_cmd::Close ? kCloseHelp : command);
        connect(button, &QPushButton::clicked, this,
                [this, command] { editor_.Form().Execute(command); });
        column->addWidget(button);
        buttons_[i] = button;
    }
    column->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(view_, 0, 0);
    grid->addWidget(statusBar, 1, 0);
    grid->addLayout(column, 0, 1, 2, 1);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);

    BuildMenu();
    const QFontMetrics metrics(view_->font());
    resize(metrics.averageCharWidth() * 100, metrics.lineSpacing() * 30);

    editor_.SetFace(this);
    StatusChanged();
    view_->setFocus(Qt::OtherFocusReason);
}

void NoteEditorDialog::showEvent(QShowEvent* event) {
    DialogBase::showEvent(event);
    // Opened once the view has its size, so that the caret's key is in view.
    if (editor_.Form().IsOpen()) return;
    editor_.Open();
    StatusChanged();
}

NoteEditorDialog::~NoteEditorDialog() {
    editor_.SetFace(nullptr);
}

void NoteEditorDialog::BuildMenu() {
    menu_ = new QMenu(this);
    auto* parameters = new QActionGroup(menu_);
    for (const MenuEntry& entry : NoteViewContextMenu()) {
        if (entry.kind == MenuEntry::Kind::Separator) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(Prompt(entry.text));
        action->setData(entry.command);
        if (entry.command >= note_cmd::ParamStart && entry.command <= note_cmd::ParamLength) {
            action->setCheckable(true);
            parameters->addAction(action);
        }
        const std::uint32_t command = entry.command;
        connect(action, &QAction::triggered, this,
                [this, command] { editor_.Form().Execute(command); });
    }
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        const NoteEditorForm& form = editor_.Form();
        for (QAction* action : menu_->actions()) {
            const std::uint32_t command = action->data().toUInt();
            if (action->isCheckable())
                action->setChecked(command - note_cmd::ParamStart == form.Parameter());
            else if (command == note_cmd::Insert)
                action->setEnabled(!form.HaveSelection());
            else if (command == note_cmd::Delete || command == note_cmd::Memo)
                action->setEnabled(form.HaveSelection());
        }
    });
}

void NoteEditorDialog::ShowMenu(const QPoint& globalPos) {
    menu_->exec(globalPos);
}

void NoteEditorDialog::MidiIn(std::uint32_t message) {
    editor_.Form().MidiIn(message);
}

void NoteEditorDialog::reject() {
    // Escape and the window's close button close the editor as Close does.
    if (editor_.Form().IsOpen())
        editor_.Form().Execute(note_cmd::Close);
    else
        QDialog::reject();
}

bool NoteEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (std::size_t i = 0; i < 5; ++i)
            if (watched == status_[i]) {
                editor_.Form().ClickStatusPart(static_cast<std::uint32_t>(i));
                return true;
            }
    }
    return DialogBase::eventFilter(watched, event);
}

void NoteEditorDialog::Beep() {
    ++beeps_;
    QApplication::beep();
}

void NoteEditorDialog::StatusChanged() {
    const NoteEditorForm& form = editor_.Form();
    const std::array<std::string, 6> texts = form.StatusTexts();
    for (std::size_t i = 0; i < status_.size(); ++i) {
        QLabel* part = status_[i];
        part->setText(ToQString(texts[i]));
        part->setAccessibleName(part->text());
        // The current parameter's part has a border; the margin keeps the
        // others' text where it would be with one.
        const bool current = i == form.Parameter();
        part->setFrameStyle(current ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
        part->setLineWidth(1);
        part->setMargin(current ? 1 : 2);
    }
}

void NoteEditorDialog::CloseEditor() {
    done(QDialog::Accepted);
}

}  // namespace kvs

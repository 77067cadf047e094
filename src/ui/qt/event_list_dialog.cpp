#include "ui/qt/event_list_dialog.h"

#include <QAction>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "ui/event_list_session.h"
#include "ui/qt/choice_dialog_box.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/key_modifiers.h"
#include "ui/qt/value_dialog_box.h"

namespace kvs {
namespace {

constexpr int kColumns = 6;
// Where the fields begin, in quarters of the average character width.
constexpr std::array<int, kColumns - 1> kTabStops{40, 80, 100, 145, 170};
constexpr std::uint32_t kListHelp = 2300;
// Close has no number of its own: 2 is Cancel's, which keeps nothing.
constexpr std::uint32_t kCloseHelp = 2306;

constexpr std::array<std::pair<EventListCommand, prompt::Id>, 5> kButtons{{
    {EventListCommand::Close, prompt::close},
    {EventListCommand::Insert, prompt::evtlist_ins},
    {EventListCommand::Delete, prompt::evtlist_del},
    {EventListCommand::Next, prompt::evtlist_next},
    {EventListCommand::Back, prompt::evtlist_prev},
}};

}  // namespace

EventListDialog::EventListDialog(QWidget* parent, DialogHost& dialogs, EventListSession& list,
                                 SysexEditor editSysex)
    : DialogBase(parent, list.Prompts(), &dialogs.Help()),
      dialogs_(dialogs),
      session_(list),
      editSysex_(std::move(editSysex)),
      list_(new QTreeWidget(this)),
      menu_(new QMenu(this)) {
    setWindowTitle(Prompt(prompt::evtlist_title));
    list_->setColumnCount(kColumns);
    list_->setHeaderHidden(true);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setAccessibleName(WithoutMnemonic(Prompt(prompt::evtlist_title)));
    SetHelp(list_, kListHelp);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (syncing_) return;
        session_.Model().SelectRow(item != nullptr ? list_->indexOfTopLevelItem(item) : -1);
    });

    QVBoxLayout* column = CommandColumn(
        kButtons, kCloseHelp, [this](EventListCommand c) { Post(c); }, buttons_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(column);

    const std::array<std::pair<prompt::Id, EventListCommand>, 7> items{{
        {prompt::evtlist_ins, EventListCommand::Insert},
        {prompt::evtlist_del, EventListCommand::Delete},
        {prompt::evtlist_start, EventListCommand::Start},
        {prompt::evtlist_chan, EventListCommand::Chan},
        {prompt::evtlist_val2, EventListCommand::Val2},
        {prompt::evtlist_val3, EventListCommand::Val3},
        {prompt::evtlist_len, EventListCommand::Length},
    }};
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i == 2) menu_->addSeparator();
        QAction* action = menu_->addAction(Prompt(items[i].first));
        connect(action, &QAction::triggered, this, [this, c = items[i].second] { Post(c); });
    }

    const QFontMetrics metrics(font());
    resize(metrics.averageCharWidth() * 80, metrics.lineSpacing() * 20);
    session_.SetFace(this);
}

EventListDialog::~EventListDialog() {
    session_.SetFace(nullptr);
    session_.StopAudition();
}

bool EventListDialog::Open() {
    if (session_.Model().Open(session_.OpenBeat()) != EditResult::Done) return false;
    SyncSelection();
    list_->setFocus(Qt::OtherFocusReason);
    return true;
}

QPushButton* EventListDialog::Button(EventListCommand command) const {
    for (const auto& [c, button] : buttons_)
        if (c == command) return button;
    return nullptr;
}

void EventListDialog::reject() {
    session_.Model().Command(EventListCommand::Close);
}

void EventListDialog::Post(EventListCommand command) {
    QTimer::singleShot(0, this, [this, command] {
        session_.Model().Command(command);
        if (command == EventListCommand::Close) return;
        SyncSelection();
        list_->setFocus(Qt::OtherFocusReason);
    });
}

void EventListDialog::RowsChanged() {
    const QSignalBlocker blocker(list_);
    syncing_ = true;
    list_->clear();
    for (const EventListModel::Row& row : session_.Model().Rows()) {
        const QStringList fields = ToQString(row.text).split(u'\t');
        list_->addTopLevelItem(new QTreeWidgetItem(fields));
    }
    // The fields start at their tab stops and widen for longer texts.
    const int quarter = QFontMetrics(list_->font()).averageCharWidth();
    int start = 0;
    for (int c = 0; c < kColumns; ++c) {
        const int stop = c < kColumns - 1 ? kTabStops[static_cast<std::size_t>(c)] : start + 40;
        const int width = (stop - start) * quarter / 4;
        start = stop;
        list_->resizeColumnToContents(c);
        list_->setColumnWidth(c, std::max(width, list_->columnWidth(c)));
    }
    syncing_ = false;
}

void EventListDialog::SyncSelection() {
    const QSignalBlocker blocker(list_);
    syncing_ = true;
    const int row = session_.Model().SelectedRow();
    QTreeWidgetItem* item = row >= 0 ? list_->topLevelItem(row) : nullptr;
    list_->setCurrentItem(item);
    if (item != nullptr) list_->scrollToItem(item);
    syncing_ = false;
}

bool EventListDialog::ListKey(QKeyEvent& event) {
    EventListModel& model = session_.Model();
    const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    bool used = false;
    switch (event.key()) {
        case Qt::Key_PageUp:
            used = model.KeyDown(EventListKey::PageUp);
            break;
        case Qt::Key_PageDown:
            used = model.KeyDown(EventListKey::PageDown);
            break;
        case Qt::Key_Insert:
            used = model.KeyDown(EventListKey::Insert);
            break;
        case Qt::Key_Delete:
            used = model.KeyDown(EventListKey::Delete);
            break;
        case Qt::Key_Menu: {
            const QRect row = list_->visualItemRect(list_->currentItem());
            ShowMenu(list_->currentItem() != nullptr
                         ? list_->viewport()->mapTo(list_, QPoint(0, row.top()))
                         : QPoint(0, 0));
            return true;
        }
        default:
            if (const char letter = LetterOrDigitOf(event.key());
                mods == Qt::NoModifier && letter != 0)
                used = model.LetterKey(letter);
            break;
    }
    if (used) SyncSelection();
    return used;
}

bool EventListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_) {
        if (event->type() == QEvent::KeyPress && ListKey(*static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::ShortcutOverride) {
            // The list's letters are commands, not the buttons' shortcuts.
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->modifiers() & Qt::AltModifier) == 0) event->accept();
        }
        if (event->type() == QEvent::FocusOut) session_.StopAudition();
    } else if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                // The row under the pointer first, then its menu.
                QTreeWidgetItem* item = list_->itemAt(mouse->position().toPoint());
                if (item != nullptr) list_->setCurrentItem(item);
            }
        }
        if (event->type() == QEvent::ContextMenu) {
            const auto* menu = static_cast<QContextMenuEvent*>(event);
            ShowMenu(list_->viewport()->mapTo(list_, menu->pos()));
            return true;
        }
    }
    return DialogBase::eventFilter(watched, event);
}

void EventListDialog::ShowMenu(const QPoint& listPos) {
    menu_->exec(list_->mapToGlobal(listPos));
}

bool EventListDialog::RunValueDialog(ValueDialog& dialog) {
    ValueDialogBox box(this, prompts_, &dialogs_.Help(), dialog);
    const bool ok = dialogs_.Exec(box);
    activateWindow();  // not every window system gives it back by itself
    return ok;
}

std::optional<std::uint32_t> EventListDialog::ChooseFromList(PromptText title, PromptText label,
                                                             const std::vector<std::string>& items,
                                                             std::uint32_t initial) {
    ChoiceDialogBox box(this, prompts_, &dialogs_.Help(), title, label, items, initial);
    const bool ok = dialogs_.Exec(box);
    activateWindow();
    if (!ok) return std::nullopt;
    return box.Chosen();
}

bool EventListDialog::EditSysex(Track& track, std::uint32_t beat, std::uint32_t index) {
    return editSysex_ && editSysex_(track, beat, index);
}

void EventListDialog::Close() {
    done(QDialog::Accepted);
}

}  // namespace kvs

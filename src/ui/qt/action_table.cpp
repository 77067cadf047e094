#include "ui/qt/action_table.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QShortcut>
#include <QWidget>

#include "config/prompt_table.h"
#include "ui/commands.h"
#include "ui/qt/icons.h"

namespace kvs {
namespace {

// Menu items with a check mark or a radio mark.
bool IsToggle(std::uint32_t id) {
    switch (id) {
        case cmd::Loop:
        case cmd::PunchRecord:
        case cmd::SynchroStart:
        case cmd::ViewToolbar:
        case cmd::ViewStatusBar:
        case cmd::ApplyToAll:
        case cmd::Metronome:
        case cmd::MidiThru:
        case cmd::MidiClock:
            return true;
        default:
            return false;
    }
}

bool IsRadio(std::uint32_t id) {
    return id >= cmd::UnitsPosition && id <= cmd::UnitsTime;
}

// Digit marker keys are matched by key code in MarkerCommandForKey: a
// shortcut "Shift+0" would never see the ")" a US layout reports.
bool IsDigitMarkerKey(std::uint32_t id) {
    return (id >= cmd::SetMarkFirst + 2 && id <= cmd::SetMarkLast) ||
           (id >= cmd::GoMarkFirst + 2 && id <= cmd::GoMarkLast);
}

}  // namespace

QString MenuText(std::string_view prompt) {
    return QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size()));
}

QString PlainText(std::string_view prompt) {
    QString text = MenuText(prompt);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) text.truncate(tab);
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

ActionTable::ActionTable(QWidget* window, RunFn onMenu, RunFn onKey) : QObject(window) {
    radioGroup_ = new QActionGroup(this);
    for (const CommandInfo& info : Commands()) {
        const std::uint32_t id = info.id;
        if (info.menuText || info.tooltip || !EnglishMenuText(id).empty()) {
            auto* action = new QAction(this);
            action->setCheckable(IsToggle(id) || IsRadio(id));
            if (IsRadio(id)) action->setActionGroup(radioGroup_);
            connect(action, &QAction::triggered, this, [onMenu, id] { onMenu(id); });
            actions_[id] = action;
        }
        if (!info.shortcut.empty() && !IsDigitMarkerKey(id)) {
            const QKeySequence keys(
                QString::fromLatin1(info.shortcut.data(),
                                    static_cast<qsizetype>(info.shortcut.size())),
                QKeySequence::PortableText);
            auto* shortcut = new QShortcut(keys, window);
            shortcut->setContext(Qt::WindowShortcut);
            shortcut->setAutoRepeat(true);
            connect(shortcut, &QShortcut::activated, this, [onKey, id] { onKey(id); });
        }
    }
    for (const ToolbarEntry& entry : Toolbar()) {
        if (entry.command == 0) continue;
        if (QAction* action = Action(entry.command)) action->setIcon(ToolbarIcon(entry.icon));
    }
}

void ActionTable::ApplyPrompts(const PromptTable& prompts) {
    for (const CommandInfo& info : Commands()) {
        QAction* action = Action(info.id);
        if (!action) continue;
        if (info.menuText) action->setText(MenuText(prompts.Text(*info.menuText)));
        if (const std::string_view english = EnglishMenuText(info.id); !english.empty())
            action->setText(MenuText(english));
        if (info.tooltip) {
            const QString tip = PlainText(prompts.Text(*info.tooltip));
            action->setToolTip(tip);
            action->setIconText(tip);
            if (!info.menuText) action->setText(tip);
        }
    }
}

QAction* ActionTable::Action(std::uint32_t id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

std::uint32_t ActionTable::IdOf(const QAction* action) const {
    for (const auto& [id, a] : actions_) {
        if (a == action) return id;
    }
    return 0;
}

void ActionTable::UpdateStates(const StateFn& stateOf) const {
    for (const auto& [id, action] : actions_) {
        const State state = stateOf(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

void ActionTable::UpdateStates(const QList<QAction*>& actions, const StateFn& stateOf) const {
    for (QAction* action : actions) {
        const std::uint32_t id = IdOf(action);
        if (id == 0) continue;
        const State state = stateOf(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

}  // namespace kvs

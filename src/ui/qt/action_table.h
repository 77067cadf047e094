#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>

class QAction;
class QActionGroup;
class QShortcut;
class QWidget;

namespace kvs {

class PromptTable;

// One QAction per command id of the command table, shared by the menus, the
// toolbar and the context menus, and one window shortcut per key. Keys are
// QShortcuts apart from the actions so that a key acts by the program's
// rules even when its menu item shows disabled.
class ActionTable final : public QObject {
    Q_OBJECT

  public:
    struct State {
        bool enabled = true;
        bool checked = false;
        bool radio = false;
    };
    using StateFn = std::function<State(std::uint32_t)>;
    using RunFn = std::function<void(std::uint32_t)>;

    // onMenu runs for a chosen menu item or toolbar button, onKey for a key.
    ActionTable(QWidget* window, RunFn onMenu, RunFn onKey);

    // Texts, tooltips and accessible names from the current prompts.
    void ApplyPrompts(const PromptTable& prompts);
    QAction* Action(std::uint32_t id) const;
    void UpdateStates(const StateFn& stateOf) const;
    void UpdateStates(const QList<QAction*>& actions, const StateFn& stateOf) const;
    std::uint32_t IdOf(const QAction* action) const;

  private:
    std::map<std::uint32_t, QAction*> actions_;
    QActionGroup* radioGroup_ = nullptr;
};

// A prompt as a Qt menu text: '&' mnemonics kept, "\tkey" after the tab.
QString MenuText(std::string_view prompt);
// The same without mnemonics and key text, for accessible names.
QString PlainText(std::string_view prompt);

}  // namespace kvs

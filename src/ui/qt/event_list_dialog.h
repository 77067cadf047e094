#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "ui/event_list_model.h"
#include "ui/qt/dialog_base.h"

class QMenu;
class QPushButton;
class QTreeWidget;

namespace kvs {

class DialogHost;
class EventListSession;

// The event list's window: one beat's events as rows and the button column.
// Every decision is the model's.
class EventListDialog final : public DialogBase, private EventListFace {
    Q_OBJECT

  public:
    // The SysEx editor on the event at (beat, index); true when it changed it.
    using SysexEditor = std::function<bool(Track&, std::uint32_t, std::uint32_t)>;

    EventListDialog(QWidget* parent, DialogHost& dialogs, EventListSession& list,
                    SysexEditor editSysex);
    ~EventListDialog() override;

    // Opens the model at the session's beat; false without a current track.
    bool Open();

    QTreeWidget* List() const { return list_; }
    QPushButton* Button(EventListCommand command) const;
    QMenu* ContextMenuForTest() const { return menu_; }

  public slots:
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // EventListFace
    bool RunValueDialog(ValueDialog& dialog) override;
    std::optional<std::uint32_t> ChooseFromList(PromptText title, PromptText label,
                                                const std::vector<std::string>& items,
                                                std::uint32_t initial) override;
    bool EditSysex(Track& track, std::uint32_t beat, std::uint32_t index) override;
    void RowsChanged() override;
    void Close() override;

    void Post(EventListCommand command);
    void SyncSelection();
    void ShowMenu(const QPoint& listPos);
    bool ListKey(QKeyEvent& event);

    DialogHost& dialogs_;
    EventListSession& session_;
    SysexEditor editSysex_;
    QTreeWidget* list_;
    QMenu* menu_;
    std::vector<std::pair<EventListCommand, QPushButton*>> buttons_;
    bool syncing_ = false;
};

}  // namespace kvs

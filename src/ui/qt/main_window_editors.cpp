#include "ui/ctrl_editor_session.h"
#include "ui/event_list_session.h"
#include "ui/qt/ctrl_editor_dialog.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/event_list_dialog.h"
#include "ui/qt/main_window.h"

namespace kvs {

bool MainWindow::RunCtrlEditor(CtrlEditorSession& editor) {
    Application::ModalGuard guard(*app_);
    CtrlEditorDialog dialog(this, *dialogs_, editor);
    if (!dialog.Open()) return false;
    dialogs_->Exec(dialog);
    return true;
}

bool MainWindow::RunEventList(EventListSession& list) {
    Application::ModalGuard guard(*app_);
    EventListDialog dialog(this, *dialogs_, list,
                           [this](Track& track, std::uint32_t beat, std::uint32_t index) {
                               return EditSysexEvent(track, beat, index);
                           });
    if (!dialog.Open()) return false;
    dialogs_->Exec(dialog);
    return true;
}

}  // namespace kvs

#include "ui/qt/dialog_host.h"
#include "ui/qt/key_commands_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/metronome_dialog.h"
#include "ui/qt/midi_assign_dialog.h"
#include "ui/qt/ports_dialog.h"

namespace kvs {

bool MainWindow::RunMetronome(MetronomeForm& form) {
    MetronomeDialog dialog(this, app_->Prompts(), &dialogs_->Help(), form);
    return dialogs_->Exec(dialog);
}

bool MainWindow::RunKeyCommands(KeyCommandsForm& form) {
    KeyCommandsDialog dialog(this, app_->Prompts(), &dialogs_->Help(), form);
    return dialogs_->Exec(dialog);
}

bool MainWindow::RunMidiAssignments(MidiAssignForm& form) {
    MidiAssignDialog dialog(this, app_->Prompts(), &dialogs_->Help(), form);
    return dialogs_->Exec(dialog);
}

bool MainWindow::RunPorts(PortsForm& form) {
    PortsDialog dialog(this, app_->Prompts(), &dialogs_->Help(), form);
    return dialogs_->Exec(dialog);
}

void MainWindow::OnMidiIn(std::uint32_t message) {
    dialogs_->OnMidiIn(message);
}

}  // namespace kvs

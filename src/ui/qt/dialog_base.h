#pragma once

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "config/prompt_table.h"
#include "model/form_prompts.h"

class QDialogButtonBox;
class QLabel;

namespace kvs {

class HelpTexts;

QString ToQString(std::string_view text);
// A menu or label text without its mnemonic markers ("&Next" -> "Next",
// "&&" -> "&"), as a screen reader should say it.
QString WithoutMnemonic(const QString& text);
// The caption every message box and dialog of the program may fall back to.
inline constexpr char kProgramCaption[] = "Kavelsong";

// What every dialog of the program shares: texts from the prompt table,
// accessible names, context help on Shift+F1 and a Help button, and a slot
// for MIDI input that dialogs with note fields override.
class DialogBase : public QDialog {
    Q_OBJECT

  public:
    DialogBase(QWidget* parent, const PromptTable& prompts, const HelpTexts* help);

    // A note message from MIDI input while this dialog is open.
    virtual void MidiIn(std::uint32_t /*message*/) {}

  protected:
    QString Prompt(prompt::Id id) const { return ToQString(prompts_.Text(id)); }
    QString Prompt(const PromptText& text) const;
    // A label whose mnemonic focuses buddy; the buddy takes the label's text
    // as its accessible name.
    QLabel* BuddyLabel(const QString& text, QWidget* buddy);
    // The control's What's This text from its help number, when there is one.
    void SetHelp(QWidget* control, std::uint32_t helpId);
    // A button of an editor's command column: named by its label, with its
    // help, and never the default, so Return stays with the editor's view.
    QPushButton* CommandButton(prompt::Id text, std::uint32_t helpId);
    // An editor's command column, Close first (with closeHelp; the others
    // are helped by their command's number). A click posts its command.
    template <typename Command, std::size_t N, typename Post>
    QVBoxLayout* CommandColumn(const std::array<std::pair<Command, prompt::Id>, N>& entries,
                               std::uint32_t closeHelp, Post post,
                               std::vector<std::pair<Command, QPushButton*>>& buttons) {
        auto* column = new QVBoxLayout;
        column->setSpacing(10);
        for (std::size_t i = 0; i < N; ++i) {
            const Command command = entries[i].first;
            QPushButton* button = CommandButton(
                entries[i].second, i == 0 ? closeHelp : static_cast<std::uint32_t>(command));
            connect(button, &QPushButton::clicked, this, [post, command] { post(command); });
            column->addWidget(button);
            buttons.emplace_back(command, button);
        }
        column->addStretch(1);
        return column;
    }
    // OK (default), Cancel when asked for, and Help, which enters What's This
    // mode. OK runs Accept(), Cancel rejects.
    QDialogButtonBox* Buttons(bool withCancel = true);
    // Called by OK; the default accepts.
    virtual void Accept() { accept(); }
    // "Invalid value" in a warning box owned by this dialog.
    void ShowInvalidValue();

    const PromptTable& prompts_;

  private:
    void ShowFocusHelp();

    const HelpTexts* help_;
};

}  // namespace kvs

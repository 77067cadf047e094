#pragma once

#include <string>

#include "config/prompt_table.h"
#include "ui/ui_host.h"

class QWidget;

namespace kvs {

using MessageAnswer = UiHost::Answer;

// The program's message boxes, captioned "Kavelsong", buttons from prompts.
// An error: exclamation (warning) icon, OK.
void ShowErrorBox(QWidget* parent, const PromptTable& prompts, const std::string& text);
// A note: information icon, OK.
void ShowInfoBox(QWidget* parent, const PromptTable& prompts, const std::string& text);
// The save question: question icon, Yes, No and Cancel (also Escape).
MessageAnswer AskYesNoCancelBox(QWidget* parent, const PromptTable& prompts,
                                const std::string& text);
// A question with Yes and No; true for Yes.
bool AskYesNoBox(QWidget* parent, const PromptTable& prompts, const std::string& text);

}  // namespace kvs

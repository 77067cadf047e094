#pragma once

#include <string>

#include "config/prompt_table.h"
#include "files/file_result.h"

namespace kvs {

// The text a user is shown for a result: the program's own error prompt, so
// that kvs.lng translates it, or the system's message for a system error.
std::string ErrorText(const PromptTable& prompts, ResultCode code);

}  // namespace kvs

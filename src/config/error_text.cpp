#include "config/error_text.h"

namespace kvs {

std::string ErrorText(const PromptTable& prompts, ResultCode code) {
    if (IsProgramError(code)) {
        if (const std::optional<prompt::Id> id = ErrorPrompt(code & 0x00FFFFFFu))
            return std::string(prompts.Text(*id));
    }
    return ResultMessage(code);
}

}  // namespace kvs

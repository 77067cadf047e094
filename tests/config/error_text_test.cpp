#include "config/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace kvs {
namespace {

TEST(ErrorText, ProgramErrorsFollowTheLanguageFileAndSystemErrorsTheSystem) {
    PromptTable prompts;
    EXPECT_EQ(ErrorText(prompts, kErrInvalidFile), "Invalid file");
    ASSERT_TRUE(prompts.SetText(prompt::error_invalidfile, "Ungueltige Datei"));
    EXPECT_EQ(ErrorText(prompts, kErrInvalidFile), "Ungueltige Datei");
    EXPECT_EQ(ErrorText(prompts, SystemError(ENOENT)), "No such file or directory");
    EXPECT_EQ(ErrorText(prompts, ProgramError(99)), "Unknown error");
}

}  // namespace
}  // namespace kvs

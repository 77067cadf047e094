#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "config/prompt_table.h"
#include "files/file_result.h"

namespace kvs {

// The section of kvs.lng and newkvs.lng that holds the prompts.
inline constexpr char kPromptSection[] = "Prompts";
// What newkvs.lng starts with, and the mark before each missing prompt.
inline constexpr char kNewLanguageHeader[] =
    "; Prompt file for KVS - Kavelsong\r\n\r\n[Prompts]\r\n";
inline constexpr char kMissingPromptMark[] = "###";

// A message for the user interface to show (title "Kavelsong").
struct PromptMessage {
    enum class Icon { Information, Exclamation };
    std::string text;
    Icon icon = Icon::Information;
};

struct LoadPromptsResult {
    bool created = false;                  // the file was missing and has been written
    ResultCode error = kResultOk;          // reading or creating the file failed
    std::size_t taken = 0;                 // prompts whose text now comes from the pool
    std::optional<PromptMessage> message;  // the "too large" message, when the pool overflowed
};

// Fills the table from the language file at path, creating the file with
// the built-in texts first when it is missing. A key missing from the file
// keeps the built-in text; a present key is taken whatever its value. When
// the pool overflows, that prompt and all after it keep their built-in
// texts and the result carries the message to show. A file that cannot be
// read leaves every prompt built-in.
LoadPromptsResult LoadPrompts(PromptTable& table, const std::string& path);

struct TestPromptsResult {
    bool allPresent = false;
    std::size_t missing = 0;       // prompts the language file lacks (0 when all present)
    ResultCode error = kResultOk;  // writing newkvs.lng failed
    PromptMessage message;
};

// Checks the language file at path for missing prompts. When one is
// missing, writes newPath anew: the header, then every prompt with its
// current text, a missing one marked by "###" before its text.
TestPromptsResult TestPromptFile(const PromptTable& table, const std::string& path,
                                 const std::string& newPath);

}  // namespace kvs

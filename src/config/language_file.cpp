#include "config/language_file.h"

#include <span>

#include "config/profile_store.h"
#include "files/byte_writer.h"

namespace kvs {

namespace {

PromptMessage Message(const PromptTable& table, prompt::Id id, PromptMessage::Icon icon) {
    return PromptMessage{std::string(table.Text(id)), icon};
}

// Writes every built-in text into a store that holds no file yet.
ResultCode CreateLanguageFile(ProfileStore& store) {
    for (const PromptEntry& entry : kBuiltinPrompts) {
        store.WriteString(kPromptSection, entry.key, entry.text);
    }
    return store.Flush();
}

ResultCode WriteHeader(const std::string& path) {
    const std::span header(reinterpret_cast<const std::uint8_t*>(kNewLanguageHeader),
                           sizeof(kNewLanguageHeader) - 1);
    return WriteFileAtomically(path, header);
}

}  // namespace

LoadPromptsResult LoadPrompts(PromptTable& table, const std::string& path) {
    LoadPromptsResult result;
    table.Reset();
    ProfileStore store(path);
    result.error = store.Load();
    if (result.error != kResultOk) return result;
    if (!store.Exists()) {
        result.error = CreateLanguageFile(store);
        // Without a file the built-in texts stand; the store still holds
        // them, so reading on gives the same table either way.
        result.created = result.error == kResultOk;
    }
    for (std::size_t i = 0; i < kPromptCount; ++i) {
        const std::string text =
            store.GetString(kPromptSection, table.Key(i), table.Text(i), kPromptMaxText);
        if (!table.SetText(i, text)) {
            // This prompt and all after it keep their built-in texts.
            result.message = PromptMessage{
                store.GetString(kPromptSection, table.Key(prompt::error_promptstoobig),
                                kBuiltinPrompts[prompt::error_promptstoobig].text, kPromptMaxText),
                PromptMessage::Icon::Exclamation};
            break;
        }
        ++result.taken;
    }
    return result;
}

TestPromptsResult TestPromptFile(const PromptTable& table, const std::string& path,
                                 const std::string& newPath) {
    TestPromptsResult result;
    // An unreadable language file counts as one without prompts.
    ProfileStore store(path);
    store.Load();
    std::array<bool, kPromptCount> present{};
    for (std::size_t i = 0; i < kPromptCount; ++i) {
        present[i] = store.GetString(kPromptSection, table.Key(i), kMissingPromptMark,
                                     kPromptMaxText) != kMissingPromptMark;
        if (!present[i]) ++result.missing;
    }
    if (result.missing == 0) {
        result.allPresent = true;
        result.message = Message(table, prompt::prompt_ok, PromptMessage::Icon::Information);
        return result;
    }

    result.error = WriteHeader(newPath);
    if (result.error == kResultOk) {
        ProfileStore out(newPath);
        result.error = out.Load();
        if (result.error == kResultOk) {
            for (std::size_t i = 0; i < kPromptCount; ++i) {
                std::string value = present[i] ? std::string() : std::string(kMissingPromptMark);
                value += table.Text(i);
                out.WriteString(kPromptSection, table.Key(i), value);
            }
            result.error = out.Flush();
        }
    }
    result.message =
        result.error == kResultOk
            ? Message(table, prompt::prompt_update, PromptMessage::Icon::Information)
            : Message(table, prompt::error_updateprompt, PromptMessage::Icon::Exclamation);
    return result;
}

}  // namespace kvs

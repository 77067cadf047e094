#include "config/prompt_table.h"

#include <algorithm>
#include <cstring>

namespace kvs {

namespace {

// Table indexes sorted by key, built once for key lookups.
const std::array<std::uint16_t, kPromptCount>& IndexByKey() {
    static const std::array<std::uint16_t, kPromptCount> order = [] {
        std::array<std::uint16_t, kPromptCount> o{};
        for (std::size_t i = 0; i < kPromptCount; ++i)
            o[i] = static_cast<std::uint16_t>(i);
        std::sort(o.begin(), o.end(), [](std::uint16_t a, std::uint16_t b) {
            return kBuiltinPrompts[a].key < kBuiltinPrompts[b].key;
        });
        return o;
    }();
    return order;
}

}  // namespace

std::optional<prompt::Id> ErrorPrompt(std::uint32_t errorNumber) {
    static constexpr prompt::Id kErrors[] = {
        prompt::error_cantload, prompt::error_invalidfile, prompt::error_openallmidi,
        prompt::error_cmdline,  prompt::error_badvalue,    prompt::error_enablemidi,
        prompt::error_notfound, prompt::error_badsysex,    prompt::error_nosettings,
        prompt::error_cantcmd,
    };
    if (errorNumber < 1 || errorNumber > std::size(kErrors)) return std::nullopt;
    return kErrors[errorNumber - 1];
}

PromptTable::PromptTable() : pool_(std::make_unique<char[]>(kPromptPoolSize)) {
    Reset();
}

std::string_view PromptTable::Text(std::size_t index) const {
    return index < kPromptCount ? current_[index] : std::string_view();
}

std::string_view PromptTable::Key(std::size_t index) const {
    return index < kPromptCount ? kBuiltinPrompts[index].key : std::string_view();
}

std::optional<std::size_t> PromptTable::IndexOf(std::string_view key) {
    const auto& order = IndexByKey();
    auto it = std::lower_bound(
        order.begin(), order.end(), key,
        [](std::uint16_t i, std::string_view k) { return kBuiltinPrompts[i].key < k; });
    if (it == order.end() || kBuiltinPrompts[*it].key != key) return std::nullopt;
    return *it;
}

std::string_view PromptTable::TextOf(std::string_view key) const {
    auto index = IndexOf(key);
    return index ? current_[*index] : std::string_view();
}

bool PromptTable::SetText(std::size_t index, std::string_view text) {
    if (index >= kPromptCount) return false;
    // The pool is full once used bytes plus the text and its terminator reach its size.
    if (text.size() >= kPromptPoolSize || used_ + text.size() + 1 >= kPromptPoolSize) return false;
    char* dest = pool_.get() + used_;
    if (!text.empty()) std::memcpy(dest, text.data(), text.size());
    dest[text.size()] = '\0';
    used_ += text.size() + 1;
    current_[index] = std::string_view(dest, text.size());
    return true;
}

void PromptTable::Reset() {
    for (std::size_t i = 0; i < kPromptCount; ++i)
        current_[i] = kBuiltinPrompts[i].text;
    used_ = 0;
}

}  // namespace kvs

#include "config/property_form_sources.h"

namespace kvs {

std::optional<std::vector<InstrumentChoice>> InstrumentListSource::Choices(
    std::uint32_t port, std::uint16_t channel) const {
    if (lists_.AssignedList(port) == nullptr) return std::nullopt;
    std::vector<InstrumentChoice> out;
    for (const InstrumentEntry* entry : lists_.Choices(port, channel))
        out.push_back(InstrumentChoice{entry->name, entry->program, entry->bank});
    return out;
}

std::string_view PromptTableSource::Text(const PromptText& prompt) const {
    const std::optional<std::size_t> index = PromptTable::IndexOf(prompt.key);
    return index ? table_.Text(*index) : prompt.text;
}

}  // namespace kvs

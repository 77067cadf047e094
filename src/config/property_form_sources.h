#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "config/instrument_list.h"
#include "config/prompt_table.h"
#include "model/form_prompts.h"
#include "model/property_fields.h"

namespace kvs {

// The instrument lists as the track property dialogs see them.
class InstrumentListSource final : public InstrumentSource {
  public:
    explicit InstrumentListSource(const InstrumentLists& lists) : lists_(lists) {}
    std::optional<std::vector<InstrumentChoice>> Choices(std::uint32_t port,
                                                         std::uint16_t channel) const override;

  private:
    const InstrumentLists& lists_;
};

// Form texts from the prompt table, so that a language file reaches them.
class PromptTableSource final : public PromptSource {
  public:
    explicit PromptTableSource(const PromptTable& table) : table_(table) {}
    // The built-in text when the table has no such key.
    std::string_view Text(const PromptText& prompt) const override;

  private:
    const PromptTable& table_;
};

}  // namespace kvs

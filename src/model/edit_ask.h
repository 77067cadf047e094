#pragma once

#include <cstdint>
#include <optional>

namespace kvs {

// A search for FindNext: the packed search value and the direction.
struct FindRequest {
    std::uint32_t value = 0;      // kind in bits 4-7, data 1 in bits 8-15 (0xFF: any)
    std::uint32_t direction = 0;  // 1 backward, 0 forward
};

// The questions edit commands put to the user. Texts are given as prompt
// keys; the user interface looks them up. Every question may be cancelled.
class EditAsk {
  public:
    virtual ~EditAsk() = default;

    // The one-value dialog: a whole number from min to max.
    virtual std::optional<std::int32_t> AskNumber(const char* titleKey, const char* labelKey,
                                                  std::int32_t min, std::int32_t max,
                                                  std::int32_t initial) = 0;
    // The list dialog of output ports.
    virtual std::optional<std::uint32_t> AskPort(const char* titleKey, const char* labelKey,
                                                 std::uint32_t initial) = 0;
    // The Find dialog, starting from the current search.
    virtual std::optional<FindRequest> AskFind(const FindRequest& current) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Confirm(const char* promptKey) = 0;
    // An error box.
    virtual void ShowError(const char* promptKey) = 0;
};

// Answers nothing: every question is cancelled, every confirmation refused.
class NoAsk : public EditAsk {
  public:
    std::optional<std::int32_t> AskNumber(const char*, const char*, std::int32_t, std::int32_t,
                                          std::int32_t) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> AskPort(const char*, const char*, std::uint32_t) override {
        return std::nullopt;
    }
    std::optional<FindRequest> AskFind(const FindRequest&) override { return std::nullopt; }
    bool Confirm(const char*) override { return false; }
    void ShowError(const char*) override {}
};

}  // namespace kvs

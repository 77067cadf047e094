#include "model/find_form.h"

#include "model/form_number.h"
#include "model/value_format.h"

namespace kvs {
namespace {

constexpr std::uint32_t kFirstSearch = 0x9 << 4 | 60 << 8;  // a note on of middle C

}  // namespace

FindForm::FindForm(const FindRequest& current) : backward_(current.direction == kFindBackward) {
    const std::uint32_t value = current.value == 0 ? kFirstSearch : current.value;
    const std::uint32_t nibble = (value >> 4) & 0xF;
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        if (kKinds[i].nibble == nibble) kind_ = i;
    }
    const std::uint32_t data = (value >> 8) & 0xFF;
    if (data != kFindAnyData) number_ = std::to_string(data);
}

void FindForm::SetKind(std::size_t index) {
    if (index < kKinds.size()) kind_ = index;
}

bool FindForm::NumberEnabled() const {
    return kKinds[kind_].nibble == 0x9 || kKinds[kind_].nibble == 0xB;
}

void FindForm::SetNumberText(std::string_view text) {
    number_ = std::string(CutField(text, kNumberChars));
}

void FindForm::MidiIn(std::uint32_t message) {
    if (!numberFocus_ || kKinds[kind_].nibble != 0x9 || (message & 0xF0) != 0x90) return;
    number_ = FormatNoteName(static_cast<int>((message >> 8) & 0x7F));
}

std::optional<FindRequest> FindForm::Ok() const {
    const std::uint32_t nibble = kKinds[kind_].nibble;
    std::int64_t data = kFindAnyData;
    if (nibble == 0x9) {
        const int key = ParseNoteName(number_);
        const std::optional<std::int64_t> n = key >= 0 ? key : ReadSignedField(number_);
        if (!n) return std::nullopt;
        data = *n;
    } else if (nibble == 0xB) {
        const std::optional<std::int64_t> n = ReadUnsignedField(number_);
        if (!n) return std::nullopt;
        data = *n;
    }
    if (NumberEnabled() && (data < 0 || data > 127)) return std::nullopt;
    return FindRequest{nibble << 4 | static_cast<std::uint32_t>(data) << 8,
                       backward_ ? kFindBackward : kFindForward};
}

}  // namespace kvs

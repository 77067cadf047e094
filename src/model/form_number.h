#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kvs {

// A whole number typed into a dialog field: blanks around it allowed, an
// optional sign, digits and nothing else. Magnitudes beyond 32 bits come
// back saturated, so a range check refuses them rather than seeing a
// wrapped value.
std::optional<std::int64_t> ReadSignedField(std::string_view text);
// The same without a minus sign ("-1" is not an unsigned number).
std::optional<std::int64_t> ReadUnsignedField(std::string_view text);

// At most n characters, as an edit box limited to n keeps them.
std::string_view CutField(std::string_view text, std::size_t n);

}  // namespace kvs

#pragma once

#include <optional>
#include <string_view>

namespace kvs {

// The key a prompt's mnemonic stands for, so that the editors' letter keys
// follow the language file: the letter or digit after '&' (or the first
// character when the text has no '&' and firstWithoutAmpersand), upper-cased.
// Nothing for any other character.
std::optional<char> MnemonicKey(std::string_view text, bool firstWithoutAmpersand);

}  // namespace kvs

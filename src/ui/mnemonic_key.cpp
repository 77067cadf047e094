#include "ui/mnemonic_key.h"

namespace kvs {

std::optional<char> MnemonicKey(std::string_view text, bool firstWithoutAmpersand) {
    const std::size_t amp = text.find('&');
    if (amp == std::string_view::npos && !firstWithoutAmpersand) return std::nullopt;
    const std::size_t at = amp == std::string_view::npos ? 0 : amp + 1;
    if (at >= text.size()) return std::nullopt;
    char c = text[at];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    return std::nullopt;
}

}  // namespace kvs

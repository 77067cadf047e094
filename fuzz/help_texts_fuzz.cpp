// Input: the bytes of a popups.txt. Every text kept must be non-empty,
// within the length limit, and found again under its own number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/help_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kvs::HelpTexts texts = kvs::HelpTexts::Parse(text);
    if (texts.Size() > size) std::abort();
    for (std::uint32_t id : {0u, 1u, 100u, 10040u, 4294967295u}) {
        if (texts.Text(id).size() > kvs::HelpTexts::kMaxTextBytes) std::abort();
    }
    return 0;
}

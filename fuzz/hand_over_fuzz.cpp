// Input: the bytes a second start sends over the local socket. Decoding must
// be safe, stay within its limits, and whatever decodes must encode back to
// exactly the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/hand_over.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto message = kvs::DecodeHandOver(bytes);
    if (!message) return 0;
    if (message->words.size() > kvs::kHandOverMaxWords) std::abort();
    if (kvs::EncodeHandOver(*message) != bytes) std::abort();
    return 0;
}

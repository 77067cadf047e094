// Input: clipboard text pasted into the SysEx editor, after a few keys taken
// from the first byte. The contents never pass the capacity, the caret stays
// within them, and text the paste refuses changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "ui/syx_view.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    kvs::SyxView view;
    view.SetMetrics(8, 16);
    view.Resize(400, 200);
    const std::vector<std::uint8_t> start{0xF0, 0x43, 0x10, 0xF7};
    if (!view.SetContents(start)) std::abort();
    for (int i = 0; i < (data[0] & 7); ++i)
        view.KeyDown(kvs::SyxKey::Right, (data[0] & 8) != 0);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<std::uint8_t> before(view.Contents().begin(), view.Contents().end());
    view.PasteText(text);
    if (view.Length() > kvs::SyxView::kCapacity || view.Caret() > view.Length() ||
        view.Nibble() > 1)
        std::abort();
    for (char c : text) {
        const bool usable = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
                            (c >= 'A' && c <= 'F') || c == ' ' || c == '\r' || c == '\n';
        if (!usable &&
            std::vector<std::uint8_t>(view.Contents().begin(), view.Contents().end()) != before)
            std::abort();
    }
    (void)view.CopyText();
    return 0;
}

#include "ui/syx_view.h"

#include <algorithm>
#include <cstdio>

namespace kvs {
namespace {

std::optional<std::uint8_t> HexValue(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<std::uint8_t>(c - U'0');
    if (c >= U'A' && c <= U'F') return static_cast<std::uint8_t>(c - U'A' + 10);
    if (c >= U'a' && c <= U'f') return static_cast<std::uint8_t>(c - U'a' + 10);
    return std::nullopt;
}

}  // namespace

SyxView::SyxView() {
    // The whole buffer up front, so that editing never has to grow it.
    bytes_.reserve(kCapacity);
}

bool SyxView::SetContents(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kCapacity) return false;
    bytes_.assign(bytes.begin(), bytes.end());
    caret_ = 0;
    nibble_ = 0;
    firstRow_ = 0;
    firstCol_ = 0;
    return true;
}

void SyxView::Beep() const {
    if (host_ != nullptr) host_->Beep();
}

bool SyxView::Editable() const {
    if (readOnly_) Beep();
    return !readOnly_;
}

void SyxView::Insert(std::uint32_t at, std::uint32_t count) {
    bytes_.insert(bytes_.begin() + at, count, std::uint8_t{0});
}

void SyxView::Remove(std::uint32_t at) {
    bytes_.erase(bytes_.begin() + at);
}

void SyxView::Step(int delta, int low, int high) {
    if (caret_ >= Length() || !Editable()) return;
    const int value = bytes_[caret_];
    if (value < low || value > high) return;
    bytes_[caret_] = static_cast<std::uint8_t>(value + delta);
}

void SyxView::Left(bool ctrl) {
    if (caret_ == 0 && nibble_ == 0) return;
    if (ctrl) {
        if (caret_ > 0) --caret_;
        nibble_ = 0;
    } else if (nibble_ == 1) {
        nibble_ = 0;
    } else {
        --caret_;
        nibble_ = 1;
    }
}

void SyxView::Right(bool ctrl) {
    if (caret_ >= Length()) return;
    if (ctrl || nibble_ == 1) {
        ++caret_;
        nibble_ = 0;
    } else {
        nibble_ = 1;
    }
}

void SyxView::KeyDown(SyxKey key, bool ctrl) {
    const std::uint32_t page = visibleRows_ * kBytesPerRow;
    const std::uint32_t rowStart = caret_ - caret_ % kBytesPerRow;
    switch (key) {
        case SyxKey::PageUp:
            caret_ = caret_ > page ? caret_ - page : 0;
            nibble_ = 0;
            break;
        case SyxKey::PageDown:
            caret_ = std::min(caret_ + page, Length());
            nibble_ = 0;
            break;
        case SyxKey::Home:
            caret_ = ctrl ? 0 : rowStart;
            nibble_ = 0;
            break;
        case SyxKey::End:
            caret_ = ctrl ? Length() : std::min(rowStart + kBytesPerRow - 1, Length());
            nibble_ = 0;
            break;
        case SyxKey::Left:
            Left(ctrl);
            break;
        case SyxKey::Right:
            Right(ctrl);
            break;
        case SyxKey::Up:
            if (caret_ >= kBytesPerRow) caret_ -= kBytesPerRow;
            break;
        case SyxKey::Down:
            if (caret_ + kBytesPerRow <= Length()) caret_ += kBytesPerRow;
            if (caret_ == Length()) nibble_ = 0;
            break;
        case SyxKey::Insert:
            if (Length() < kCapacity && Editable()) {
                Insert(caret_, 1);
                nibble_ = 0;
            }
            break;
        case SyxKey::Delete:
            if (caret_ < Length() && Editable()) {
                Remove(caret_);
                nibble_ = 0;
            }
            break;
        case SyxKey::F5:
            Step(-1, 0x01, 0xFF);
            break;
        case SyxKey::F6:
            Step(1, 0x00, 0xFE);
            break;
        case SyxKey::F7:
            Step(-0x10, 0x10, 0xFF);
            break;
        case SyxKey::F8:
            Step(0x10, 0x00, 0xEF);
            break;
    }
    ShowCaret();
}

void SyxView::HexDigit(std::uint8_t value) {
    if (caret_ == Length()) {
        if (Length() >= kCapacity) return;
        Insert(caret_, 1);
        nibble_ = 0;
    }
    std::uint8_t& byte = bytes_[caret_];
    byte = nibble_ == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | (value << 4))
                        : static_cast<std::uint8_t>((byte & 0xF0) | value);
    Right(false);
}

void SyxView::Char(char32_t c) {
    if (c == kCtrlC) {
        Copy();
    } else if (c == kCtrlV) {
        Paste();
    } else if (c == kBackspace) {
        // Also on byte 0's low digit, which removes that byte as every other
        // low digit removes its own.
        if ((caret_ > 0 || nibble_ == 1) && Editable()) {
            Left(false);
            if (caret_ < Length()) Remove(caret_);
            nibble_ = 0;
        }
    } else if (const std::optional<std::uint8_t> value = HexValue(c)) {
        if (Editable()) HexDigit(*value);
    }
    ShowCaret();
}

void SyxView::Click(int x, int y) {
    if (charWidth_ <= 0 || lineHeight_ <= 0) return;
    const std::uint32_t column =
        firstCol_ + static_cast<std::uint32_t>(std::max(0, (x - kMargin) / charWidth_));
    const std::uint32_t row =
        firstRow_ + static_cast<std::uint32_t>(std::max(0, (y - kMargin) / lineHeight_));
    if (column < kAddressColumns) return;
    const std::uint32_t cell =
        std::min((column - kAddressColumns) / kCellColumns, kBytesPerRow - 1);
    const std::uint64_t index = std::uint64_t{row} * kBytesPerRow + cell;
    caret_ = index < Length() ? static_cast<std::uint32_t>(index) : Length();
    nibble_ = 0;
    ShowCaret();
}

std::optional<std::string> SyxView::CopyText() const {
    if (bytes_.empty()) return std::nullopt;
    std::string text;
    text.reserve(bytes_.size() * 3);
    char cell[8];
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        std::snprintf(cell, sizeof cell, i == 0 ? "%02x" : " %02x", bytes_[i]);
        text += cell;
    }
    return text;
}

void SyxView::Copy() {
    const std::optional<std::string> text = CopyText();
    if (!text || host_ == nullptr || !host_->SetClipboardText(*text)) Beep();
}

void SyxView::Paste() {
    const std::optional<std::string> text =
        host_ != nullptr ? host_->ClipboardText() : std::nullopt;
    if (!text) {
        Beep();
        return;
    }
    PasteText(*text);
}

void SyxView::PasteText(std::string_view text) {
    if (!Editable()) return;
    std::uint32_t digits = 0;
    for (const char c : text) {
        if (HexValue(static_cast<unsigned char>(c))) {
            ++digits;
        } else if (c != ' ' && c != '\r' && c != '\n') {
            Beep();
            return;
        }
    }
    const std::uint32_t count = (digits + 1) / 2;
    if (count == 0 || Length() + count >= kCapacity) return;
    Insert(caret_, count);
    nibble_ = 0;
    for (const char c : text)
        if (const auto value = HexValue(static_cast<unsigned char>(c))) HexDigit(*value);
    ShowCaret();
}

void SyxView::SetMetrics(int charWidth, int lineHeight) {
    charWidth_ = std::max(1, charWidth);
    lineHeight_ = std::max(1, lineHeight);
}

void SyxView::Resize(int width, int height) {
    // At least one of each, so that paging and caret following still move.
    visibleCols_ = static_cast<std::uint32_t>(std::max(1, (width - 2 * kMargin) / charWidth_));
    visibleRows_ = static_cast<std::uint32_t>(std::max(1, (height - 2 * kMargin) / lineHeight_));
    ClampScroll();
}

SyxScroll SyxView::VerticalScroll() const {
    // Rows 0 ... length / 16: the row after a full last row holds the caret
    // at the end.
    const std::uint32_t rows = Length() / kBytesPerRow + 1;
    return {rows > visibleRows_ ? rows - visibleRows_ : 0, visibleRows_, firstRow_};
}

SyxScroll SyxView::HorizontalScroll() const {
    return {kRowColumns > visibleCols_ ? kRowColumns - visibleCols_ : 0, visibleCols_, firstCol_};
}

void SyxView::ScrollTo(std::uint32_t row, std::uint32_t column) {
    firstRow_ = row;
    firstCol_ = column;
    ClampScroll();
}

void SyxView::ClampScroll() {
    firstRow_ = std::min(firstRow_, VerticalScroll().max);
    firstCol_ = std::min(firstCol_, HorizontalScroll().max);
}

std::uint32_t SyxView::CaretColumn() const {
    return (caret_ % kBytesPerRow) * kCellColumns + kAddressColumns + nibble_;
}

void SyxView::ShowCaret() {
    const std::uint32_t row = caret_ / kBytesPerRow;
    if (row < firstRow_) firstRow_ = row;
    if (row >= firstRow_ + visibleRows_) firstRow_ = row - visibleRows_ + 1;
    const std::uint32_t column = CaretColumn();
    const std::uint32_t half = std::max(1u, visibleCols_ / 2);
    while (column < firstCol_)
        firstCol_ = firstCol_ > half ? firstCol_ - half : 0;
    while (column >= firstCol_ + visibleCols_)
        firstCol_ += half;
    ClampScroll();
}

std::uint32_t SyxView::RowCount() const {
    return (Length() + kBytesPerRow - 1) / kBytesPerRow;
}

std::uint32_t SyxView::EndVisibleRow() const {
    // One more for a partly visible last line.
    return std::min(RowCount(), firstRow_ + visibleRows_ + 1);
}

std::string SyxView::RowText(std::uint32_t row) const {
    std::string text;
    const std::uint32_t start = row * kBytesPerRow;
    if (start >= Length()) return text;
    const std::uint32_t end = std::min(start + kBytesPerRow, Length());
    char cell[16];
    std::snprintf(cell, sizeof cell, "%04X  ", start);
    text += cell;
    for (std::uint32_t i = start; i < end; ++i) {
        std::snprintf(cell, sizeof cell, "%02X ", bytes_[i]);
        text += cell;
    }
    return text;
}

int SyxView::RowX() const {
    return kMargin - static_cast<int>(firstCol_) * charWidth_;
}

int SyxView::RowY(std::uint32_t row) const {
    return kMargin + (static_cast<int>(row) - static_cast<int>(firstRow_)) * lineHeight_;
}

SyxRect SyxView::CaretRect() const {
    const int column = static_cast<int>(CaretColumn()) - static_cast<int>(firstCol_);
    return {kMargin + column * charWidth_, RowY(caret_ / kBytesPerRow), 2, lineHeight_};
}

}  // namespace kvs

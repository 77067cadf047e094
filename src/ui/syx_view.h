#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {

// What the hex view needs from its window: the clipboard and the beep.
class SyxViewHost {
  public:
    virtual ~SyxViewHost() = default;
    virtual void Beep() = 0;
    // False when the clipboard could not be filled.
    virtual bool SetClipboardText(const std::string& text) = 0;
    // Nothing when the clipboard holds no text.
    virtual std::optional<std::string> ClipboardText() = 0;
};

enum class SyxKey : std::uint8_t {
    PageUp,
    PageDown,
    Home,
    End,
    Left,
    Right,
    Up,
    Down,
    Insert,
    Delete,
    F5,
    F6,
    F7,
    F8,
};

// A pixel rectangle in the view's own coordinates (inside its frame).
struct SyxRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const SyxRect&, const SyxRect&) = default;
};

// A scroll bar: positions 0 ... max, page the visible part.
struct SyxScroll {
    std::uint32_t max = 0;
    std::uint32_t page = 0;
    std::uint32_t pos = 0;
    friend bool operator==(const SyxScroll&, const SyxScroll&) = default;
};

// The hex editor without its widget: the bytes, the caret on one hex digit,
// the keys and characters that edit them, the clipboard text, and where every
// row, byte and the caret are drawn. Rows show "%04X  " (the offset) and then
// sixteen "%02X " cells, so a row is 54 character columns wide.
class SyxView {
  public:
    static constexpr std::uint32_t kCapacity = 32768;
    static constexpr std::uint32_t kBytesPerRow = 16;
    static constexpr std::uint32_t kAddressColumns = 6;
    static constexpr std::uint32_t kCellColumns = 3;
    static constexpr std::uint32_t kRowColumns = kBytesPerRow * kCellColumns + kAddressColumns;
    static constexpr int kMargin = 3;  // pixels between the frame and the text
    // The characters the view acts on besides hex digits.
    static constexpr char32_t kCtrlC = 0x03;
    static constexpr char32_t kCtrlV = 0x16;
    static constexpr char32_t kBackspace = 0x08;

    SyxView();

    // host may be null (no clipboard, no beep); it must outlive its use.
    void SetHost(SyxViewHost* host) { host_ = host; }

    // False, with the contents unchanged, when bytes exceed the capacity.
    // The caret and the scroll positions go back to 0.
    bool SetContents(std::span<const std::uint8_t> bytes);
    std::span<const std::uint8_t> Contents() const { return bytes_; }
    std::uint32_t Length() const { return static_cast<std::uint32_t>(bytes_.size()); }
    std::uint32_t Caret() const { return caret_; }
    std::uint32_t Nibble() const { return nibble_; }
    // Read-only: the keys move the caret and copy, nothing edits.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ReadOnly() const { return readOnly_; }

    // Input. Each leaves the caret visible.
    void KeyDown(SyxKey key, bool ctrl);
    void Char(char32_t c);
    // A left or right click at (x, y) in the view's coordinates; nothing on
    // the address column.
    void Click(int x, int y);
    void Copy();
    void Paste();
    // The rules of Paste on a given text.
    void PasteText(std::string_view text);
    // The clipboard text of the contents ("f0 01 f7"); nothing when empty.
    std::optional<std::string> CopyText() const;

    // Geometry. Character cell size in pixels, and the size of the area
    // inside the frame.
    void SetMetrics(int charWidth, int lineHeight);
    void Resize(int width, int height);
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }
    std::uint32_t VisibleRows() const { return visibleRows_; }
    std::uint32_t VisibleColumns() const { return visibleCols_; }

    // Scrolling; positions beyond the ranges are cut to them.
    SyxScroll VerticalScroll() const;
    SyxScroll HorizontalScroll() const;
    std::uint32_t FirstRow() const { return firstRow_; }
    std::uint32_t FirstColumn() const { return firstCol_; }
    void ScrollTo(std::uint32_t row, std::uint32_t column);

    // Painting. Rows holding bytes; the visible ones are first ... last - 1.
    std::uint32_t RowCount() const;
    std::uint32_t FirstVisibleRow() const { return firstRow_; }
    std::uint32_t EndVisibleRow() const;
    // The row's text: address and its bytes.
    std::string RowText(std::uint32_t row) const;
    // Where the row's text starts, in pixels (may be left of the area when
    // scrolled sideways).
    int RowX() const;
    int RowY(std::uint32_t row) const;
    // The 2-pixel caret before the digit being edited.
    SyxRect CaretRect() const;

  private:
    void Beep() const;
    bool Editable() const;
    void Insert(std::uint32_t at, std::uint32_t count);
    void Remove(std::uint32_t at);
    void Step(int delta, int low, int high);
    void Left(bool ctrl);
    void Right(bool ctrl);
    void HexDigit(std::uint8_t value);
    void ShowCaret();
    void ClampScroll();
    std::uint32_t CaretColumn() const;

    std::vector<std::uint8_t> bytes_;
    std::uint32_t caret_ = 0;
    std::uint32_t nibble_ = 0;
    std::uint32_t firstRow_ = 0;
    std::uint32_t firstCol_ = 0;
    std::uint32_t visibleRows_ = 1;
    std::uint32_t visibleCols_ = kRowColumns;
    int charWidth_ = 8;
    int lineHeight_ = 16;
    bool readOnly_ = false;
    SyxViewHost* host_ = nullptr;
};

}  // namespace kvs

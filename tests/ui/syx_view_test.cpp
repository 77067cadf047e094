#include "ui/syx_view.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace kvs {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Host : SyxViewHost {
    int beeps = 0;
    std::optional<std::string> clipboard;
    bool clipboardWorks = true;
    void Beep() override { ++beeps; }
    bool SetClipboardText(const std::string& text) override {
        if (clipboardWorks) clipboard = text;
        return clipboardWorks;
    }
    std::optional<std::string> ClipboardText() override { return clipboard; }
};

struct View {
    Host host;
    SyxView view;
    View() {
        view.SetHost(&host);
        view.SetMetrics(8, 16);
        // 54 columns and 4 rows inside the 3-pixel margins.
        view.Resize(54 * 8 + 6, 4 * 16 + 6);
    }
    explicit View(const Bytes& bytes) : View() { EXPECT_TRUE(view.SetContents(bytes)); }
    void Press(std::initializer_list<SyxKey> keys, bool ctrl = false) {
        for (SyxKey key : keys)
            view.KeyDown(key, ctrl);
    }
    void Type(std::string_view text) {
        for (char c : text)
            view.Char(static_cast<unsigned char>(c));
    }
    Bytes Contents() const { return Bytes(view.Contents().begin(), view.Contents().end()); }
};

TEST(SyxView, TwelveTypedDigitsMakeSixBytesWithTheCaretAfterThem) {
    View v;
    v.Type("F07E7F0901f7");
    EXPECT_EQ(v.Contents(), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(v.view.Caret(), 6u);
    EXPECT_EQ(v.view.Nibble(), 0u);
    v.Type("xz-");  // not hex digits: ignored
    EXPECT_EQ(v.view.Length(), 6u);
    // A digit over an existing byte changes the half the nibble names.
    v.view.KeyDown(SyxKey::Home, true);
    v.view.KeyDown(SyxKey::Right, false);
    v.Type("A");
    EXPECT_EQ(v.Contents()[0], 0xFA);
    EXPECT_EQ(v.view.Caret(), 1u);
}

TEST(SyxView, BackspaceRemovesThePreviousByteFromAHighDigitAndItsOwnFromALowDigit) {
    View v(Bytes{0x10, 0x20, 0x30, 0x40});
    v.view.KeyDown(SyxKey::Right, true);
    v.view.KeyDown(SyxKey::Right, true);  // byte 2, high digit
    v.view.Char(SyxView::kBackspace);
    EXPECT_EQ(v.Contents(), (Bytes{0x10, 0x30, 0x40}));
    EXPECT_EQ(v.view.Caret(), 1u);
    v.view.KeyDown(SyxKey::Right, false);  // byte 1 (0x30), low digit
    v.view.Char(SyxView::kBackspace);
    EXPECT_EQ(v.Contents(), (Bytes{0x10, 0x40}));
    EXPECT_EQ(v.view.Caret(), 1u);
    EXPECT_EQ(v.view.Nibble(), 0u);
    // Undoing a first typed digit.
    View w;
    w.Type("F");
    w.view.Char(SyxView::kBackspace);
    EXPECT_EQ(w.view.Length(), 0u);
    w.view.Char(SyxView::kBackspace);  // at the start: nothing
    EXPECT_EQ(w.view.Caret(), 0u);
}

TEST(SyxView, StepKeysStopAtTheirLimits) {
    View v(Bytes{0xFF, 0xF5, 0x00, 0x0F});
    v.Press({SyxKey::F6, SyxKey::Right, SyxKey::F8, SyxKey::Right, SyxKey::F5, SyxKey::Right,
             SyxKey::F7},
            true);
    EXPECT_EQ(v.Contents(), (Bytes{0xFF, 0xF5, 0x00, 0x0F}));
    v.Press({SyxKey::F8, SyxKey::F6});
    EXPECT_EQ(v.Contents()[3], 0x20);
    v.Press({SyxKey::F7, SyxKey::F5});
    EXPECT_EQ(v.Contents()[3], 0x0F);
}

TEST(SyxView, CaretKeysStayWithinTheContents) {
    View v(Bytes(40, 0x11));
    v.Press({SyxKey::Right, SyxKey::Down});
    EXPECT_EQ(v.view.Caret(), 16u);
    EXPECT_EQ(v.view.Nibble(), 1u);  // Down keeps the digit
    v.Press({SyxKey::End, SyxKey::Down});
    EXPECT_EQ(v.view.Caret(), 31u);  // 47 is past the length
    v.Press({SyxKey::Left, SyxKey::Left, SyxKey::Left, SyxKey::Left, SyxKey::Left, SyxKey::Left,
             SyxKey::Up, SyxKey::Down, SyxKey::Down});
    EXPECT_EQ(v.view.Caret(), 28u);  // 44 is past the length too
    v.Press({SyxKey::Home});
    v.Press({SyxKey::Right, SyxKey::Right, SyxKey::Right, SyxKey::Right, SyxKey::Right,
             SyxKey::Right, SyxKey::Right, SyxKey::Right},
            true);
    v.Press({SyxKey::Right, SyxKey::Down});  // from byte 24's low digit
    EXPECT_EQ(v.view.Caret(), 40u);          // reaching the length resets the digit
    EXPECT_EQ(v.view.Nibble(), 0u);
    v.Press({SyxKey::End, SyxKey::Right});
    EXPECT_EQ(v.view.Caret(), 40u);
    v.Press({SyxKey::PageUp, SyxKey::Left, SyxKey::Up});  // a page is 4 rows
    EXPECT_EQ(v.view.Caret(), 0u);
    v.Press({SyxKey::PageDown, SyxKey::Left}, true);
    EXPECT_EQ(v.view.Caret(), 39u);
    v.Press({SyxKey::Delete, SyxKey::Delete});  // the second at the length: nothing
    EXPECT_EQ(v.view.Length(), 39u);
    v.Press({SyxKey::Insert});
    v.Press({SyxKey::End, SyxKey::F6}, true);  // no byte at the length to step
    EXPECT_EQ(v.view.Length(), 40u);
    EXPECT_EQ(v.Contents()[39], 0x00);
}

TEST(SyxView, AFullEditorTakesNoMoreBytes) {
    View v(Bytes(SyxView::kCapacity, 0x01));
    v.view.KeyDown(SyxKey::End, true);
    v.Type("7");
    v.view.KeyDown(SyxKey::Insert, false);
    EXPECT_EQ(v.view.Length(), SyxView::kCapacity);
    EXPECT_FALSE(v.view.SetContents(Bytes(SyxView::kCapacity + 1, 0x02)));
    EXPECT_EQ(v.Contents()[0], 0x01);
}

TEST(SyxView, PasteInsertsTheDigitsOfCleanTextOnly) {
    View v(Bytes{0xAA, 0xBB});
    v.view.KeyDown(SyxKey::Right, true);
    v.host.clipboard = "f0 7e\r\n7F 09 01 f7";
    v.view.Char(SyxView::kCtrlV);
    EXPECT_EQ(v.Contents(), (Bytes{0xAA, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xBB}));
    EXPECT_EQ(v.view.Caret(), 7u);
    EXPECT_EQ(v.host.beeps, 0);

    v.host.clipboard = "f0 7g";
    v.view.Paste();
    EXPECT_EQ(v.host.beeps, 1);
    EXPECT_EQ(v.view.Length(), 8u);
    v.host.clipboard.reset();
    v.view.Paste();
    EXPECT_EQ(v.host.beeps, 2);
    v.host.clipboard = " \r\n";  // no digits: nothing, silently
    v.view.Paste();
    EXPECT_EQ(v.host.beeps, 2);
    EXPECT_EQ(v.view.Length(), 8u);

    View odd;
    odd.view.PasteText("f");
    EXPECT_EQ(odd.Contents(), Bytes{0xF0});
    EXPECT_EQ(odd.view.Caret(), 0u);
    EXPECT_EQ(odd.view.Nibble(), 1u);

    // Pasting must leave the contents below the capacity.
    View nearlyFull(Bytes(SyxView::kCapacity - 2, 0));
    nearlyFull.view.PasteText("0102");
    EXPECT_EQ(nearlyFull.view.Length(), SyxView::kCapacity - 2);
    nearlyFull.view.PasteText("01");
    EXPECT_EQ(nearlyFull.view.Length(), SyxView::kCapacity - 1);
}

TEST(SyxView, CopyPutsLowerCaseHexWithSingleBlanks) {
    View v(Bytes{0xF0, 0x01, 0xF7});
    v.view.Char(SyxView::kCtrlC);
    EXPECT_EQ(v.host.clipboard, "f0 01 f7");
    EXPECT_EQ(v.host.beeps, 0);
    v.host.clipboardWorks = false;
    v.view.Copy();
    EXPECT_EQ(v.host.beeps, 1);

    View empty;
    empty.host.clipboard = "kept";
    empty.view.Copy();
    EXPECT_EQ(empty.host.clipboard, "kept");
    EXPECT_EQ(empty.host.beeps, 1);
}

TEST(SyxView, ClickAfterScrollingPutsTheCaretOnTheByteDrawnThere) {
    View v(Bytes(200, 0x42));
    v.view.ScrollTo(5, 0);
    ASSERT_EQ(v.view.FirstRow(), 5u);
    // Row 2 on screen, byte cell 3 (columns 15-17), on its second digit.
    v.view.Click(3 + 16 * 8 + 4, 3 + 2 * 16 + 5);
    EXPECT_EQ(v.view.Caret(), (5u + 2u) * 16u + 3u);
    EXPECT_EQ(v.view.Nibble(), 0u);
    v.view.Click(3 + 2 * 8, 3);  // the address column
    EXPECT_EQ(v.view.Caret(), 115u);
    v.view.Click(3 + 10 * 8, 3 + 3 * 16);  // row 8, cell 1
    EXPECT_EQ(v.view.Caret(), 8u * 16u + 1u);
    v.view.ScrollTo(9, 0);
    v.view.Click(3 + 30 * 8, 3 + 3 * 16);  // row 12, cell 8: past byte 199
    EXPECT_EQ(v.view.Caret(), 200u);
}

TEST(SyxView, LayoutAndScrollingFollowTheCaret) {
    View v(Bytes{0x00, 0xAB, 0x05});
    EXPECT_EQ(v.view.RowText(0), "0000  00 AB 05 ");
    v.view.KeyDown(SyxKey::Right, true);
    v.view.KeyDown(SyxKey::Right, false);
    // Byte 1's low digit: column 6 + 3 + 1.
    EXPECT_EQ(v.view.CaretRect(), (SyxRect{3 + 10 * 8, 3, 2, 16}));

    View big(Bytes(100, 0));
    EXPECT_EQ(big.view.VerticalScroll(), (SyxScroll{3, 4, 0}));  // rows 0-6, 4 visible
    big.view.ScrollTo(99, 99);
    EXPECT_EQ(big.view.FirstRow(), 3u);
    EXPECT_EQ(big.view.FirstColumn(), 0u);
    big.view.KeyDown(SyxKey::Home, true);
    EXPECT_EQ(big.view.FirstRow(), 0u);
    big.view.KeyDown(SyxKey::End, true);  // caret row 6
    EXPECT_EQ(big.view.FirstRow(), 3u);
    EXPECT_EQ(big.view.RowText(6), "0060  00 00 00 00 ");
    EXPECT_EQ(big.view.RowY(6), 3 + 3 * 16);

    // A narrow view scrolls sideways by half a page.
    big.view.Resize(20 * 8 + 6, 4 * 16 + 6);
    big.view.KeyDown(SyxKey::Home, true);
    EXPECT_EQ(big.view.FirstColumn(), 0u);
    big.view.KeyDown(SyxKey::End, false);  // byte 15: column 51
    EXPECT_EQ(big.view.FirstColumn(), 34u);
    EXPECT_EQ(big.view.HorizontalScroll(), (SyxScroll{34, 20, 34}));
    EXPECT_EQ(big.view.RowX(), 3 - 34 * 8);
    big.view.KeyDown(SyxKey::Home, false);  // column 6
    EXPECT_EQ(big.view.FirstColumn(), 4u);
}

}  // namespace
}  // namespace kvs

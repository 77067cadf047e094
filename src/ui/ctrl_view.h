#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/event.h"
#include "model/track.h"
#include "ui/track_view.h"

namespace kvs {

class Song;

// The control editor's commands; the context menu sends the same ids.
enum class CtrlCommand : std::uint32_t {
    Close = 2,
    Insert = 2452,
    Delete = 2453,
    Edit = 2454,
    Memo = 2455,
    Snap = 2456,
    Start = 2457,
    Chan = 2458,
    Num = 2459,
    Val = 2460,
};

enum class CtrlViewNotify : std::uint8_t {
    Cursor = 2,
    Selection = 3,
    StepUp = 4,       // F6
    StepDown = 5,     // F5
    BigStepUp = 6,    // F8
    BigStepDown = 7,  // F7
};

class CtrlViewListener {
  public:
    virtual ~CtrlViewListener() = default;
    virtual void OnCtrlViewNotify(CtrlViewNotify code) = 0;
    virtual void OnCtrlViewCommand(CtrlCommand command) = 0;
    // Shift+F10 or the menu key: the context menu at the caret.
    virtual void OnCtrlViewContextMenu(std::int32_t x, std::int32_t y) = 0;
    // Sounds one event on a port until EndAudition.
    virtual void Audition(std::uint32_t message, std::uint32_t port) = 0;
    virtual void EndAudition() = 0;
};

class CtrlViewPainter {
  public:
    virtual ~CtrlViewPainter() = default;
    virtual void RepaintAll() = 0;
    virtual void ScrollBarChanged() = 0;
    virtual void CaretMoved() = 0;
};

enum class CtrlViewKey : std::uint8_t {
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    Insert,
    Delete,
    Enter,
    F4,
    F5,
    F6,
    F7,
    F8,
    F10,
    Menu,
};

// Value codes of the kinds of event the control editor shows: 0-127 a
// controller number, then the kinds of BuildValueMessage up to tempo.
inline constexpr std::uint32_t kMaxControlType = 131;

// True when the message is an event of the control type; channels are ignored.
bool MatchesControlType(std::uint32_t message, std::uint32_t type);

// One kind of non-note event of one track on a value-against-time grid.
// Only the beats of the window are scanned.
class CtrlView {
  public:
    static constexpr Tick kMaxTick = 19200000;
    static constexpr std::int32_t kBlockWidth = 6;
    static constexpr std::int32_t kBlockHeight = 7;

    struct Entry {
        std::uint32_t beat, index;
    };
    struct Block {
        CellRect rect;
        bool selected;
    };

    void SetListener(CtrlViewListener* listener) { listener_ = listener; }
    void SetPainter(CtrlViewPainter* painter) { painter_ = painter; }

    // Cursor, window and track go back to the start.
    void SetSong(const Song* song);
    const Song* GetSong() const { return song_; }
    Tick Cursor() const { return cursor_; }
    std::int32_t CursorValue() const { return cursorValue_; }
    std::uint32_t TrackIndex() const { return trackIndex_; }
    // tick -1 is the end of the track; keepValue leaves the cursor value.
    // Always notifies both the cursor and the selection.
    void SetCursor(std::int64_t tick, std::int32_t value, bool keepValue = false);
    void SetTrack(std::int32_t index);  // -1: the last track
    void SetZoom(std::uint32_t beats);  // 0 means 1
    void SetSnap(std::uint32_t ticks);  // 0 means 192
    std::uint32_t Snap() const { return snap_; }
    std::uint32_t BeatsVisible() const { return beatsVisible_; }
    Tick FirstTick() const { return firstTick_; }
    // The selected event's position in the track; not found for none.
    EventPos Selected() const;
    // Rebuilds after the track changed under the view.
    void Refresh(bool audition);
    // False and ignored above kMaxControlType.
    bool SetType(std::uint32_t type);
    std::uint32_t Type() const { return type_; }
    std::int32_t MinValue() const { return minValue_; }
    std::int32_t MaxValue() const { return maxValue_; }

    void SetFontMetrics(std::int32_t charWidth, std::int32_t rowHeight);
    void SetClientSize(std::int32_t width, std::int32_t height);
    void SetFocus(bool focused);
    // The letters of the dialog's buttons; a letter key posts its command.
    void SetMnemonics(std::vector<std::pair<char, CtrlCommand>> map) {
        mnemonics_ = std::move(map);
    }

    bool KeyDown(CtrlViewKey key, bool shift, bool ctrl, bool alt);
    // A key outside CtrlViewKey: a letter or digit of the mnemonic map.
    bool LetterKey(char letter);
    void MouseDown(std::int32_t x, std::int32_t y);
    void ScrollHorizontal(ScrollAction action, std::uint32_t dragPosition = 0);
    ScrollBarState HorizontalBar() const;

    // Painting, in this order: the value labels, beat and guide lines, blocks.
    std::int32_t Margin() const { return margin_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::int32_t XOfTick(Tick tick) const;
    std::int32_t YOfValue(std::int32_t value) const;
    std::string MaxLabel() const { return std::to_string(maxValue_); }
    std::string MinLabel() const { return std::to_string(minValue_); }
    std::int32_t MaxLabelY() const { return 5; }
    std::int32_t MinLabelY() const { return height_ - 5 - rowHeight_; }
    std::int32_t BeatLineX(std::uint32_t j) const;  // j < beatsVisible
    std::int32_t GuideY(std::int32_t i) const;      // i = 0, 1, 2
    // The selected block comes last.
    std::vector<Block> Blocks() const;
    CellRect CaretRect() const;
    bool ShowsCaret() const { return focused_ && song_ != nullptr; }
    const std::vector<Entry>& Events() const { return events_; }

  private:
    struct State {
        Tick cursor, firstTick;
        std::int32_t value;
        EventPos selected;
    };
    const Track* CurrentTrack() const;
    Tick TrackEnd() const;
    Tick PageTicks() const { return beatsVisible_ * TICKS_PER_BEAT; }
    Tick TickOf(const Entry& e) const;
    std::uint32_t MessageOf(const Entry& e) const;
    void Rebuild();
    bool ScrollToCursor();  // true when the window moved
    State Take() const { return {cursor_, firstTick_, cursorValue_, Selected()}; }
    // By position, or the given event when the window lists it.
    void Reselect(EventPos prefer = {});
    void AuditionSelection();
    // Scrolls, reselects and tells what changed since before.
    void AfterMove(const State& before, bool alwaysNotify = false, EventPos prefer = {});
    void NextEvent(bool forward);
    void Post(CtrlCommand command);
    void Notify(CtrlViewNotify code);
    void RepaintAll();
    void Caret();

    const Song* song_ = nullptr;
    CtrlViewListener* listener_ = nullptr;
    CtrlViewPainter* painter_ = nullptr;
    Tick cursor_ = 0;
    std::int32_t cursorValue_ = 0;
    std::uint32_t trackIndex_ = 0;
    Tick firstTick_ = 0;
    std::int32_t margin_ = 0;
    std::uint32_t beatsVisible_ = 1;
    std::uint32_t snap_ = 48;
    std::int32_t selected_ = -1;  // index into events_
    std::int32_t clientWidth_ = 0;
    std::int32_t width_ = 1;  // client width less the margin
    std::int32_t height_ = 0;
    std::int32_t charWidth_ = 0;
    std::int32_t rowHeight_ = 0;
    std::int32_t minValue_ = 0;
    std::int32_t maxValue_ = 127;
    std::uint32_t type_ = 0;
    bool focused_ = false;
    std::vector<Entry> events_;
    std::vector<std::pair<char, CtrlCommand>> mnemonics_;
};

}  // namespace kvs

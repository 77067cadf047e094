#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/track.h"
#include "ui/track_view.h"

namespace kvs {

class Song;

// What the note view tells its dialog.
enum class NoteViewNotify : std::uint8_t {
    Cursor = 2,
    Selection = 3,
    StepUp = 4,       // F6
    StepDown = 5,     // F5
    BigStepUp = 6,    // F8
    BigStepDown = 7,  // F7
};

// Command ids shared by the editor's buttons, the view's keys and its context menu.
namespace note_cmd {
inline constexpr std::uint32_t Close = 2;
inline constexpr std::uint32_t Insert = 2402;
inline constexpr std::uint32_t Delete = 2403;
inline constexpr std::uint32_t Edit = 2404;
inline constexpr std::uint32_t Memo = 2405;
inline constexpr std::uint32_t Snap = 2406;
inline constexpr std::uint32_t ParamStart = 2407;  // ParamStart + parameter, 0..4
inline constexpr std::uint32_t ParamLength = 2411;
inline constexpr std::uint32_t ViewId = 2400;
inline constexpr std::uint32_t StatusId = 2401;
}  // namespace note_cmd

class NoteViewListener {
  public:
    virtual ~NoteViewListener() = default;
    virtual void OnNoteViewNotify(NoteViewNotify code) = 0;
    virtual void OnNoteViewCommand(std::uint32_t commandId) = 0;
};

// Sounds a note while it is selected; the engine's note preview in the program.
class NotePreview {
  public:
    virtual ~NotePreview() = default;
    virtual void PreviewNote(std::uint32_t opening, std::uint32_t closing, std::uint32_t port,
                             std::uint32_t ticks) = 0;
    virtual void EndPreview() = 0;
};

class NoteViewPainter {
  public:
    virtual ~NoteViewPainter() = default;
    virtual void RepaintAll() = 0;
    virtual void ScrollBarsChanged() = 0;
    virtual void CaretMoved() = 0;
    // Pixels in the client area; from the keyboard, at the caret.
    virtual void OpenContextMenu(std::int32_t x, std::int32_t y) = 0;
};

enum class NoteViewKey : std::uint8_t {
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
    ContextMenu,
    Other,  // looked up in the mnemonic map by its virtual key
};

// Beat and index of a note's note on and of its note off.
struct NoteEntry {
    std::uint32_t onBeat, onIndex, offBeat, offIndex;
};

// Everything one frame draws, in painting order.
struct NoteFrame {
    struct Label {
        std::int32_t y;
        std::string text;
    };
    std::vector<Label> labels;            // at x 0, window-text colour
    std::vector<std::int32_t> beatLines;  // dotted, top to bottom
    std::vector<CellRect> notes;          // window-text colour
    std::optional<CellRect> selected;     // highlight colour, drawn last
};

// Virtual key (upper-case letter or digit) and the command it posts.
using NoteMnemonics = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// The piano roll of one track: a caret at (tick, key), the notes around it
// and at most one selected note. Only the notes that touch the visible beats
// are ever listed, so a huge track opens as fast as a small one.
class NoteView {
  public:
    static constexpr std::uint32_t kMaxTick = 19200000;
    static constexpr std::int32_t kCaretWidth = 2;

    void SetListener(NoteViewListener* listener) { listener_ = listener; }
    void SetPainter(NoteViewPainter* painter) { painter_ = painter; }
    void SetPreview(NotePreview* preview) { preview_ = preview; }
    void SetMnemonics(NoteMnemonics map) { mnemonics_ = std::move(map); }

    // The requests of the dialog.
    void SetSong(const Song* song);
    std::uint32_t Cursor() const { return cursor_; }
    std::uint32_t CursorKey() const { return cursorKey_; }
    std::uint32_t TrackIndex() const { return trackIndex_; }
    // tick -1: the end of the track; key -1: keep the key. Of several notes
    // under the caret, one of channel is chosen (an edited note stays selected).
    void SetCursor(std::int64_t tick, std::int32_t key = -1, std::int32_t channel = -1);
    // -1 shows the last track.
    void SetTrack(std::int32_t index);
    void SetZoom(std::uint32_t beats);
    void SetSnap(std::uint32_t ticks);
    EventPos Selected() const;
    void Refresh(bool audition);

    std::uint32_t Snap() const { return snap_; }
    std::uint32_t BeatsVisible() const { return beatsVisible_; }
    std::uint32_t FirstTick() const { return firstTick_; }
    std::uint32_t TopKey() const { return topKey_; }
    std::uint32_t Rows() const { return rows_; }
    std::int32_t Margin() const { return margin_; }
    const std::vector<NoteEntry>& Notes() const { return notes_; }

    void SetFontMetrics(std::int32_t charWidth, std::int32_t charHeightWithLeading);
    void SetClientSize(std::int32_t width, std::int32_t height);
    void SetFocus(bool focused);
    bool Focused() const { return focused_; }

    // True when the view used the key.
    bool KeyDown(NoteViewKey key, bool shift, bool ctrl, bool alt, std::uint32_t virtualKey = 0);
    void MouseDown(std::int32_t x, std::int32_t y);
    void ScrollHorizontal(ScrollAction action, std::uint32_t dragPosition = 0);
    void ScrollVertical(ScrollAction action, std::uint32_t dragPosition = 0);
    ScrollBarState HorizontalBar() const;
    ScrollBarState VerticalBar() const;

    std::int32_t TickX(std::uint32_t tick) const;
    std::int32_t KeyY(std::uint32_t key) const;
    std::optional<CellRect> CaretRect() const;  // only while focused
    void BuildFrame(NoteFrame& frame) const;

  private:
    const Track* ShownTrack() const;
    std::uint32_t PageTicks() const { return beatsVisible_ * TICKS_PER_BEAT; }
    std::uint32_t OnTick(const NoteEntry& e) const;
    std::uint32_t OffTick(const NoteEntry& e) const;
    std::uint32_t EntryKey(const NoteEntry& e) const;
    void Rebuild();
    void FindKeyFirstBeats(const Track& track);
    bool ScrollToCursor();  // true when the page changed
    bool KeepKeyVisible();
    std::int32_t FindByPosition(std::int32_t channel = -1) const;
    void Audition();
    // After a change of cursor or page: reselect, audition, notify.
    void AfterMove(EventPos oldPos, bool repaint, std::int32_t channel = -1);
    void MoveCursor(std::uint32_t tick, std::uint32_t key);
    std::uint32_t LastSnapOfPage() const;
    void PullCursorIntoPage();
    void MoveToNote(bool forward);
    void Notify(NoteViewNotify code);
    void Command(std::uint32_t id);
    void Repaint();

    const Song* song_ = nullptr;
    NoteViewListener* listener_ = nullptr;
    NoteViewPainter* painter_ = nullptr;
    NotePreview* preview_ = nullptr;
    NoteMnemonics mnemonics_;
    std::vector<NoteEntry> notes_;
    // The first beat holding a note event of each key; found once per
    // track and change, it ends the walk back for sounding notes early.
    std::array<std::uint32_t, 128> keyFirstBeat_{};
    bool keysKnown_ = false;
    std::uint32_t cursor_ = 0;
    std::uint32_t cursorKey_ = 60;
    std::uint32_t trackIndex_ = 0;
    std::uint32_t topKey_ = 72;
    std::uint32_t firstTick_ = 0;
    std::uint32_t beatsVisible_ = 1;
    std::uint32_t snap_ = 48;
    std::int32_t selected_ = -1;
    std::int32_t margin_ = 0;
    std::int32_t width_ = 1;
    std::uint32_t rows_ = 1;
    std::int32_t charWidth_ = 8;
    std::int32_t rowHeight_ = 0;
    std::int32_t clientHeight_ = 0;
    bool focused_ = false;
};

}  // namespace kvs

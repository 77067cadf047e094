#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "config/prompt_ids.h"

namespace kvs {

// Command ids of the main window: menu items, keys, toolbar buttons and the
// commands MIDI key commands post. ENGINE_NOTIFY and SYSEX_DONE live in
// src/midi (notifier.h).
namespace cmd {
inline constexpr std::uint32_t FileNew = 100, FileOpen = 101, FileAppend = 102, FileSave = 103,
                               FileSaveAs = 104, FileSongProperties = 105, FileExit = 106;
inline constexpr std::uint32_t HelpContents = 108, HelpTipOfDay = 109, HelpOnWeb = 110,
                               HelpAbout = 111;
inline constexpr std::uint32_t EditUndo = 114, EditCut = 115, EditCopy = 116, EditPaste = 117,
                               EditPasteMultiple = 118, EditMerge = 119, EditMergeMultiple = 120,
                               EditSelectAll = 121, EditSelectMarked = 122, EditDelete = 123,
                               EditClear = 124, EditInsert = 125, EditControllers = 126,
                               EditNotes = 127, EditEvents = 128;
inline constexpr std::uint32_t PlayStop = 130, Record = 131, StepRecord = 132, Loop = 133,
                               PunchRecord = 134, SynchroStart = 135, SendInit = 136,
                               SendCurrent = 137, InitTimeTempo = 138;
inline constexpr std::uint32_t TrackInsert = 139, TrackDelete = 140, TrackMove = 141,
                               TrackInitProperties = 142, TrackChangeProperties = 143,
                               TrackSort = 144, TrackSetAllPorts = 145, TrackMute = 146,
                               TrackSolo = 147, TrackUnmuteAll = 148, TrackStatistics = 149;
inline constexpr std::uint32_t ViewToolbar = 150, ViewStatusBar = 151, ViewZoom = 152,
                               UnitsPosition = 153, UnitsBar = 154, UnitsTime = 155;
inline constexpr std::uint32_t Find = 156, FindNext = 157, Goto = 158, GotoTrack = 159,
                               SetMarker = 160, ClearMarker = 161, ClearAllMarkers = 162,
                               GotoMarker = 163, PrevMarker = 164, NextMarker = 165,
                               SortMarkers = 166;
// The tools in menu order (the tool table's order), then the switch.
inline constexpr std::uint32_t ToolFirst = 171, ToolLast = 195, ApplyToAll = 196;
inline constexpr std::uint32_t NotesOff = 198, GmReset = 199, Gm2Reset = 200, GsReset = 201,
                               XgReset = 202, LocalOff = 203, LocalOn = 204, OnScreenKeyboard = 205,
                               Metronome = 206, MidiThru = 207, MidiClock = 208;
inline constexpr std::uint32_t OptMetronome = 210, OptKeyCommands = 211, OptMidiAssign = 212,
                               OptInstruments = 213, OptPorts = 214, OptOnScreenKeyboard = 215,
                               OptOptions = 216;
inline constexpr std::uint32_t RecentFirst = 281, RecentLast = 288;
inline constexpr std::uint32_t FileExportAudio = 420;
inline constexpr std::uint32_t LoadFile = 331, WriteFile = 332;
// Key presses posted to the track view.
inline constexpr std::uint32_t KeyLeft = 340, KeyRight = 341, KeySongStart = 342, KeySongEnd = 343,
                               KeyCtrlRight = 344, KeyCtrlLeft = 345, KeyHome = 346, KeyEnd = 347,
                               KeyUp = 348, KeyDown = 349, KeyPageUp = 350, KeyPageDown = 351;
// Marker slots 0 Left, 1 Right, 2-11 marks 0-9.
inline constexpr std::uint32_t SetMarkFirst = 358, SetMarkLast = 369;
inline constexpr std::uint32_t GoMarkFirst = 378, GoMarkLast = 389;
inline constexpr std::uint32_t ClearMarkFirst = 398, ClearMarkLast = 409;
}  // namespace cmd

struct CommandInfo {
    std::uint32_t id = 0;
    // The menu item's prompt ('&' mnemonics, '\t' before the key text);
    // nothing for a command that only has a key.
    std::optional<prompt::Id> menuText;
    // Portable key text ("Ctrl+N", "Space", "Shift+0", "F3"); empty for none.
    // Delete and Insert are not here: the track list and the track view
    // forward them, so an accelerator would make them act twice.
    std::string_view shortcut;
    std::optional<prompt::Id> tooltip;  // the toolbar buttons' prompts
};

// The menu text of a command the prompt table has no text for (English,
// whatever the language file); empty for the others.
std::string_view EnglishMenuText(std::uint32_t id);

// Every command with a menu item or a key, in id order.
std::span<const CommandInfo> Commands();
const CommandInfo* FindCommand(std::uint32_t id);

struct MenuEntry {
    enum class Kind : std::uint8_t { Command, Separator, Submenu, RecentFiles };
    Kind kind = Kind::Command;
    std::uint32_t command = 0;
    prompt::Id text{};  // a submenu's title
    std::vector<MenuEntry> children;
};
// The menu bar: each top-level entry is a Submenu.
std::vector<MenuEntry> MainMenu();
std::vector<MenuEntry> TrackListContextMenu();
std::vector<MenuEntry> TrackViewContextMenu();
// The note editor's view: its own command ids (note_cmd), each entry's text
// in `text`.
std::vector<MenuEntry> NoteViewContextMenu();

// Command 0 is a separator; icon is the base name of the button's SVG.
struct ToolbarEntry {
    std::uint32_t command = 0;
    std::string_view icon;
};
std::span<const ToolbarEntry> Toolbar();

}  // namespace kvs

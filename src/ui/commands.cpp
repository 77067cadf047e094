#include "ui/commands.h"

#include <algorithm>
#include <array>

#include "ui/note_view.h"

namespace kvs {
namespace {

using P = prompt::Id;

constexpr CommandInfo Item(std::uint32_t id, P text, std::string_view key = {}) {
    return CommandInfo{id, text, key, std::nullopt};
}
constexpr CommandInfo Button(std::uint32_t id, P text, std::string_view key, P tip) {
    return CommandInfo{id, text, key, tip};
}
constexpr CommandInfo KeyOnly(std::uint32_t id, std::string_view key, std::optional<P> tip = {}) {
    return CommandInfo{id, std::nullopt, key, tip};
}

// The tools' menu prompts run in id order, with the "More tools" title
// between Clean up and Set channel.
constexpr P ToolText(std::uint32_t id) {
    const std::uint32_t i = id - cmd::ToolFirst;
    return static_cast<P>(P::menu_tools_chkey + i + (i >= 12 ? 1 : 0));
}

constexpr std::string_view kMarkSetKeys[] = {"Shift+L", "Shift+R", "Shift+0", "Shift+1",
                                             "Shift+2", "Shift+3", "Shift+4", "Shift+5",
                                             "Shift+6", "Shift+7", "Shift+8", "Shift+9"};
constexpr std::string_view kMarkGoKeys[] = {"L", "R", "0", "1", "2", "3",
                                            "4", "5", "6", "7", "8", "9"};

std::vector<CommandInfo> BuildTable() {
    std::vector<CommandInfo> t = {
        Button(cmd::FileNew, P::menu_file_new, "Ctrl+N", P::toolbar_new),
        Button(cmd::FileOpen, P::menu_file_open, "Ctrl+O", P::toolbar_open),
        Item(cmd::FileAppend, P::menu_file_append),
        Button(cmd::FileSave, P::menu_file_save, "Ctrl+S", P::toolbar_save),
        Item(cmd::FileSaveAs, P::menu_file_saveas),
        Item(cmd::FileSongProperties, P::menu_file_songprop),
        Item(cmd::FileExit, P::menu_file_exit),
        Item(cmd::HelpContents, P::menu_help_contents, "F1"),
        Item(cmd::HelpTipOfDay, P::menu_help_tip_of_day),
        Item(cmd::HelpOnWeb, P::menu_help_on_web),
        Item(cmd::HelpAbout, P::menu_help_about),
        Button(cmd::EditUndo, P::menu_edit_undo, "Ctrl+Z", P::toolbar_undo),
        Button(cmd::EditCut, P::menu_edit_cut, "Ctrl+X", P::toolbar_cut),
        Button(cmd::EditCopy, P::menu_edit_copy, "Ctrl+C", P::toolbar_copy),
        Button(cmd::EditPaste, P::menu_edit_paste, "Ctrl+V", P::toolbar_paste),
        Item(cmd::EditPasteMultiple, P::menu_edit_pastemulti),
        Item(cmd::EditMerge, P::menu_edit_merge, "Ctrl+Shift+V"),
        Item(cmd::EditMergeMultiple, P::menu_edit_mergemulti),
        Item(cmd::EditSelectAll, P::menu_edit_selall, "Ctrl+A"),
        Item(cmd::EditSelectMarked, P::menu_edit_selmarked, "Ctrl+M"),
        Item(cmd::EditDelete, P::menu_edit_delete),
        Item(cmd::EditClear, P::menu_edit_clear),
        Item(cmd::EditControllers, P::menu_edit_ctrls, "Ctrl+J"),
        Item(cmd::EditNotes, P::menu_edit_notes, "Ctrl+K"),
        Item(cmd::EditEvents, P::menu_edit_events, "Ctrl+L"),
        Button(cmd::PlayStop, P::menu_play_playstop, "Space", P::toolbar_playstop),
        Button(cmd::Record, P::menu_play_record, "Ctrl+R", P::toolbar_record),
        Item(cmd::StepRecord, P::menu_play_steprec, "Ctrl+E"),
        Item(cmd::Loop, P::menu_play_loop, "O"),
        Item(cmd::PunchRecord, P::menu_play_punchrec, "P"),
        Item(cmd::SynchroStart, P::menu_play_synchrostart, "Ctrl+Y"),
        Item(cmd::SendInit, P::menu_play_sendinit, "Ctrl+Q"),
        Item(cmd::SendCurrent, P::menu_play_sendcurr, "Ctrl+W"),
        Item(cmd::InitTimeTempo, P::menu_play_inittimetemp, "Ctrl+T"),
        Item(cmd::TrackInsert, P::menu_track_ins, "Ctrl+Ins"),
        Item(cmd::TrackDelete, P::menu_track_del, "Ctrl+Del"),
        Item(cmd::TrackMove, P::menu_track_move),
        Item(cmd::TrackInitProperties, P::menu_track_initprop, "Alt+Return"),
        Item(cmd::TrackChangeProperties, P::menu_track_chngprop),
        Item(cmd::TrackSort, P::menu_track_sort),
        Item(cmd::TrackSetAllPorts, P::menu_track_setports),
        Button(cmd::TrackMute, P::menu_track_mute, "M", P::toolbar_mute),
        Button(cmd::TrackSolo, P::menu_track_solo, "S", P::toolbar_solo),
        Item(cmd::TrackUnmuteAll, P::menu_track_unmuteall, "Ctrl+U"),
        Item(cmd::TrackStatistics, P::menu_track_stats),
        Item(cmd::ViewToolbar, P::menu_view_toolbar),
        Item(cmd::ViewStatusBar, P::menu_view_statbar),
        Item(cmd::ViewZoom, P::menu_view_zoom),
        Item(cmd::UnitsPosition, P::menu_view_dispunits_pos),
        Item(cmd::UnitsBar, P::menu_view_dispunits_bar),
        Item(cmd::UnitsTime, P::menu_view_dispunits_time),
        Item(cmd::Find, P::menu_goto_find, "Ctrl+F"),
        Item(cmd::FindNext, P::menu_goto_findnext, "F3"),
        Item(cmd::Goto, P::menu_goto_goto, "Ctrl+G"),
        Item(cmd::GotoTrack, P::menu_goto_gototrk),
        Item(cmd::SetMarker, P::menu_goto_setmark, "Ctrl+F5"),
        Item(cmd::ClearMarker, P::menu_goto_clrmark, "Ctrl+F6"),
        Item(cmd::ClearAllMarkers, P::menu_goto_clrallmark),
        Item(cmd::GotoMarker, P::menu_goto_gotomark),
        Item(cmd::PrevMarker, P::menu_goto_prevmark),
        Item(cmd::NextMarker, P::menu_goto_nextmark),
        Item(cmd::SortMarkers, P::menu_goto_sortmark),
    };
    for (std::uint32_t id = cmd::ToolFirst; id <= cmd::ToolLast; ++id) {
        CommandInfo c = Item(id, ToolText(id));
        if (id == cmd::ToolFirst) c = Button(id, ToolText(id), "T", P::toolbar_chkey);
        if (id == cmd::ToolFirst + 1) c = Button(id, ToolText(id), "V", P::toolbar_chvel);
        if (id == cmd::ToolFirst + 4) c = Button(id, ToolText(id), "Q", P::toolbar_quant);
        t.push_back(c);
    }
    const std::initializer_list<CommandInfo> rest = {
        Item(cmd::ApplyToAll, P::menu_tools_altrk),
        Button(cmd::NotesOff, P::menu_midi_notesoff, "F9", P::toolbar_notesoff),
        Item(cmd::GmReset, P::menu_midi_gmreset),
        Item(cmd::Gm2Reset, P::menu_midi_gm2reset),
        Item(cmd::GsReset, P::menu_midi_gsreset),
        Item(cmd::XgReset, P::menu_midi_xgreset),
        Item(cmd::LocalOff, P::menu_midi_localoff),
        Item(cmd::LocalOn, P::menu_midi_localon),
        Item(cmd::OnScreenKeyboard, P::menu_midi_oskboard, "F11"),
        Button(cmd::Metronome, P::menu_midi_usemetron, "F4", P::toolbar_usemetron),
        Item(cmd::MidiThru, P::menu_midi_thru, "Ctrl+H"),
        Item(cmd::MidiClock, P::menu_midi_clock),
        Item(cmd::OptMetronome, P::menu_options_metron),
        Item(cmd::OptKeyCommands, P::menu_options_kcmd),
        Item(cmd::OptMidiAssign, P::menu_options_midiassign),
        Item(cmd::OptInstruments, P::menu_options_instlist),
        Item(cmd::OptPorts, P::menu_options_ports),
        Item(cmd::OptOnScreenKeyboard, P::menu_options_oskboard),
        Item(cmd::OptOptions, P::menu_options_options),
        KeyOnly(cmd::KeySongStart, "", P::toolbar_gotostart),
        KeyOnly(cmd::KeySongEnd, "", P::toolbar_gotoend),
    };
    t.insert(t.end(), rest.begin(), rest.end());
    t.push_back(CommandInfo{cmd::FileExportAudio, std::nullopt, {}, std::nullopt});
    for (std::uint32_t i = 0; i < 12; ++i) {
        t.push_back(KeyOnly(cmd::SetMarkFirst + i, kMarkSetKeys[i]));
        t.push_back(KeyOnly(cmd::GoMarkFirst + i, kMarkGoKeys[i]));
    }
    std::sort(t.begin(), t.end(),
              [](const CommandInfo& a, const CommandInfo& b) { return a.id < b.id; });
    return t;
}

MenuEntry Cmd(std::uint32_t id) {
    return MenuEntry{MenuEntry::Kind::Command, id, {}, {}};
}
MenuEntry Sep() {
    return MenuEntry{MenuEntry::Kind::Separator, 0, {}, {}};
}
MenuEntry Sub(P text, std::vector<MenuEntry> children) {
    return MenuEntry{MenuEntry::Kind::Submenu, 0, text, std::move(children)};
}

}  // namespace

std::string_view EnglishMenuText(std::uint32_t id) {
    return id == cmd::FileExportAudio ? "Expo&rt audio ..." : std::string_view();
}

std::span<const CommandInfo> Commands() {
    static const std::vector<CommandInfo> table = BuildTable();
    return table;
}

const CommandInfo* FindCommand(std::uint32_t id) {
    const std::span<const CommandInfo> all = Commands();
    const auto it = std::lower_bound(
        all.begin(), all.end(), id, [](const CommandInfo& c, std::uint32_t v) { return c.id < v; });
    return it != all.end() && it->id == id ? &*it : nullptr;
}

std::vector<MenuEntry> MainMenu() {
    using namespace cmd;
    std::vector<MenuEntry> tools;
    for (std::uint32_t id = ToolFirst; id < ToolFirst + 12; ++id)
        tools.push_back(Cmd(id));
    std::vector<MenuEntry> more;
    for (std::uint32_t id = ToolFirst + 12; id <= ToolLast; ++id)
        more.push_back(Cmd(id));
    tools.push_back(Sub(P::menu_tools_more, std::move(more)));
    tools.push_back(Sep());
    tools.push_back(Cmd(ApplyToAll));

    return {
        Sub(P::menu_file,
            {Cmd(FileNew), Cmd(FileOpen), Cmd(FileAppend), Cmd(FileSave), Cmd(FileSaveAs),
             Cmd(FileExportAudio), Sep(), Cmd(FileSongProperties), Sep(),
             MenuEntry{MenuEntry::Kind::RecentFiles, 0, {}, {}}, Cmd(FileExit)}),
        Sub(P::menu_edit,
            {Cmd(EditUndo), Sep(), Cmd(EditCut), Cmd(EditCopy), Cmd(EditPaste),
             Cmd(EditPasteMultiple), Cmd(EditMerge), Cmd(EditMergeMultiple), Sep(),
             Cmd(EditSelectAll), Cmd(EditSelectMarked), Sep(), Cmd(EditDelete), Cmd(EditClear),
             Sep(), Cmd(EditControllers), Cmd(EditNotes), Cmd(EditEvents)}),
        Sub(P::menu_view,
            {Cmd(ViewToolbar), Cmd(ViewStatusBar), Sep(), Cmd(ViewZoom),
             Sub(P::menu_view_dispunits, {Cmd(UnitsPosition), Cmd(UnitsBar), Cmd(UnitsTime)})}),
        Sub(P::menu_goto, {Cmd(Find), Cmd(FindNext), Sep(), Cmd(Goto), Cmd(GotoTrack), Sep(),
                           Cmd(SetMarker), Cmd(ClearMarker), Cmd(ClearAllMarkers), Cmd(GotoMarker),
                           Cmd(PrevMarker), Cmd(NextMarker), Cmd(SortMarkers)}),
        Sub(P::menu_tools, std::move(tools)),
        Sub(P::menu_play,
            {Cmd(PlayStop), Cmd(Record), Cmd(StepRecord), Sep(), Cmd(Loop), Cmd(PunchRecord),
             Cmd(SynchroStart), Sep(), Cmd(SendInit), Cmd(SendCurrent), Sep(), Cmd(InitTimeTempo)}),
        Sub(P::menu_track,
            {Cmd(TrackInsert), Cmd(TrackDelete), Cmd(TrackMove), Sep(), Cmd(TrackInitProperties),
             Cmd(TrackChangeProperties), Sep(), Cmd(TrackSort), Cmd(TrackSetAllPorts), Sep(),
             Cmd(TrackMute), Cmd(TrackSolo), Cmd(TrackUnmuteAll), Sep(), Cmd(TrackStatistics)}),
        Sub(P::menu_midi,
            {Cmd(NotesOff), Sep(), Cmd(GmReset), Cmd(Gm2Reset), Cmd(GsReset), Cmd(XgReset), Sep(),
             Cmd(LocalOff), Cmd(LocalOn), Sep(), Cmd(OnScreenKeyboard), Sep(), Cmd(Metronome),
             Cmd(MidiThru), Cmd(MidiClock)}),
        Sub(P::menu_options,
            {Cmd(OptMetronome), Cmd(OptKeyCommands), Cmd(OptInstruments), Cmd(OptMidiAssign),
             Cmd(OptPorts), Cmd(OptOnScreenKeyboard), Sep(), Cmd(OptOptions)}),
        Sub(P::menu_help,
            {Cmd(HelpContents), Cmd(HelpTipOfDay), Cmd(HelpOnWeb), Sep(), Cmd(HelpAbout)}),
    };
}

std::vector<MenuEntry> TrackListContextMenu() {
    using namespace cmd;
    return {Cmd(TrackInsert), Cmd(TrackDelete), Cmd(TrackMove), Sep(), Cmd(TrackInitProperties)};
}

std::vector<MenuEntry> TrackViewContextMenu() {
    using namespace cmd;
    return {Cmd(EditCut), Cmd(EditCopy),        Cmd(EditPaste), Cmd(EditMerge),
            Sep(),        Cmd(EditControllers), Cmd(EditNotes), Cmd(EditEvents)};
}

std::vector<MenuEntry> NoteViewContextMenu() {
    const auto item = [](std::uint32_t id, P text) {
        return MenuEntry{MenuEntry::Kind::Command, id, text, {}};
    };
    using namespace note_cmd;
    return {item(Insert, P::noteedit_ins),         item(Delete, P::noteedit_del),
            item(Edit, P::noteedit_edit),          item(Memo, P::noteedit_memo),
            item(Snap, P::noteedit_snap),          Sep(),
            item(ParamStart, P::noteedit_start),   item(ParamStart + 1, P::noteedit_chan),
            item(ParamStart + 2, P::noteedit_key), item(ParamStart + 3, P::noteedit_vel),
            item(ParamLength, P::noteedit_len),    item(Close, P::close)};
}

std::span<const ToolbarEntry> Toolbar() {
    static constexpr std::array<ToolbarEntry, 23> kBar = {{
        {cmd::FileNew, "new"},
        {cmd::FileOpen, "open"},
        {cmd::FileSave, "save"},
        {0, {}},
        {cmd::EditUndo, "undo"},
        {cmd::EditCut, "cut"},
        {cmd::EditCopy, "copy"},
        {cmd::EditPaste, "paste"},
        {0, {}},
        {cmd::KeySongStart, "gotostart"},
        {cmd::KeySongEnd, "gotoend"},
        {cmd::PlayStop, "playstop"},
        {cmd::Record, "record"},
        {0, {}},
        {cmd::TrackMute, "mute"},
        {cmd::TrackSolo, "solo"},
        {cmd::Metronome, "metronome"},
        {0, {}},
        {cmd::ToolFirst, "transpose"},
        {cmd::ToolFirst + 1, "velocity"},
        {cmd::ToolFirst + 4, "quantise"},
        {0, {}},
        {cmd::NotesOff, "notesoff"},
    }};
    return kBar;
}

}  // namespace kvs

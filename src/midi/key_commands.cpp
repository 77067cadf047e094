#include "midi/key_commands.h"

#include "midi/notifier.h"
#include "model/event.h"

namespace kvs {

const std::array<KeyCommandAction, kKeyCommandActionCount> kKeyCommandActions = {{
    {{"kcmd_none", "** No Action **"}, 0},
    {{"kcmd_playstop", "Play/stop"}, 130},
    {{"kcmd_record", "Record"}, 131},
    {{"kcmd_steprec", "Step Record"}, 132},
    {{"kcmd_loop", "Loop"}, 133},
    {{"kcmd_punchrec", "Punch Recording"}, 134},
    {{"kcmd_sendinit", "Send Initial Settings"}, 136},
    {{"kcmd_mute", "Mute"}, 146},
    {{"kcmd_solo", "Solo"}, 147},
    {{"kcmd_unmuteall", "Unmute All"}, 148},
    {{"kcmd_notesoff", "All Notes Off"}, 198},
    {{"kcmd_usemetron", "Metronome"}, 206},
    {{"kcmd_moveback", "Move Backwards"}, 340},
    {{"kcmd_moveforw", "Move Forwards"}, 341},
    {{"kcmd_gotostart", "Go To Start"}, 342},
    {{"kcmd_gotoend", "Go To End"}, 343},
    {{"kcmd_prevtrk", "Previous Track"}, 348},
    {{"kcmd_nexttrk", "Next Track"}, 349},
    {{"kcmd_firsttrk", "First Track"}, 350},
    {{"kcmd_lasttrk", "Last Track"}, 351},
    {{"kcmd_prevmark", "Previous Marker"}, 164},
    {{"kcmd_nextmark", "Next Marker"}, 165},
    {{"kcmd_gotomarkl", "Goto Left Marker"}, 378},
    {{"kcmd_gotomarkr", "Goto Right Marker"}, 379},
    {{"kcmd_gotomark0", "Goto Mark 0"}, 380},
    {{"kcmd_gotomark1", "Goto Mark 1"}, 381},
    {{"kcmd_gotomark2", "Goto Mark 2"}, 382},
    {{"kcmd_gotomark3", "Goto Mark 3"}, 383},
    {{"kcmd_gotomark4", "Goto Mark 4"}, 384},
    {{"kcmd_gotomark5", "Goto Mark 5"}, 385},
    {{"kcmd_gotomark6", "Goto Mark 6"}, 386},
    {{"kcmd_gotomark7", "Goto Mark 7"}, 387},
    {{"kcmd_gotomark8", "Goto Mark 8"}, 388},
    {{"kcmd_gotomark9", "Goto Mark 9"}, 389},
    {{"kcmd_setmarkl", "Set Left Marker"}, 358},
    {{"kcmd_setmarkr", "Set Right Marker"}, 359},
    {{"kcmd_setmark0", "Set Mark 0"}, 360},
    {{"kcmd_setmark1", "Set Mark 1"}, 361},
    {{"kcmd_setmark2", "Set Mark 2"}, 362},
    {{"kcmd_setmark3", "Set Mark 3"}, 363},
    {{"kcmd_setmark4", "Set Mark 4"}, 364},
    {{"kcmd_setmark5", "Set Mark 5"}, 365},
    {{"kcmd_setmark6", "Set Mark 6"}, 366},
    {{"kcmd_setmark7", "Set Mark 7"}, 367},
    {{"kcmd_setmark8", "Set Mark 8"}, 368},
    {{"kcmd_setmark9", "Set Mark 9"}, 369},
    {{"kcmd_clrmarkl", "Clear Left Marker"}, 398},
    {{"kcmd_clrmarkr", "Clear Right Marker"}, 399},
    {{"kcmd_clrmark0", "Clear Mark 0"}, 400},
    {{"kcmd_clrmark1", "Clear Mark 1"}, 401},
    {{"kcmd_clrmark2", "Clear Mark 2"}, 402},
    {{"kcmd_clrmark3", "Clear Mark 3"}, 403},
    {{"kcmd_clrmark4", "Clear Mark 4"}, 404},
    {{"kcmd_clrmark5", "Clear Mark 5"}, 405},
    {{"kcmd_clrmark6", "Clear Mark 6"}, 406},
    {{"kcmd_clrmark7", "Clear Mark 7"}, 407},
    {{"kcmd_clrmark8", "Clear Mark 8"}, 408},
    {{"kcmd_clrmark9", "Clear Mark 9"}, 409},
    {{"kcmd_selall", "Select All"}, 121},
    {{"kcmd_selmark", "Select Marked"}, 122},
    {{"kcmd_undo", "Undo"}, 114},
    {{"kcmd_cut", "Cut"}, 115},
    {{"kcmd_copy", "Copy"}, 116},
    {{"kcmd_paste", "Paste"}, 117},
    {{"kcmd_merge", "Merge"}, 119},
    {{"kcmd_insert", "Insert"}, 125},
    {{"kcmd_delete", "Delete"}, 123},
    {{"kcmd_clear", "Clear"}, 124},
    {{"kcmd_trkins", "Insert Track"}, 139},
    {{"kcmd_trkdel", "Delete Track"}, 140},
    {{"kcmd_sendcurr", "Send Current Settings"}, 137},
    {{"kcmd_synchrostart", "Synchro Start"}, 135},
    {{"kcmd_movenextdata", "Move To Next Data"}, 344},
    {{"kcmd_moveprevdata", "Move To Previous Data"}, 345},
    {{"kcmd_movefirstdata", "Move To First Data"}, 346},
    {{"kcmd_movelastdata", "Move To Last Data"}, 347},
    {{"kcmd_save", "Save"}, 103},
}};

std::uint32_t KeyCommandId(std::uint32_t action) {
    return action < kKeyCommandActions.size() ? kKeyCommandActions[action].command : 0;
}

KeyCommands::KeyCommands() {
    for (auto& action : map_)
        action.store(0, std::memory_order_relaxed);
}

void KeyCommands::SetMap(const KeyCommandMap& map) {
    for (std::uint32_t key = 0; key < map_.size(); ++key) {
        const bool offered = key >= kKeyCommandFirstKey && key <= kKeyCommandLastKey;
        const std::uint32_t action = offered && map[key] <= kKeyCommandLastAction ? map[key] : 0;
        map_[key].store(static_cast<std::uint8_t>(action), std::memory_order_relaxed);
    }
}

KeyCommandMap KeyCommands::Map() const {
    KeyCommandMap map{};
    for (std::uint32_t key = 0; key < map_.size(); ++key)
        map[key] = map_[key].load(std::memory_order_relaxed);
    return map;
}

std::uint32_t KeyCommands::Action(std::uint32_t key) const {
    return key < map_.size() ? map_[key].load(std::memory_order_relaxed) : 0;
}

bool KeyCommandFilter(std::uint32_t message, const KeyCommands& commands, bool inputSuspended,
                      Notifier& notifier) {
    const std::uint8_t kind = Kind(message);
    if (inputSuspended || (kind != 0x80 && kind != 0x90) || !commands.Enabled()) return false;
    const std::uint32_t action = commands.Action(Data1(message));
    if (action == 0) return false;
    // A velocity-0 note on is a release too: taking it as a press would run
    // the command a second time when the key comes up.
    if (IsNoteEnd(message)) return true;
    const std::uint32_t command = KeyCommandId(action);
    if (command != 0) notifier.Post(command, 0);
    return true;
}

}  // namespace kvs

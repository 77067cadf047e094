#include "midi/engine.h"
#include "model/value_format.h"
#include "ui/application.h"
#include "ui/commands.h"

namespace kvs {
namespace {

// The text after the last '/'; the whole path when it has none.
std::string_view FileName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool In(std::uint32_t id, std::uint32_t first, std::uint32_t last) {
    return id >= first && id <= last;
}

}  // namespace

Application::MenuState Application::StateOf(std::uint32_t id) const {
    using namespace cmd;
    const EditSession& s = *session_;
    const Song& song = s.GetSong();
    const bool stopped = Stopped();
    const bool current = s.CurrentTrack() >= 0;
    const bool recording = IsRecording(engine_->State());
    const Track* clip = s.Clipboard();
    const bool clipboard = clip != nullptr && clip->EventCount() > 0;
    const bool selection = view_.Anchor() != view_.Caret();

    MenuState m;
    switch (id) {
        case TrackInsert:
            m.enabled = stopped;
            break;
        case TrackDelete:
        case TrackMove:
        case TrackSort:
        case TrackSetAllPorts:
        case FileAppend:
        case FileExportAudio:
        case EditControllers:
        case EditNotes:
        case EditEvents:
        case EditSelectAll:
            m.enabled = stopped && current;
            break;
        case TrackInitProperties:
        case TrackChangeProperties:
        case TrackStatistics:
        case FileSave:
        case FileSaveAs:
            m.enabled = current;
            break;
        case EditSelectMarked:
            m.enabled = current && !(song.markers[kMarkerLeft] == kUnsetMarker &&
                                     song.markers[kMarkerRight] == kUnsetMarker);
            break;
        case EditUndo:
            m.enabled = s.UndoCopy() != nullptr && stopped;
            break;
        case EditPaste:
        case EditPasteMultiple:
        case EditMerge:
        case EditMergeMultiple:
            m.enabled = current && clipboard && stopped;
            break;
        case EditCut:
        case EditCopy:
        case EditDelete:
        case EditClear:
            m.enabled = current && selection;
            break;
        case Goto:
            m.enabled = !recording;
            break;
        case Find:
        case FindNext:
            m.enabled = !recording && current;
            break;
        case Loop:
            m.checked = song.loop != 0;
            break;
        case PunchRecord:
            m.checked = punch_;
            break;
        case SynchroStart:
            m.checked = settings_.engine.synchroStart;
            break;
        case Metronome:
            m.checked = settings_.engine.metronome;
            break;
        case MidiThru:
            m.checked = settings_.engine.midiThru;
            break;
        case MidiClock:
            m.checked = settings_.engine.midiClock;
            break;
        case ViewToolbar:
            m.checked = settings_.general.toolbar;
            break;
        case ViewStatusBar:
            m.checked = settings_.general.statusBar;
            break;
        case UnitsPosition:
        case UnitsBar:
        case UnitsTime:
            m.radio = true;
            m.checked = DisplayUnits() == id - UnitsPosition;
            break;
        case ApplyToAll:
            m.enabled = stopped && current;
            m.checked = toolState_.applyToAllTracks;
            break;
        default:
            if (In(id, ToolFirst, ToolLast)) {
                m.enabled = stopped && current && (id != ToolLast || transforms_.AnyValid());
            } else if (In(id, OptMetronome, OptOptions)) {
                m.enabled = stopped;
            }
            break;
    }
    return m;
}

std::vector<std::string> Application::RecentFileItems() const {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < RecentFiles::kCount; ++i) {
        const std::string& path = settings_.recentFiles[i];
        if (path.empty()) break;
        std::string item = "&" + std::to_string(i + 1) + " ";
        for (const char c : FileName(path)) {
            item.push_back(c);
            if (c == '&') item.push_back('&');
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string Application::WindowTitle() const {
    const std::string& path = session_->SongPath();
    const std::string name = path.find('/') == std::string::npos ? PromptText(prompt::main_untitled)
                                                                 : std::string(FileName(path));
    return name + " - Kavelsong";
}

std::array<std::string, 6> Application::StatusTexts() const {
    std::array<std::string, 6> parts;
    const std::int32_t current = session_->CurrentTrack();
    if (current >= 0) {
        parts[0] = PromptText(prompt::statusbar_track) + " " + std::to_string(current + 1);
        static constexpr prompt::Id kUnitPrompts[] = {prompt::statusbar_pos, prompt::statusbar_bar,
                                                      prompt::statusbar_time};
        const std::uint32_t unit = DisplayUnits();
        parts[1] =
            PromptText(kUnitPrompts[unit]) + " " +
            FormatBeatPosition(session_->GetSong(), view_.Caret(), static_cast<DisplayUnit>(unit));
    }
    static constexpr prompt::Id kStatePrompts[] = {
        prompt::statusbar_state_stop,      prompt::statusbar_state_play,
        prompt::statusbar_state_record,    prompt::statusbar_state_steprec,
        prompt::statusbar_state_playcount, prompt::statusbar_state_reccount,
        prompt::statusbar_state_stop,      prompt::statusbar_state_stop,
        prompt::statusbar_state_playsynch, prompt::statusbar_state_recsynch};
    const auto state = static_cast<std::uint32_t>(engine_->State());
    // States 6 and 7 (the delays) and any other have no text.
    if (state < std::size(kStatePrompts) && state != 6 && state != 7)
        parts[2] = PromptText(kStatePrompts[state]);
    if (settings_.engine.metronome) parts[3] = PromptText(prompt::statusbar_metron);
    if (punch_) parts[4] = PromptText(prompt::statusbar_punch);
    if (session_->GetSong().loop != 0) parts[5] = PromptText(prompt::statusbar_loop);
    return parts;
}

std::string Application::TrackListRow(std::uint32_t index) const {
    const Track* track = session_->GetSong().GetTrack(index);
    if (track == nullptr) return {};
    const TrackProperties& p = track->properties;
    std::string row;
    if (session_->SoloTrack() == static_cast<std::int32_t>(index))
        row = "+";
    else if (p.muted != 0)
        row = "!";
    row += "\t";
    row += p.name.View();
    row += "\t";
    row += p.channel == kNoChannel ? std::string("--") : std::to_string(p.channel + 1);
    row += ":";
    const std::vector<MidiDeviceInfo>& outs = table_->Outputs();
    if (p.port < outs.size()) row += outs[p.port].friendlyName;
    return row;
}

}  // namespace kvs

#include <array>

#include "config/property_form_sources.h"
#include "midi/engine.h"
#include "midi/engine_edit_link.h"
#include "midi/output_commands.h"
#include "midi/step_record_form.h"
#include "midi/sysex_queue.h"
#include "model/goto_form.h"
#include "model/marker_list_form.h"
#include "tools/tool_table.h"
#include "ui/application.h"
#include "ui/commands.h"
#include "ui/program_tool_host.h"

namespace kvs {
namespace {

// What an edit may have changed on screen.
constexpr std::uint32_t kEdited = refresh::TrackView | refresh::TrackList | refresh::StatusBar |
                                  refresh::MenuStates | refresh::Title;

bool InRange(std::uint32_t id, std::uint32_t first, std::uint32_t last) {
    return id >= first && id <= last;
}

}  // namespace

int Application::Execute(std::uint32_t id) {
    if (InRange(id, cmd::FileNew, cmd::HelpAbout) ||
        InRange(id, cmd::RecentFirst, cmd::RecentLast) || id == cmd::LoadFile ||
        id == cmd::WriteFile || id == cmd::FileExportAudio)
        return ExecuteFile(id);
    if (InRange(id, cmd::EditUndo, cmd::EditEvents))
        ExecuteEdit(id);
    else if (InRange(id, cmd::PlayStop, cmd::InitTimeTempo))
        ExecutePlay(id);
    else if (InRange(id, cmd::TrackInsert, cmd::TrackStatistics))
        ExecuteTrack(id);
    else if (InRange(id, cmd::ViewToolbar, cmd::UnitsTime))
        ExecuteView(id);
    else if (InRange(id, cmd::Find, cmd::SortMarkers))
        ExecuteGoto(id);
    else if (InRange(id, cmd::ToolFirst, cmd::ApplyToAll))
        ExecuteTool(id);
    else if (InRange(id, cmd::NotesOff, cmd::OptOptions))
        ExecuteMidi(id);
    else if (InRange(id, cmd::KeyLeft, cmd::KeyPageDown))
        ExecuteKey(id);
    else if (InRange(id, cmd::SetMarkFirst, cmd::SetMarkLast) ||
             InRange(id, cmd::GoMarkFirst, cmd::GoMarkLast) ||
             InRange(id, cmd::ClearMarkFirst, cmd::ClearMarkLast))
        ExecuteMarker(id);
    return 0;
}

void Application::AfterEdit(EditResult result, std::uint32_t what) {
    if (result == EditResult::Done) {
        // Track commands may have moved the current track.
        MakeCurrent(session_->CurrentTrack());
        Refresh(what);
    }
}

void Application::ExecuteEdit(std::uint32_t id) {
    EditSession& s = *session_;
    const std::int32_t current = s.CurrentTrack();
    EditResult r = EditResult::Done;
    std::uint32_t what = refresh::TrackView | refresh::StatusBar | refresh::MenuStates;
    // Whatever route a command took (a MIDI key command never sees the
    // menu), whole tracks are not swapped or pasted under the playing engine.
    const bool replacesTrack =
        id == cmd::EditUndo || (id >= cmd::EditPaste && id <= cmd::EditMergeMultiple);
    if (replacesTrack && !Stopped()) return;
    switch (id) {
        case cmd::EditUndo:
            r = s.Undo();
            what |= refresh::TrackList | refresh::Title;
            break;
        case cmd::EditCut:
            r = s.Cut();
            break;
        case cmd::EditCopy:
            r = s.Copy();
            break;
        case cmd::EditPaste:
            r = s.Paste();
            break;
        case cmd::EditPasteMultiple:
            r = s.PasteMultiple();
            break;
        case cmd::EditMerge:
            r = s.Merge();
            break;
        case cmd::EditMergeMultiple:
            r = s.MergeMultiple();
            break;
        case cmd::EditSelectAll:
            view_.Select(0, TrackView::kAll);
            break;
        case cmd::EditSelectMarked:
            s.SelectMarked();
            break;
        case cmd::EditDelete:
            r = s.DeleteBeats();
            break;
        case cmd::EditClear:
            r = s.ClearBeats();
            break;
        case cmd::EditInsert:
            r = s.InsertBeats();
            break;
        case cmd::EditControllers:
        case cmd::EditNotes:
        case cmd::EditEvents: {
            if (current < 0) return;
            const bool changed = id == cmd::EditControllers ? OpenCtrlEditor()
                                 : id == cmd::EditNotes     ? OpenNoteEditor()
                                                            : OpenEventList();
            if (!changed) return;
            what = kEdited;
            break;
        }
        default:
            return;
    }
    if (r != EditResult::Done) return;
    // Undo may have made its own track current.
    MakeCurrent(s.CurrentTrack());
    if (current >= 0) view_.RedrawTrack(static_cast<std::uint32_t>(current));
    Refresh(what | refresh::TrackRow, current);
}

void Application::PlayStop() {
    if (Stopped()) {
        ReserveSysex();
        ApplyEngineOptions();
        engine_->StartPlay(view_.Caret());
        Refresh(refresh::StatusBar | refresh::MenuStates);
        return;
    }
    StopEngine();
    if (quitAfterPlay_) host_.CloseWindow();
}

void Application::StopEngine() {
    engine_->StopEngine();
    // Whoever reads the message log sees each run whole once it stopped.
    if (backend_.log) (void)backend_.log->Flush();
    // A recording may have changed the current track.
    const std::int32_t current = session_->CurrentTrack();
    if (current >= 0) view_.RedrawTrack(static_cast<std::uint32_t>(current));
    Refresh(refresh::StatusBar | refresh::MenuStates | refresh::TrackRow | refresh::Title, current);
    WriteRecovery();
}

void Application::ReserveSysex() {
    // Room for every SysEx block of the song before the timer queues them:
    // the timer thread cannot grow the queue.
    const Song& song = session_->GetSong();
    std::size_t blocks = SysexQueue::kDefaultCapacity;
    for (std::uint32_t t = 0; t < song.TrackCount(); ++t)
        blocks += song.GetTrack(t)->Sysex().Count();
    (void)queue_->Reserve(blocks);
}

void Application::StartRecord(bool step) {
    const std::int32_t current = session_->CurrentTrack();
    if (!Stopped() || current < 0) return;
    MakeCurrent(current);
    ApplyEngineOptions();
    const std::uint32_t caret = view_.Caret();
    if (!step) {
        ReserveSysex();
        (void)recorder_->StartRecord(caret);
        Refresh(refresh::StatusBar | refresh::MenuStates);
        return;
    }
    // The dialog comes first: its note length and step size are the
    // recording's.
    ValueDialog dialog = StepRecordDialog();
    if (!host_.RunValueDialog(dialog)) return;
    const StepRecordValues values = StepRecordResult(dialog);
    if (recorder_->StartStepRecord(static_cast<std::uint32_t>(current), caret, values.noteLength,
                                   values.stepSize))
        Refresh(refresh::StatusBar | refresh::MenuStates);
}

void Application::ExecutePlay(std::uint32_t id) {
    Song& song = session_->GetSong();
    switch (id) {
        case cmd::PlayStop:
            PlayStop();
            return;
        case cmd::Record:
            StartRecord(false);
            return;
        case cmd::StepRecord:
            StartRecord(true);
            return;
        case cmd::Loop:
            song.loop = song.loop != 0 ? 0 : 1;
            song.modified = 1;
            Refresh(refresh::StatusBar | refresh::MenuStates | refresh::Title);
            return;
        case cmd::PunchRecord:
            punch_ = !punch_;
            recorder_->SetPunch(punch_);
            Refresh(refresh::StatusBar | refresh::MenuStates);
            return;
        case cmd::SynchroStart:
            settings_.engine.synchroStart = !settings_.engine.synchroStart;
            ApplyEngineOptions();
            Refresh(refresh::MenuStates);
            return;
        case cmd::SendInit:
            engine_->SendInitialSettings();
            return;
        case cmd::SendCurrent:
            (void)SendCurrentSettings(*engine_, &song, session_->CurrentTrack(), table_->OutCount(),
                                      *sink_, view_.Caret());
            return;
        case cmd::InitTimeTempo:
            if (EditTimeTempo()) Refresh(kEdited);
            return;
    }
}

void Application::ExecuteTrack(std::uint32_t id) {
    EditSession& s = *session_;
    EditResult r = EditResult::Done;
    switch (id) {
        case cmd::TrackInsert:
            ThruNotesOff();
            r = s.InsertTrack();
            break;
        case cmd::TrackDelete:
            ThruNotesOff();
            r = s.DeleteTrack();
            break;
        case cmd::TrackMove:
            r = s.MoveTrack();
            break;
        case cmd::TrackSort:
            ThruNotesOff();
            r = s.SortTracks();
            break;
        case cmd::TrackSetAllPorts:
            r = s.SetAllPorts();
            break;
        case cmd::TrackMute:
            r = s.Mute();
            break;
        case cmd::TrackSolo:
            r = s.Solo();
            break;
        case cmd::TrackUnmuteAll:
            r = s.UnmuteAll();
            break;
        case cmd::TrackInitProperties:
            r = EditTrackProperties();
            break;
        case cmd::TrackChangeProperties:
            r = EditChangeProperties();
            break;
        case cmd::TrackStatistics:
            ShowTrackStatistics();
            return;
        default:
            return;
    }
    AfterEdit(r, kEdited | refresh::ListSelection);
}

void Application::ExecuteView(std::uint32_t id) {
    GeneralSettings& g = settings_.general;
    switch (id) {
        case cmd::ViewToolbar:
            g.toolbar = !g.toolbar;
            break;
        case cmd::ViewStatusBar:
            g.statusBar = !g.statusBar;
            break;
        case cmd::ViewZoom: {
            const std::optional<std::int32_t> zoom =
                host_.AskNumber("view_zoom_title", "view_zoom_zoom", 1, 48,
                                static_cast<std::int32_t>(std::clamp<std::uint32_t>(
                                    session_->GetSong().timeSigNumerator, 1, 48)));
            if (zoom) view_.SetZoom(static_cast<std::uint32_t>(*zoom));
            Refresh(refresh::TrackView);
            return;
        }
        default:
            g.positionType = id - cmd::UnitsPosition;
            break;
    }
    Refresh(refresh::Layout | refresh::MenuStates | refresh::StatusBar);
}

void Application::ExecuteGoto(std::uint32_t id) {
    EditSession& s = *session_;
    Song& song = s.GetSong();
    const PromptTableSource texts(prompts_);
    auto marker = [&](MarkerListUse use) -> std::optional<std::uint32_t> {
        MarkerListForm form(song, use, texts);
        if (!host_.AskMarker(form)) return std::nullopt;
        return form.Ok(song, view_.Caret());
    };
    switch (id) {
        case cmd::Find:
            (void)s.Find();
            break;
        case cmd::FindNext:
            (void)s.FindNext();
            break;
        case cmd::Goto: {
            GotoForm form(song, view_.Caret(), static_cast<DisplayUnit>(DisplayUnits()));
            if (!host_.AskGoto(form)) return;
            if (const std::optional<std::uint32_t> beat = form.Ok()) s.GoTo(*beat);
            break;
        }
        case cmd::GotoTrack: {
            const std::uint32_t count = song.TrackCount();
            if (count == 0) return;
            const std::optional<std::int32_t> n =
                host_.AskNumber("goto_trk_title", "goto_trk_trk", 1,
                                static_cast<std::int32_t>(count), s.CurrentTrack() + 1);
            if (!n || *n - 1 == s.CurrentTrack()) return;
            ThruNotesOff();
            MakeCurrent(*n - 1);
            Refresh(refresh::ListSelection);
            break;
        }
        case cmd::SetMarker:
            (void)marker(MarkerListUse::Set);
            break;
        case cmd::ClearMarker:
            (void)marker(MarkerListUse::Clear);
            break;
        case cmd::ClearAllMarkers:
            (void)s.ClearAllMarkers();
            break;
        case cmd::GotoMarker:
            if (const std::optional<std::uint32_t> beat = marker(MarkerListUse::Goto))
                s.GoTo(*beat);
            break;
        case cmd::PrevMarker:
            (void)s.GoToPrevMark();
            break;
        case cmd::NextMarker:
            (void)s.GoToNextMark();
            break;
        case cmd::SortMarkers:
            song.SortMarkers();
            song.modified = 1;
            break;
        default:
            return;
    }
    Refresh(refresh::TrackView | refresh::StatusBar | refresh::MenuStates | refresh::Title);
}

void Application::ExecuteTool(std::uint32_t id) {
    if (id == cmd::ApplyToAll) {
        toolState_.applyToAllTracks = !toolState_.applyToAllTracks;
        Refresh(refresh::MenuStates);
        return;
    }
    const std::span<const Tool> tools = kvs::Tools().All();
    const std::uint32_t index = id - cmd::ToolFirst;
    if (index >= tools.size()) return;
    // An insert source is read without the port question, as kvs-cli reads it.
    ProgramToolHost toolHost(host_, *session_, settings_, prompts_, LoadOptionsForSong(false));
    const EditResult r = RunTool(*session_, *link_, toolState_, tools[index], toolHost);
    AfterEdit(r, kEdited);
}

void Application::ExecuteMidi(std::uint32_t id) {
    EngineSettings& e = settings_.engine;
    switch (id) {
        case cmd::OnScreenKeyboard:
            OnScreenKeyboard();
            return;
        case cmd::Metronome:
            e.metronome = !e.metronome;
            engine_->SetMetronome(e.metronome);
            Refresh(refresh::StatusBar | refresh::MenuStates);
            return;
        case cmd::MidiThru:
            if (e.midiThru) ThruNotesOff();
            e.midiThru = !e.midiThru;
            recorder_->SetThru(e.midiThru);
            Refresh(refresh::MenuStates);
            return;
        case cmd::MidiClock:
            e.midiClock = !e.midiClock;
            ApplyEngineOptions();
            Refresh(refresh::MenuStates);
            return;
        default:
            break;
    }
    if (id <= cmd::LocalOn) {
        (void)SendFixedMessage(*queue_, id);
        return;
    }
    if (id < cmd::OptMetronome || !Stopped()) return;
    bool changed = false;
    switch (id) {
        case cmd::OptMetronome:
            changed = MetronomeDialog();
            break;
        case cmd::OptKeyCommands:
            changed = KeyCommandsDialog();
            break;
        case cmd::OptMidiAssign:
            changed = MidiAssignDialog();
            break;
        case cmd::OptInstruments:
            changed = InstrumentListOptions();
            break;
        case cmd::OptPorts:
            changed = PortsDialog();
            break;
        case cmd::OptOnScreenKeyboard:
            changed = OskLayoutOptions();
            break;
        case cmd::OptOptions:
            changed = GeneralOptions();
            break;
        default:
            return;
    }
    if (!changed) return;
    // Whatever the dialog changed in the settings takes effect now.
    keyCommands_.SetMap(settings_.keyCommands);
    keyCommands_.SetEnabled(settings_.general.keyCommands);
    assignment_.Set(settings_.midiAssign);
    recorder_->SetMidiInDialogs(settings_.general.midiInDialogs);
    session_->SetDefaultPort(settings_.general.defaultPort);
    ApplyEngineOptions();
    Refresh(kEdited | refresh::Layout);
}

void Application::ExecuteKey(std::uint32_t id) {
    struct Press {
        TrackViewKey key;
        bool ctrl;
    };
    static constexpr std::array<Press, 12> kPresses = {{
        {TrackViewKey::Left, false},
        {TrackViewKey::Right, false},
        {TrackViewKey::Home, true},
        {TrackViewKey::End, true},
        {TrackViewKey::Right, true},
        {TrackViewKey::Left, true},
        {TrackViewKey::Home, false},
        {TrackViewKey::End, false},
        {TrackViewKey::Up, false},
        {TrackViewKey::Down, false},
        {TrackViewKey::PageUp, false},
        {TrackViewKey::PageDown, false},
    }};
    const Press& p = kPresses[id - cmd::KeyLeft];
    (void)view_.KeyDown(p.key, false, p.ctrl);
}

void Application::ExecuteMarker(std::uint32_t id) {
    EditSession& s = *session_;
    if (id <= cmd::SetMarkLast)
        (void)s.SetMarker(id - cmd::SetMarkFirst);
    else if (id <= cmd::GoMarkLast)
        (void)s.GoToMarker(id - cmd::GoMarkFirst);
    else
        (void)s.ClearMarker(id - cmd::ClearMarkFirst);
    Refresh(refresh::TrackView | refresh::StatusBar | refresh::MenuStates | refresh::Title);
}

}  // namespace kvs

#include "app/cli/record_command.h"

#include <charconv>
#include <chrono>
#include <thread>

#include "app/cli/cli.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"
#include "app/cli/interrupt_guard.h"
#include "app/cli/open_devices.h"
#include "app/cli/play_command.h"
#include "app/cli/stream_errors.h"
#include "files/song_file.h"
#include "midi/engine.h"
#include "midi/live_midi_in_filters.h"
#include "midi/output_commands.h"
#include "midi/recorder.h"
#include "midi/timer_thread.h"
#include "model/song.h"

namespace kvs {
namespace {

// The Record command a key command posts.
constexpr std::uint32_t kRecordCommand = 131;

std::optional<std::uint32_t> FindInput(const MidiDeviceTable& table, std::string_view text) {
    std::uint32_t n = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, n);
    if (!text.empty() && parsed.ec == std::errc{} && parsed.ptr == end) {
        if (n < table.InCount()) return n;
        return std::nullopt;
    }
    const std::vector<MidiDeviceInfo>& ins = table.Inputs();
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        if (ins[i].friendlyName == text) return i;
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        if (ins[i].systemName == text) return i;
    return std::nullopt;
}

EngineOptions RecordEngineOptions(const CliOptions& o, const Settings& settings,
                                  std::uint32_t port) {
    EngineOptions eo;
    eo.settings = settings.engine;
    eo.settings.metronome = o.metronome;
    eo.settings.recCount = o.countIn.value_or(0);
    eo.settings.synchroStart = false;
    eo.settings.firstBeat.port = port;
    eo.settings.otherBeats.port = port;
    eo.midiInDialogs = false;
    // Nobody is there to answer the keep question.
    eo.confirmRecord = false;
    return eo;
}

// Runs until Ctrl-C, a signal, or a Play/stop or Record key command.
void RecordLoop(Engine& engine, Recorder& recorder, FifoNotifier& notifier) {
    bool stopped = false;
    while (!stopped) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (InterruptGuard::Interrupted()) engine.StopEngine();
        while (const std::optional<Notification> n = notifier.Take()) {
            recorder.OnNotification(*n);
            if (n->id == ENGINE_NOTIFY && n->code == kNotifyStopped) stopped = true;
            if (n->id == kCommandPlayStop || n->id == kRecordCommand) engine.StopEngine();
        }
    }
}

}  // namespace

int RunRecord(const CliOptions& o, CliSession& session, std::ostream& out, std::ostream& err) {
    const std::string& path = o.files[0];
    // First, so that it outlives the recorder and the engine.
    auto song = std::make_unique<Song>();
    if (!o.append.empty()) {
        const ResultCode loaded = LoadSongFile(o.append, *song, session.LoadOptionsFor(o));
        if (loaded != kResultOk) {
            session.ReportFileError(o.append, loaded);
            return kExitFileError;
        }
    }
    MidiDeviceTable& table = session.Devices();
    const std::optional<std::uint32_t> in = FindInput(table, o.input);
    if (!in) {
        err << "kvs-cli: no MIDI IN device " << o.input << " (see kvs-cli ports)\n";
        return kExitFileError;
    }
    const std::optional<std::uint32_t> port = FindPlayPort(table, *o.port);
    if (!port) {
        err << "kvs-cli: no MIDI OUT port " << *o.port << " (see kvs-cli ports)\n";
        return kExitFileError;
    }
    if (!song->InsertTrack()) return kExitFileError;
    const std::uint32_t track = song->TrackCount() - 1;
    song->GetTrack(track)->properties.port = static_cast<std::uint16_t>(*port);
    if (o.loop || o.punch) {
        const BeatRange markers = o.loop ? *o.loop : *o.punch;
        song->markers[kMarkerLeft] = markers.left;
        song->markers[kMarkerRight] = markers.right;
        song->loop = o.loop ? 1 : 0;
    }

    const Settings& settings = session.CurrentSettings();
    StreamErrors errors(err);
    FifoNotifier notifier;
    ThreadTimer timer;
    DeviceTableSink sink(table);
    // Key commands and assignments act as in the program; Play/stop or
    // Record from the MIDI keyboard ends the recording.
    KeyCommands keyCommands;
    keyCommands.SetMap(settings.keyCommands);
    keyCommands.SetEnabled(settings.general.keyCommands);
    MidiAssignment assignment;
    assignment.Set(settings.midiAssign);
    LiveMidiInFilters filters(keyCommands, assignment, notifier);
    std::uint64_t overflowed = 0;
    {
        // Declared in this order: the devices close (waiting for a callback
        // in progress) before the recorder goes, and it before the engine.
        Engine engine(timer, sink, notifier);
        Recorder recorder(engine, sink, notifier);
        OpenDevices devices(table, *port, *in, errors);
        if (!devices.IsOpen(MidiDeviceKind::In)) return kExitFileError;
        engine.SetSong(song.get());
        engine.SetOptions(RecordEngineOptions(o, settings, *port));
        const std::uint32_t from = o.fromBeat.value_or(0);
        if (from > 0) SetTempoAtBeat(engine, *song, from);
        recorder.SetSong(song.get());
        recorder.SetThru(o.thru);
        recorder.SetMidiInDialogs(false);
        recorder.SetPunch(o.punch.has_value());
        recorder.SetCurrentTrack(static_cast<std::int32_t>(track),
                                 static_cast<std::uint16_t>(*port), kNoChannel);
        recorder.SetFilters(&filters);
        devices.SetInputSink(&recorder);
        InterruptGuard interrupt;
        if (!recorder.StartRecord(from)) {
            err << "kvs-cli: recording could not start\n";
            return kExitFileError;
        }
        out << "recording; Ctrl-C stops\n" << std::flush;
        RecordLoop(engine, recorder, notifier);
        devices.SetInputSink(nullptr);
        recorder.ThruNotesOff();
        overflowed = recorder.Overflowed();
    }
    if (overflowed > 0) err << "kvs-cli: " << overflowed << " incoming messages were lost\n";
    const std::uint64_t lost = table.DroppedOutput();
    if (lost > 0) err << "kvs-cli: " << lost << " MIDI messages were not delivered\n";
    const ResultCode saved = SaveSongFile(path, *song, SaveType::Full, session.OutPortNames(o));
    if (saved != kResultOk) {
        session.ReportFileError(path, saved);
        return kExitFileError;
    }
    out << "recorded " << song->GetTrack(track)->EventCount() << " events into " << path << "\n";
    // The take is saved, but what was played or echoed did not all arrive.
    return lost > 0 ? kExitFileError : kExitOk;
}

}  // namespace kvs

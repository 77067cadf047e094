#include "app/cli/record_command.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <thread>

#include "app/cli/cli.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"
#include "app/cli/interrupt_guard.h"
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

std::optional<std::uint32_t> Number(std::string_view text) {
    std::uint32_t n = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, n);
    if (text.empty() || r.ec != std::errc{} || r.ptr != end) return std::nullopt;
    return n;
}

bool Range(std::string_view text, std::optional<std::uint32_t>& left,
           std::optional<std::uint32_t>& right) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    left = Number(text.substr(0, colon));
    right = Number(text.substr(colon + 1));
    return left && right && *left < *right;
}

std::optional<std::uint32_t> FindInput(const MidiDeviceTable& table, std::string_view text) {
    if (const std::optional<std::uint32_t> n = Number(text)) {
        if (*n < table.InCount()) return n;
        return std::nullopt;
    }
    const std::vector<MidiDeviceInfo>& ins = table.Inputs();
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        if (ins[i].friendlyName == text) return i;
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        if (ins[i].systemName == text) return i;
    return std::nullopt;
}

// Opens the one input and the one output used; the enable flags stay as set.
void OpenPair(MidiDeviceTable& table, std::uint32_t in, std::uint32_t port,
              MidiErrorReporter& errors) {
    std::vector<bool> outs, ins;
    for (const MidiDeviceInfo& d : table.Outputs())
        outs.push_back(d.enabled);
    for (const MidiDeviceInfo& d : table.Inputs())
        ins.push_back(d.enabled);
    for (std::uint32_t i = 0; i < outs.size(); ++i)
        table.SetEnabled(MidiDeviceKind::Out, i, i == port);
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        table.SetEnabled(MidiDeviceKind::In, i, i == in);
    (void)table.OpenMidiDevices(errors);
    for (std::uint32_t i = 0; i < outs.size(); ++i)
        table.SetEnabled(MidiDeviceKind::Out, i, outs[i]);
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        table.SetEnabled(MidiDeviceKind::In, i, ins[i]);
}

int Usage(std::ostream& err, const std::string& why) {
    err << "kvs-cli: " << why << "\n"
        << "usage: kvs-cli record OUT.mid --in NAME --port NAME [--from BEAT]\n"
           "                      [--punch LEFT:RIGHT] [--loop LEFT:RIGHT] [--metronome]\n"
           "                      [--count-in N] [--thru] [--append IN.mid]\n";
    return kExitUsage;
}

int Record(const RecordArgs& a, CliSession& session, std::ostream& out, std::ostream& err) {
    auto song = std::make_unique<Song>();
    if (!a.append.empty()) {
        const ResultCode loaded =
            LoadSongFile(a.append, *song, session.LoadOptionsFor(CliOptions{}));
        if (loaded != kResultOk) {
            err << "kvs-cli: " << a.append << ": " << ResultMessage(loaded) << "\n";
            return kExitFileError;
        }
    }
    MidiDeviceTable& table = session.Devices();
    const std::optional<std::uint32_t> in = FindInput(table, a.in);
    if (!in) {
        err << "kvs-cli: no MIDI IN device " << a.in << " (see kvs-cli ports)\n";
        return kExitFileError;
    }
    const std::optional<std::uint32_t> port = FindPlayPort(table, a.port);
    if (!port) {
        err << "kvs-cli: no MIDI OUT port " << a.port << " (see kvs-cli ports)\n";
        return kExitFileError;
    }
    if (!song->InsertTrack()) return kExitFileError;
    const std::uint32_t track = song->TrackCount() - 1;
    song->GetTrack(track)->properties.port = static_cast<std::uint16_t>(*port);
    if (a.loopLeft) {
        song->markers[kMarkerLeft] = *a.loopLeft;
        song->markers[kMarkerRight] = *a.loopRight;
        song->loop = 1;
    } else if (a.punchLeft) {
        song->markers[kMarkerLeft] = *a.punchLeft;
        song->markers[kMarkerRight] = *a.punchRight;
    }

    StreamErrors errors(err);
    OpenPair(table, *in, *port, errors);
    if (!table.IsOpen(MidiDeviceKind::In, *in)) {
        table.CloseMidiDevices();
        return kExitFileError;
    }
    const Settings& settings = session.CurrentSettings();
    FifoNotifier notifier;
    ThreadTimer timer;
    DeviceTableSink sink(table);
    std::uint64_t overflowed = 0;
    {
        Engine engine(timer, sink, notifier);
        Recorder recorder(engine, sink, notifier);
        engine.SetSong(song.get());
        EngineOptions eo;
        eo.settings = settings.engine;
        eo.settings.metronome = a.metronome;
        eo.settings.recCount = a.countIn;
        eo.settings.synchroStart = false;
        eo.settings.firstBeat.port = *port;
        eo.settings.otherBeats.port = *port;
        eo.midiInDialogs = false;
        // Nobody is there to answer the keep question.
        eo.confirmRecord = false;
        engine.SetOptions(eo);
        if (a.from > 0) SetTempoAtBeat(engine, *song, a.from);
        recorder.SetSong(song.get());
        recorder.SetThru(a.thru);
        recorder.SetMidiInDialogs(false);
        recorder.SetPunch(a.punchLeft.has_value());
        recorder.SetCurrentTrack(static_cast<std::int32_t>(track),
                                 static_cast<std::uint16_t>(*port), kNoChannel);
        // Key commands and assignments act as in the program; Play/stop or
        // Record from the MIDI keyboard ends the recording.
        KeyCommands keyCommands;
        keyCommands.SetMap(settings.keyCommands);
        keyCommands.SetEnabled(settings.general.keyCommands);
        MidiAssignment assignment;
        assignment.Set(settings.midiAssign);
        LiveMidiInFilters filters(keyCommands, assignment, notifier);
        recorder.SetFilters(&filters);
        table.SetInputSink(&recorder);
        InterruptGuard interrupt;
        if (!recorder.StartRecord(a.from)) {
            table.SetInputSink(nullptr);
            table.CloseMidiDevices();
            err << "kvs-cli: recording could not start\n";
            return kExitFileError;
        }
        out << "recording; Ctrl-C stops\n" << std::flush;
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
        table.SetInputSink(nullptr);
        recorder.ThruNotesOff();
        overflowed = recorder.Overflowed();
    }
    table.CloseMidiDevices();
    if (overflowed > 0) err << "kvs-cli: " << overflowed << " incoming messages were lost\n";
    const ResultCode saved =
        SaveSongFile(a.out, *song, SaveType::Full, session.OutPortNames(CliOptions{}));
    if (saved != kResultOk) {
        err << "kvs-cli: " << a.out << ": " << ResultMessage(saved) << "\n";
        return kExitFileError;
    }
    out << "recorded " << song->GetTrack(track)->EventCount() << " events into " << a.out << "\n";
    return kExitOk;
}

}  // namespace

bool IsRecordCommand(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a.size() < 2 || a[0] != '-') return a == "record";
    return false;
}

std::optional<RecordArgs> ParseRecordArgs(const std::vector<std::string>& args,
                                          std::string& error) {
    RecordArgs r;
    bool seenCommand = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() -> std::string_view {
            return hasValue ? args[++i] : std::string_view{};
        };
        if (a == "--metronome") {
            r.metronome = true;
        } else if (a == "--thru") {
            r.thru = true;
        } else if (a == "--in" || a == "--port" || a == "--append") {
            if (!hasValue) return error = a + " needs a value", std::nullopt;
            (a == "--in" ? r.in : a == "--port" ? r.port : r.append) = std::string(value());
        } else if (a == "--from" || a == "--count-in") {
            const std::optional<std::uint32_t> n = hasValue ? Number(value()) : std::nullopt;
            if (!n) return error = a + " takes a number", std::nullopt;
            (a == "--from" ? r.from : r.countIn) = *n;
        } else if (a == "--punch" || a == "--loop") {
            const bool ok = hasValue && (a == "--punch" ? Range(value(), r.punchLeft, r.punchRight)
                                                        : Range(value(), r.loopLeft, r.loopRight));
            if (!ok) return error = a + " takes LEFT:RIGHT with LEFT below RIGHT", std::nullopt;
        } else if (a.size() > 1 && a[0] == '-') {
            return error = "unknown option " + a, std::nullopt;
        } else if (!seenCommand) {
            seenCommand = true;  // "record"
        } else if (r.out.empty()) {
            r.out = a;
        } else {
            return error = "record takes one OUT file", std::nullopt;
        }
    }
    if (r.out.empty()) return error = "record needs OUT.mid", std::nullopt;
    if (r.in.empty() || r.port.empty()) return error = "record needs --in and --port", std::nullopt;
    if (r.punchLeft && r.loopLeft && (*r.punchLeft != *r.loopLeft || *r.punchRight != *r.loopRight))
        return error = "--punch and --loop share the Left and Right markers", std::nullopt;
    return r;
}

int RunRecord(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::optional<RecordArgs> a = ParseRecordArgs(args, error);
    if (!a) return Usage(err, error);
    CliSession session(err);
    int status = Record(*a, session, out, err);
    const ResultCode settings = session.Finish();
    if (settings != kResultOk && status == kExitOk) status = kExitFileError;
    return status;
}

}  // namespace kvs

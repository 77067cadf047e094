#include "app/cli/play_command.h"

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/cli/cli.h"
#include "app/cli/interrupt_guard.h"
#include "app/cli/open_devices.h"
#include "app/cli/stream_errors.h"
#include "files/song_file.h"
#include "midi/backends/backend_choice.h"
#include "midi/backends/virtual_midi_log.h"
#include "midi/engine.h"
#include "midi/notifier.h"
#include "midi/output_commands.h"
#include "midi/sysex_queue.h"
#include "midi/timer_thread.h"
#include "model/song.h"
#include "model/value_format.h"

namespace kvs {
namespace {

// Room for every message a pass of the song can send, so that the virtual
// output seldom has to grow while the timer sends.
std::size_t ExpectedMessages(const Song& song) {
    std::size_t n = 4096 + std::size_t{song.SongLengthBeats()} * (24 + 4);
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i)
        n += song.GetTrack(i)->EventCount();
    return n;
}

struct SysexCount {
    std::size_t events = 0;
    std::size_t bytes = 0;
};

SysexCount CountSysex(const Song& song) {
    SysexCount n;
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i) {
        const Track& t = *song.GetTrack(i);
        for (std::uint32_t b = 0; b < t.BeatCount(); ++b) {
            for (const Event& e : *t.Bucket(b)) {
                if (Status(e.message) != EVT_SYSEX) continue;
                const SysexBlock* block = t.Sysex().Find(e.message >> 8);
                if (block == nullptr) continue;
                ++n.events;
                n.bytes += block->Length();
            }
        }
    }
    return n;
}

void ShowPosition(const Song& song, std::uint32_t tick, std::ostream& out) {
    const BarBeat bb = TicksToBarBeat(song, tick);
    out << "\r" << bb.bar << ":" << bb.beat << "  " << FormatTime(TicksToMs(song, tick)) << "   "
        << std::flush;
}

// Where play sends: the session's devices, or the one virtual output that
// every track plays to under KVS_MIDI=virtual or --midi virtual.
struct PlayTarget {
    std::unique_ptr<VirtualMidiLayer> ownLayer;  // --midi virtual on another backend
    std::unique_ptr<MidiDeviceTable> ownTable;
    std::unique_ptr<VirtualMidiLog> ownLog;
    MidiDeviceTable* table = nullptr;
    VirtualMidiLayer* virtualLayer = nullptr;  // its output 0 is port 0
    VirtualMidiLog* log = nullptr;
};

PlayTarget ChooseTarget(const CliOptions& options, CliSession& session) {
    PlayTarget target;
    BackendChoice& backend = session.Backend();
    target.table = &session.Devices();
    if (backend.virtualLayer != nullptr) {
        target.virtualLayer = backend.virtualLayer;
        target.log = backend.log.get();
    } else if (options.virtualMidi) {
        target.ownLayer = MakeVirtualLayer();
        target.ownTable = std::make_unique<MidiDeviceTable>(*target.ownLayer);
        target.ownTable->SetPrompts(&session.Prompts());
        target.ownTable->EnumerateMidiDevices();
        target.table = target.ownTable.get();
        target.virtualLayer = target.ownLayer.get();
        if (const char* path = std::getenv("KVS_MIDI_LOG"); path && *path)
            target.ownLog = std::make_unique<VirtualMidiLog>(*target.virtualLayer, path);
    }
    if (!options.log.empty() && target.virtualLayer != nullptr) {
        target.ownLog = std::make_unique<VirtualMidiLog>(*target.virtualLayer, options.log);
        target.log = nullptr;
    }
    if (target.ownLog) target.log = target.ownLog.get();
    return target;
}

EngineOptions PlayEngineOptions(const CliOptions& options, const Settings& settings,
                                std::uint32_t port) {
    EngineOptions eo;
    eo.settings = settings.engine;
    eo.settings.metronome = options.metronome;
    eo.settings.midiClock = options.clock;
    eo.settings.playCount = options.countIn.value_or(0);
    // Nothing here feeds MIDI input, so a synchro start would wait forever.
    eo.settings.synchroStart = false;
    // The clicks go where the music goes: that is the one output open.
    eo.settings.firstBeat.port = port;
    eo.settings.otherBeats.port = port;
    eo.midiInDialogs = settings.general.midiInDialogs;
    eo.confirmRecord = settings.general.confirmRecord;
    return eo;
}

// Hands the notifications to whoever answers them on this thread: the song
// end comes back as the Play/stop command, which stops the engine here just
// as the window thread does in the program; SYSEX_DONE lets the queue start
// its next block. True once the engine has stopped.
bool Dispatch(Engine& engine, FifoNotifier& notifier, SysexQueue& sysex) {
    bool stopped = false;
    while (const std::optional<Notification> n = notifier.Take()) {
        if (n->id == kCommandPlayStop) engine.StopEngine();
        if (n->id == SYSEX_DONE) sysex.SysexSent();
        if (n->id == ENGINE_NOTIFY && n->code == kNotifyStopped) stopped = true;
    }
    return stopped;
}

// Runs the engine until the song ends or the user interrupts.
void PlayLoop(Engine& engine, FifoNotifier& notifier, SysexQueue& sysex, const Song& song,
              std::ostream& out) {
    const bool tty = isatty(STDOUT_FILENO) == 1;
    auto lastShown = std::chrono::steady_clock::now();
    bool stopped = false;
    while (!stopped) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (InterruptGuard::Interrupted()) engine.StopEngine();
        stopped = Dispatch(engine, notifier, sysex);
        const auto now = std::chrono::steady_clock::now();
        if (tty && now - lastShown >= std::chrono::milliseconds(100)) {
            ShowPosition(song, engine.Position(), out);
            lastShown = now;
        }
    }
    // Let the blocks still queued go out before their device closes, but
    // never wait for good on a device that does not report them sent.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (sysex.Size() != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        (void)Dispatch(engine, notifier, sysex);
    }
    sysex.DropWaiting();
    if (tty) {
        ShowPosition(song, engine.Position(), out);
        out << "\n";
    }
}

}  // namespace

std::optional<std::uint32_t> FindPlayPort(const MidiDeviceTable& table, std::string_view text) {
    std::uint32_t number = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, number);
    if (!text.empty() && parsed.ec == std::errc{} && parsed.ptr == end) {
        if (number < table.OutCount()) return number;
        return std::nullopt;
    }
    const std::vector<MidiDeviceInfo>& outs = table.Outputs();
    for (std::uint32_t i = 0; i < outs.size(); ++i) {
        if (outs[i].friendlyName == text) return i;
    }
    for (std::uint32_t i = 0; i < outs.size(); ++i) {
        if (outs[i].systemName == text) return i;
    }
    for (const PortAlias& alias : table.Aliases()) {
        if (alias.name == text && alias.device < outs.size()) return alias.device;
    }
    return std::nullopt;
}

void SetTempoAtBeat(Engine& engine, const Song& song, std::uint32_t beat) {
    std::uint32_t tempo = song.tempo;
    std::uint32_t signature = 0;  // the song's own
    std::uint32_t signatureBeat = 0;
    std::uint64_t tempoTick = 0;
    std::uint64_t signatureTick = 0;
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i) {
        const Track& t = *song.GetTrack(i);
        for (std::uint32_t b = 0; b < beat && b < t.BeatCount(); ++b) {
            for (const Event& e : *t.Bucket(b)) {
                // Ticks counted from 1 so that an event at tick 0 beats "none".
                const std::uint64_t tick = std::uint64_t{b} * TICKS_PER_BEAT + e.offset + 1;
                const std::uint8_t kind = Status(e.message) & 0xF0;
                if (kind == EVT_TEMPO && tick >= tempoTick && (e.message >> 8) != 0) {
                    tempo = e.message >> 8;
                    tempoTick = tick;
                } else if (kind == EVT_TIMESIG && tick >= signatureTick) {
                    signature = e.message >> 8;
                    signatureBeat = b;
                    signatureTick = tick;
                }
            }
        }
    }
    engine.SetTempo(tempo);
    engine.SetTimeSignature(signature, signatureBeat);
}

int RunPlay(const CliOptions& options, CliSession& session, std::ostream& out, std::ostream& err) {
    // First, so that it outlives whatever points into its SysEx blocks.
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, session.LoadOptionsFor(options));
    if (loaded != kResultOk) {
        session.ReportFileError(options.files[0], loaded);
        return kExitFileError;
    }

    PlayTarget target = ChooseTarget(options, session);
    MidiDeviceTable& table = *target.table;
    const Settings& settings = session.CurrentSettings();
    std::optional<std::uint32_t> port;
    if (options.port)
        port = FindPlayPort(table, *options.port);
    else if (target.virtualLayer)
        port = 0;
    else if (settings.general.defaultPort < table.OutCount())
        port = settings.general.defaultPort;
    if (!port) {
        err << "kvs-cli: no MIDI OUT port "
            << (options.port ? *options.port : std::to_string(settings.general.defaultPort))
            << " (see kvs-cli ports)\n";
        return kExitFileError;
    }

    for (std::uint32_t i = 0; i < song.TrackCount(); ++i)
        song.GetTrack(i)->properties.port = static_cast<std::uint16_t>(*port);
    if (options.loop) {
        song.markers[kMarkerLeft] = options.loop->left;
        song.markers[kMarkerRight] = options.loop->right;
        song.loop = 1;
    }

    const SysexCount sysexInSong = CountSysex(song);
    if (target.virtualLayer)
        target.virtualLayer->Output(0).Reserve(ExpectedMessages(song), sysexInSong.bytes);
    StreamErrors errors(err);
    FifoNotifier notifier;
    ThreadTimer timer;
    DeviceTableSink sink(table);
    SysexQueue sysex(table, notifier);
    // Every SysEx event of one pass may be waiting at once (all at one tick),
    // with the reset "autoloadsend" may send.
    (void)sysex.Reserve(sysexInSong.events + 1);
    const std::uint32_t from = options.fromBeat.value_or(0);
    if (target.log) target.log->Restart();
    {
        // Declared in this order, the engine stops before the devices close.
        const OpenDevices devices(table, *port, std::nullopt, errors);
        if (!devices.IsOpen(MidiDeviceKind::Out)) return kExitFileError;
        AutoLocalAtStartUp(settings.general, sink);
        Engine engine(timer, sink, notifier, &sysex);
        engine.SetSong(&song);
        engine.SetOptions(PlayEngineOptions(options, settings, *port));
        // From beat 0 the initial settings give the song's tempo and meter.
        if (from > 0) SetTempoAtBeat(engine, song, from);
        AutoLoadSend(settings.general, engine, sysex);
        InterruptGuard interrupt;
        engine.StartPlay(from);
        PlayLoop(engine, notifier, sysex, song, out);
        AutoLocalAtExit(settings.general, sink);
    }

    int status = kExitOk;
    if (sysex.Dropped() > 0) {
        err << "kvs-cli: " << sysex.Dropped() << " SysEx messages were not sent (queue full)\n";
        status = kExitFileError;
    }
    if (const std::uint64_t lost = table.DroppedOutput(); lost > 0) {
        err << "kvs-cli: " << lost << " MIDI messages were not delivered\n";
        status = kExitFileError;
    }
    if (target.log) {
        const ResultCode written = target.log->Flush();
        if (written != kResultOk) {
            session.ReportFileError(target.log->Path(), written);
            status = kExitFileError;
        }
    }
    return status;
}

}  // namespace kvs

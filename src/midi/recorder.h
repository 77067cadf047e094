#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "midi/device_layer.h"
#include "midi/engine.h"
#include "midi/engine_sounding_notes.h"
#include "midi/midi_in_filters.h"
#include "midi/mpmc_ring.h"
#include "midi/notifier.h"
#include "model/note_tracker.h"

namespace kvs {

class Song;
class Track;

// The id under which a message for the open MIDI-in dialog is posted; the
// code is the packed message.
inline constexpr std::uint32_t MIDI_IN_MESSAGE = 0x3C3;

// The window side of recording.
class RecordHost {
  public:
    virtual ~RecordHost() = default;
    // "Do you want to keep the recording?"; input is suspended meanwhile.
    virtual bool AskKeep() = 0;
    // The undo snapshot of the record track, taken before it changes.
    virtual void SaveUndo(std::uint32_t track) = 0;
};

// A take: an empty track of 100 beats; null when memory runs out.
std::unique_ptr<Track> NewTake();

// Ends what the take still holds at the last tick before endBeat: a note off
// per sounding note, then the pedals and the bend it left changed.
void CloseHeldNotes(const NoteTracker& held, Track& track, std::uint32_t endBeat);

// One message on its way from the input thread to the take.
struct StampedInput {
    std::uint32_t message = 0;
    std::uint32_t tick = 0;
    std::uint32_t pass = 0;
    std::uint32_t tag = 0;  // recording number << 1 | 1 for SysEx
};

// Everything that comes in from MIDI IN, and the take it is recorded into.
//
// Threads. HandleShort and HandleSysex run on the input threads (and on the
// window thread for the on-screen keyboard). They stamp what is to be
// recorded with the engine's position and loop pass and push it into a
// fixed ring; they never touch the song. Everything else is for the window
// thread, which drains the ring into the take whenever a notification
// arrives (OnNotification) and before each commit, and commits a loop pass
// once the engine has wrapped. The timer thread never sees the take.
class Recorder final : public MidiInputSink, public TakeRecorder {
  public:
    // Enough for sixteen busy cables (1,563 messages a second each) over a
    // beat at the slowest tempo, between two drains.
    static constexpr std::size_t kDefaultRingSize = std::size_t{1} << 17;
    static constexpr std::size_t kMaxWaitingSysexBytes = std::size_t{16} << 20;
    static constexpr std::uint32_t kNoTrack = 0xFFFFFFFF;

    Recorder(Engine& engine, ShortMessageSink& out, Notifier& notifier,
             std::size_t ringSize = kDefaultRingSize);
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Window thread, only while stopped; each must outlive its use here.
    void SetSong(Song* song) { song_ = song; }
    void SetHost(RecordHost* host) { host_ = host; }
    void SetFilters(MidiInFilters* filters);

    // The main window's current track with its port and channel, whenever
    // one of them changes; -1 for none.
    void SetCurrentTrack(std::int32_t track, std::uint16_t port, std::uint16_t channel);
    void SetThru(bool on);
    bool Thru() const { return thru_; }
    void SetMidiInDialogs(bool on) { midiInDialogs_ = on; }
    void SetInputSuspended(bool on) { inputSuspended_ = on; }
    bool InputSuspended() const { return inputSuspended_; }
    // Returns the dialog that had the input, for the caller to restore.
    std::uint32_t SetMidiInDialog(std::uint32_t dialog) { return midiInDialog_.exchange(dialog); }
    std::uint32_t MidiInDialog() const { return midiInDialog_; }
    void SetPunch(bool on) { punch_ = on; }
    bool Punch() const { return punch_; }

    bool StartRecord(std::uint32_t beat);
    bool StartStepRecord(std::uint32_t track, std::uint32_t beat, std::uint32_t noteLength,
                         std::uint32_t stepSize);
    void ThruNotesOff();

    // The window thread's share of a notification from the engine or the
    // input side. Returns false when it was none of recording's business.
    bool OnNotification(const Notification& n);
    // Moves what the input side stamped into the takes.
    void Drain();

    // MIDI input thread.
    void OnShortMessage(std::uint32_t device, std::uint32_t message) override;
    void OnSysexBuffer(std::uint32_t device, std::span<const std::uint8_t> bytes) override;
    void HandleShort(std::uint32_t word);
    void HandleSysex(std::span<const std::uint8_t> bytes);

    void EndTake(bool commit, std::uint32_t position) override;

    std::uint32_t RecordTrack() const { return recordTrack_; }
    std::uint32_t TakeOrigin() const { return takeOrigin_; }
    std::uint32_t StepNoteLength() const { return stepNoteLength_; }
    std::uint32_t StepSize() const { return stepSize_; }
    // The take of the pass being recorded, if any.
    const Track* Take() const;
    // Messages that found the ring (or the SysEx store) full.
    std::uint64_t Overflowed() const { return overflowed_; }

  private:
    enum class Mode : std::uint8_t { None, Record, Step };
    struct PassTake {
        std::uint32_t pass = 0;
        std::unique_ptr<Track> take;
    };

    bool Begin(Mode mode, std::uint32_t track, std::uint32_t origin);
    void Finish();
    Track* TakeFor(std::uint32_t pass);
    void Apply(const StampedInput& in);
    void RecordEvent(std::uint32_t message, std::uint32_t tick, std::uint32_t pass);
    void RecordSysex(std::vector<std::uint8_t> bytes, std::uint32_t tick, std::uint32_t pass);
    void StepRecordEvent(std::uint32_t message);
    bool OutsidePunch(std::uint32_t tick) const;
    void CommitPassesBefore(std::uint32_t pass);
    // Merges the take into the record track; false when the user said No.
    bool CommitTake(Track& take, std::uint32_t position);
    void Merge(Track& take, Track& track, std::uint32_t length, std::uint32_t startBeat,
               std::uint32_t endBeat);
    bool Push(const StampedInput& in);

    Engine& engine_;
    ShortMessageSink& out_;
    Notifier& notifier_;
    MidiInFilters passThrough_;
    std::atomic<MidiInFilters*> filters_;
    RecordHost* host_ = nullptr;
    Song* song_ = nullptr;

    // Shared with the input threads.
    std::atomic<std::uint64_t> currentTarget_{0};
    std::atomic<std::uint64_t> recordTarget_{0};
    std::atomic<bool> thru_{true};
    std::atomic<bool> midiInDialogs_{true};
    std::atomic<bool> inputSuspended_{false};
    std::atomic<std::uint32_t> midiInDialog_{0};
    std::atomic<std::uint32_t> recording_{0};  // tags what is stamped now
    std::atomic<MpmcRing<StampedInput>*> ring_{nullptr};
    std::atomic<std::uint64_t> overflowed_{0};
    std::mutex thruMutex_;
    SoundingNotes thruTracker_;
    std::mutex sysexMutex_;
    std::deque<std::vector<std::uint8_t>> sysexWaiting_;
    std::size_t sysexWaitingBytes_ = 0;

    // Window thread only.
    std::unique_ptr<MpmcRing<StampedInput>> ringStore_;
    std::size_t ringSize_;
    Mode mode_ = Mode::None;
    bool confirm_ = true;
    bool punch_ = false;
    std::uint32_t recordTrack_ = kNoTrack;
    std::uint32_t takeOrigin_ = 0;
    std::uint32_t stepNoteLength_ = 48;
    std::uint32_t stepSize_ = 48;
    std::vector<PassTake> takes_;  // by pass, oldest first
};

}  // namespace kvs

#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "midi/engine_beat_events.h"
#include "midi/engine_options.h"
#include "midi/engine_output.h"
#include "midi/engine_sounding_notes.h"
#include "midi/engine_state.h"
#include "midi/notifier.h"
#include "midi/timer.h"
#include "midi/transport.h"

namespace kvs {

class Song;

// The playback engine: the transport state machine and the timer callback
// that sends the song tick by tick.
//
// Threads. Every public operation is for the window thread unless it says
// otherwise. The timer callback reads the song only while it holds the song
// lock, which it merely tries to take: a period that finds it taken counts
// itself and sends nothing, and the next period sends the ticks it missed.
// Whoever changes the song while the engine may run holds LockSong(). The
// callback allocates nothing, takes no blocking lock and does no I/O.
class Engine {
  public:
    Engine(PeriodicTimer& timer, ShortMessageSink& out, Notifier& notifier,
           SysexOutput* sysex = nullptr);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Only while stopped. The song must outlive its use by the engine.
    void SetSong(Song* song);
    void SetRecorder(TakeRecorder* recorder);
    std::unique_lock<std::mutex> LockSong();
    // Before the song's SysEx blocks are freed or changed: no queued or
    // departing SysEx message uses them once this returns.
    void ReleaseSysex();

    void SetOptions(const EngineOptions& options);
    EngineOptions Options() const;
    // The metronome switch; switching it off ends a sounding click.
    void SetMetronome(bool on);

    void StartPlay(std::uint32_t beat);
    // The transport side of starting a recording; the caller makes the take.
    void StartRecord(std::uint32_t beat);
    void StopEngine();
    // While playing, carried out by the timer at its next period.
    void Relocate(std::uint32_t beat);
    // While the timer runs, carried out at its next period (during a count-in
    // as soon as the music starts). 0 is no tempo and is ignored.
    void SetTempo(std::uint32_t bpm);
    // packed: numerator in bits 0-7, denominator exponent in bits 8-15; 0
    // takes the song's initial signature.
    void SetTimeSignature(std::uint32_t packed, std::uint32_t beat);
    void ClickOff();
    // Sends what ends the track's sounding notes and pedals, then forgets them.
    void ReleaseTrackNotes(std::uint32_t track);
    // Mute and solo with the releases they need.
    void SetTrackMuted(std::uint32_t track, bool muted);
    void SetSoloTrack(std::int32_t track);  // -1: none
    std::int32_t SoloTrack() const { return solo_; }
    // Bank, program, volume, pan, effects, pressure and bend of every track,
    // with the song's initial tempo and time signature.
    void SendInitialSettings();

    void PreviewNote(std::uint32_t opening, std::uint32_t closing, std::uint32_t port,
                     std::uint32_t ticks);
    void EndPreview();

    // MIDI input thread: the first message in a synchro state starts the
    // music. False when the engine was not waiting.
    bool SynchroStart();

    // Step recording: the transport at beat, no timer. The recorder makes
    // the take.
    void StartStepRecord(std::uint32_t beat);
    // Only while step recording: where the next step is entered.
    void SetStepPosition(std::uint32_t tick);

    // Any thread: the position and the loop pass it belongs to, read as one.
    // The pass moves on at every loop wrap while recording.
    struct InputStamp {
        std::uint32_t tick = 0;
        std::uint32_t pass = 0;
    };
    InputStamp StampInput() const;
    std::uint32_t LoopPass() const { return loopSeq_.load() / 2; }

    EngineState State() const { return state_; }
    bool Busy() const { return IsBusy(state_); }
    const Transport& GetTransport() const { return transport_; }
    std::uint32_t Position() const { return transport_.position; }
    std::uint32_t Tempo() const { return transport_.tempo; }

    // The timer callback: one period.
    void OnTimerPeriod();

  private:
    enum class Click : std::uint8_t { None, First, Other };

    void Start(std::uint32_t beat, bool record);
    void PostState() { notifier_.Post(ENGINE_NOTIFY, kNotifyStateChanged); }
    void TakeRequests(EngineState s);
    void DelayPeriod(EngineState s);
    void CountInPeriod(EngineState s);
    void PlayPeriod(EngineState s);
    void PreviewPeriod();
    void DispatchTick(std::uint32_t tick, EngineState s);
    // Every audible track's bucket, track by track: for a beat BeatEvents
    // could not hold.
    void DispatchTickFromTracks(std::uint32_t tick, EngineState s);
    void DispatchEvent(std::uint32_t track, std::uint32_t message, std::uint32_t port,
                       std::uint16_t channel, std::uint32_t tick, EngineState s);
    bool LoopDue(std::uint32_t tick) const;
    bool FinishPreview();

    // These expect the song lock held (or the timer not running).
    void ApplyTempo(std::uint32_t bpm, EngineState s);
    void RequestTempo(std::uint32_t bpm);
    void ApplyTimeSignature(std::uint32_t packed, std::uint32_t beat);
    void RelocateLocked(std::uint32_t beat);
    void ReleaseLocked(std::uint32_t track);
    void ReleaseAllLocked();
    void MetronomeStep(std::uint32_t tick, EngineState s);
    void ClickOn(std::uint32_t beatInBar, EngineState s);
    void ClickOffLocked();
    void SendInitialSettingsLocked();

    PeriodicTimer& timer_;
    ShortMessageSink& out_;
    Notifier& notifier_;
    SysexOutput* sysex_;
    TakeRecorder* recorder_ = nullptr;

    mutable std::mutex lock_;
    // Guarded by lock_.
    Song* song_ = nullptr;
    EngineOptions options_;
    std::vector<SoundingNotes> notes_;
    // The current beat's events; invalid after anything that may have
    // changed the song, the mute flags or the solo track.
    BeatEvents beatEvents_;
    Click lastClick_ = Click::None;

    std::atomic<EngineState> state_{EngineState::Stop};
    std::atomic<std::int32_t> solo_{-1};
    Transport transport_;
    static constexpr std::uint32_t kNoRequest = 0xFFFFFFFF;
    std::atomic<std::uint32_t> pendingRelocate_{kNoRequest};
    std::atomic<std::uint32_t> pendingTempo_{0};
    std::atomic<std::uint32_t> previewClosing_{0};
    std::atomic<std::uint32_t> previewPort_{0};
    std::atomic<std::uint32_t> previewEnd_{0};
    // Twice the loop pass, plus one while a wrap is under way.
    std::atomic<std::uint32_t> loopSeq_{0};
};

}  // namespace kvs

#include "midi/engine.h"

#include <new>
#include <thread>

#include "model/song.h"

namespace kvs {

Engine::Engine(PeriodicTimer& timer, ShortMessageSink& out, Notifier& notifier, SysexOutput* sysex)
    : timer_(timer), out_(out), notifier_(notifier), sysex_(sysex) {}

Engine::~Engine() {
    timer_.Stop();
}

std::unique_lock<std::mutex> Engine::LockSong() {
    std::unique_lock<std::mutex> lock(lock_);
    // The holder is about to change the song.
    beatEvents_.Invalidate();
    return lock;
}

void Engine::ReleaseSysex() {
    if (sysex_ != nullptr) sysex_->ReleaseBlocks();
}

void Engine::SetSong(Song* song) {
    std::lock_guard<std::mutex> lock(lock_);
    song_ = song;
    beatEvents_.Invalidate();
}

void Engine::SetRecorder(TakeRecorder* recorder) {
    std::lock_guard<std::mutex> lock(lock_);
    recorder_ = recorder;
}

void Engine::SetOptions(const EngineOptions& options) {
    std::lock_guard<std::mutex> lock(lock_);
    const bool wasOn = options_.settings.metronome;
    options_ = options;
    if (wasOn && !options_.settings.metronome) ClickOffLocked();
}

EngineOptions Engine::Options() const {
    std::lock_guard<std::mutex> lock(lock_);
    return options_;
}

void Engine::SetMetronome(bool on) {
    std::lock_guard<std::mutex> lock(lock_);
    options_.settings.metronome = on;
    if (!on) ClickOffLocked();
}

void Engine::StartPlay(std::uint32_t beat) {
    Start(beat, false);
}

void Engine::StartRecord(std::uint32_t beat) {
    Start(beat, true);
}

void Engine::Start(std::uint32_t beat, bool record) {
    if (state_ != EngineState::Stop) return;
    {
        std::lock_guard<std::mutex> lock(lock_);
        const std::uint32_t tracks = song_ != nullptr ? song_->TrackCount() : 0;
        // The per-track tables are sized here so that the timer never has to.
        try {
            notes_.resize(tracks);
        } catch (const std::bad_alloc&) {
            return;
        }
        for (SoundingNotes& n : notes_)
            n.Reset();
        // Without the room every beat is read from the tracks: slower, same result.
        if (song_ != nullptr) beatEvents_.ReserveFor(*song_);
        beatEvents_.Invalidate();
        pendingRelocate_ = kNoRequest;
        const std::uint32_t base = beat * TICKS_PER_BEAT;
        transport_.baseTick = base;
        transport_.songEndTick = (song_ != nullptr ? song_->SongLengthBeats() : 0) * TICKS_PER_BEAT;
        transport_.position = base;
        transport_.lastTick = base - 1;
        transport_.periodCount = 0;
        transport_.tickFraction = 0;
        EngineState next;
        if (beat == 0) {
            SendInitialSettingsLocked();
            next = record ? EngineState::RecDelay : EngineState::PlayDelay;
        } else {
            next = record ? EngineState::RecCount : EngineState::PlayCount;
        }
        if (options_.settings.synchroStart)
            next = record ? EngineState::RecSynch : EngineState::PlaySynch;
        state_ = next;
    }
    PostState();
    timer_.Start([this] { OnTimerPeriod(); });
}

void Engine::StopEngine() {
    const EngineState s = state_;
    if (s == EngineState::Stop) return;
    if (s == EngineState::Preview) {
        EndPreview();
        return;
    }
    timer_.Stop();
    TakeRecorder* recorder = nullptr;
    const std::uint32_t stoppedAt = transport_.position;
    {
        std::lock_guard<std::mutex> lock(lock_);
        ClickOffLocked();
        ReleaseAllLocked();
        if (s == EngineState::Record || s == EngineState::StepRec) {
            transport_.periodCount = 0;
            transport_.tickFraction = 0;
            transport_.position = transport_.baseTick.load();
        }
        if (IsRecording(s)) recorder = recorder_;
        pendingRelocate_ = kNoRequest;
        // A tempo asked for while the song was ending must not be lost.
        const std::uint32_t bpm = pendingTempo_.exchange(0);
        if (bpm != 0) ApplyTempo(bpm, EngineState::Stop);
    }
    if (recorder != nullptr)
        recorder->EndTake(s == EngineState::Record || s == EngineState::StepRec, stoppedAt);
    state_ = EngineState::Stop;
    notifier_.Post(ENGINE_NOTIFY, kNotifyStopped);
}

void Engine::Relocate(std::uint32_t beat) {
    if (TimerRunsIn(state_)) {
        pendingRelocate_ = beat;
        return;
    }
    std::lock_guard<std::mutex> lock(lock_);
    RelocateLocked(beat);
}

void Engine::RelocateLocked(std::uint32_t beat) {
    ClickOffLocked();
    ReleaseAllLocked();
    const std::uint32_t base = beat * TICKS_PER_BEAT;
    transport_.baseTick = base;
    transport_.songEndTick = (song_ != nullptr ? song_->SongLengthBeats() : 0) * TICKS_PER_BEAT;
    transport_.position = base;
    transport_.lastTick = base - 1;
    transport_.periodCount = 0;
    transport_.tickFraction = 0;
}

void Engine::SetTempo(std::uint32_t bpm) {
    RequestTempo(bpm);
}

void Engine::RequestTempo(std::uint32_t bpm) {
    if (bpm == 0) return;
    if (TimerRunsIn(state_))
        pendingTempo_ = bpm;
    else
        ApplyTempo(bpm, state_);
}

void Engine::ApplyTempo(std::uint32_t bpm, EngineState s) {
    if (bpm == 0) return;
    // The delay counts periods, not ticks: re-basing would restart it.
    if (s != EngineState::PlayDelay && s != EngineState::RecDelay) {
        const std::uint32_t position = transport_.position;
        const std::uint32_t old = transport_.tempo;
        const std::uint64_t parts = transport_.ElapsedParts();
        // Keep the part of a tick already reached, rescaled to the new tempo,
        // when the position is where the formula stands (inside the callback).
        std::uint32_t fraction = 0;
        if (old != 0 && transport_.baseTick + parts / 625 == position)
            fraction = static_cast<std::uint32_t>(parts % 625 * bpm / old);
        transport_.baseTick = position;
        transport_.periodCount = 0;
        transport_.tickFraction = fraction;
    }
    transport_.tempo = bpm;
}

void Engine::SetTimeSignature(std::uint32_t packed, std::uint32_t beat) {
    std::lock_guard<std::mutex> lock(lock_);
    ApplyTimeSignature(packed, beat);
}

void Engine::ApplyTimeSignature(std::uint32_t packed, std::uint32_t beat) {
    if (packed == 0) {
        transport_.sigNumerator = song_ != nullptr ? song_->timeSigNumerator : 4;
        transport_.sigDenominatorExp = song_ != nullptr ? song_->timeSigDenominatorExp : 2;
        transport_.sigStartTick = 0;
    } else {
        transport_.sigNumerator = packed & 0xFF;
        transport_.sigDenominatorExp = (packed >> 8) & 0xFF;
        transport_.sigStartTick = beat * TICKS_PER_BEAT;
    }
}

void Engine::ReleaseTrackNotes(std::uint32_t track) {
    std::lock_guard<std::mutex> lock(lock_);
    ReleaseLocked(track);
}

void Engine::ReleaseLocked(std::uint32_t track) {
    if (track >= notes_.size()) return;
    notes_[track].ForEachRelease(
        [this](std::uint32_t message, std::uint32_t port) { out_.SendShort(message, port); });
    notes_[track].Reset();
}

void Engine::ReleaseAllLocked() {
    for (std::uint32_t i = 0; i < notes_.size(); ++i)
        ReleaseLocked(i);
}

void Engine::SetTrackMuted(std::uint32_t track, bool muted) {
    std::lock_guard<std::mutex> lock(lock_);
    Track* t = song_ != nullptr ? song_->GetTrack(track) : nullptr;
    if (t == nullptr) return;
    t->properties.muted = muted ? 1 : 0;
    beatEvents_.Invalidate();
    if (muted) ReleaseLocked(track);
}

void Engine::SetSoloTrack(std::int32_t track) {
    std::lock_guard<std::mutex> lock(lock_);
    const std::int32_t previous = solo_.exchange(track < 0 ? -1 : track);
    beatEvents_.Invalidate();
    if (song_ == nullptr) return;
    if (track >= 0) {
        for (std::uint32_t i = 0; i < song_->TrackCount(); ++i)
            if (static_cast<std::int32_t>(i) != track) ReleaseLocked(i);
    } else if (previous >= 0) {
        const Track* t = song_->GetTrack(static_cast<std::uint32_t>(previous));
        if (t != nullptr && t->properties.muted != 0)
            ReleaseLocked(static_cast<std::uint32_t>(previous));
    }
}

void Engine::SendInitialSettings() {
    std::lock_guard<std::mutex> lock(lock_);
    SendInitialSettingsLocked();
}

void Engine::PreviewNote(std::uint32_t opening, std::uint32_t closing, std::uint32_t port,
                         std::uint32_t ticks) {
    if (state_ == EngineState::Preview) EndPreview();
    if (state_ != EngineState::Stop) return;
    {
        std::lock_guard<std::mutex> lock(lock_);
        if (!options_.midiInDialogs) return;
    }
    out_.SendShort(opening, port);
    previewClosing_ = closing;
    previewPort_ = port;
    previewEnd_ = ticks;
    transport_.periodCount = 0;
    transport_.tickFraction = 0;
    transport_.position = 0;
    transport_.baseTick = 0;
    state_ = EngineState::Preview;
    timer_.Start([this] { OnTimerPeriod(); });
}

void Engine::EndPreview() {
    EngineState expected = EngineState::Preview;
    if (!state_.compare_exchange_strong(expected, EngineState::Stop)) return;
    timer_.Stop();
    const std::uint32_t closing = previewClosing_;
    if (closing != 0) out_.SendShort(closing, previewPort_);
}

bool Engine::FinishPreview() {
    EngineState expected = EngineState::Preview;
    if (!state_.compare_exchange_strong(expected, EngineState::Stop)) return false;
    const std::uint32_t closing = previewClosing_;
    if (closing != 0) out_.SendShort(closing, previewPort_);
    timer_.Stop();
    return true;
}

bool Engine::SynchroStart() {
    EngineState expected = EngineState::PlaySynch;
    if (!state_.compare_exchange_strong(expected, EngineState::Play)) {
        expected = EngineState::RecSynch;
        if (!state_.compare_exchange_strong(expected, EngineState::Record)) return false;
    }
    PostState();
    return true;
}

void Engine::StartStepRecord(std::uint32_t beat) {
    if (state_ != EngineState::Stop) return;
    {
        std::lock_guard<std::mutex> lock(lock_);
        const std::uint32_t base = beat * TICKS_PER_BEAT;
        transport_.baseTick = base;
        transport_.songEndTick = (song_ != nullptr ? song_->SongLengthBeats() : 0) * TICKS_PER_BEAT;
        transport_.position = base;
        transport_.lastTick = base - 1;
        transport_.periodCount = 0;
        transport_.tickFraction = 0;
        state_ = EngineState::StepRec;
    }
    PostState();
}

void Engine::SetStepPosition(std::uint32_t tick) {
    if (state_ == EngineState::StepRec) transport_.position = tick;
}

Engine::InputStamp Engine::StampInput() const {
    for (;;) {
        const std::uint32_t before = loopSeq_.load();
        if ((before & 1u) != 0) {
            // A wrap takes microseconds.
            std::this_thread::yield();
            continue;
        }
        const std::uint32_t tick = transport_.position;
        if (loopSeq_.load() == before) return InputStamp{tick, before / 2};
    }
}

}  // namespace kvs

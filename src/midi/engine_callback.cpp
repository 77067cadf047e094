#include "midi/engine.h"
#include "model/song.h"

namespace kvs {

void Engine::OnTimerPeriod() {
    const EngineState s = state_;
    if (!TimerRunsIn(s) || s == EngineState::PlaySynch || s == EngineState::RecSynch) return;
    std::unique_lock<std::mutex> lock(lock_, std::try_to_lock);
    if (!lock.owns_lock()) {
        // The position formula makes the next period catch up.
        transport_.periodCount += 1;
        return;
    }
    TakeRequests(s);
    switch (s) {
        case EngineState::PlayDelay:
        case EngineState::RecDelay:
            DelayPeriod(s);
            return;
        case EngineState::PlayCount:
        case EngineState::RecCount:
            CountInPeriod(s);
            return;
        case EngineState::Play:
        case EngineState::Record:
            PlayPeriod(s);
            return;
        case EngineState::Preview:
            PreviewPeriod();
            return;
        default:
            return;
    }
}

// Requests from the window thread, carried out whole here so that this
// thread never sees half a relocation or a re-base.
void Engine::TakeRequests(EngineState s) {
    if (s == EngineState::Play || s == EngineState::Record || IsCountIn(s)) {
        const std::uint32_t beat = pendingRelocate_.exchange(kNoRequest);
        if (beat != kNoRequest) RelocateLocked(beat);
    }
    // A count-in re-based by a new tempo would start the music late.
    if (!IsCountIn(s)) {
        const std::uint32_t bpm = pendingTempo_.exchange(0);
        if (bpm != 0) ApplyTempo(bpm, s);
    }
}

void Engine::DelayPeriod(EngineState s) {
    transport_.periodCount += 1;
    if (options_.settings.initDelay <= std::uint64_t{TIMER_PERIOD_MS} * transport_.periodCount) {
        transport_.periodCount = 0;
        transport_.tickFraction = 0;
        transport_.position = 0;
        state_ = s == EngineState::PlayDelay ? EngineState::PlayCount : EngineState::RecCount;
        PostState();
    }
}

void Engine::CountInPeriod(EngineState s) {
    const std::uint32_t base = transport_.baseTick;
    const std::uint32_t t = transport_.Target();
    const std::uint64_t beats =
        s == EngineState::PlayCount ? options_.settings.playCount : options_.settings.recCount;
    if (std::uint64_t{t - base} >= beats * TICKS_PER_BEAT) {
        transport_.periodCount = 0;
        transport_.tickFraction = 0;
        transport_.position = base;
        transport_.lastTick = base - 1;
        state_ = s == EngineState::PlayCount ? EngineState::Play : EngineState::Record;
        PostState();
        return;
    }
    transport_.position = t;
    const std::uint32_t last = transport_.lastTick;
    if (t != last && t - last < 0x80000000u) {
        for (std::uint32_t k = last + 1;; ++k) {
            if (options_.settings.metronome) MetronomeStep(k, s);
            if (k % TICKS_PER_BEAT == 0) notifier_.Post(ENGINE_NOTIFY, kNotifyBeat);
            if (k == t) break;
        }
    }
    transport_.periodCount += 1;
    transport_.lastTick = t;
}

// The loop point is passed once the last tick before Right has been sent.
bool Engine::LoopDue(std::uint32_t tick) const {
    if (song_ == nullptr || song_->loop == 0) return false;
    const std::uint32_t left = song_->markers[kMarkerLeft];
    const std::uint32_t right = song_->markers[kMarkerRight];
    if (left == kUnsetMarker || right == kUnsetMarker || left >= right) return false;
    return right <= (std::uint64_t{tick} + 1) / TICKS_PER_BEAT;
}

void Engine::PlayPeriod(EngineState s) {
    std::uint32_t target = transport_.Target();
    transport_.position = target;
    const std::uint32_t last = transport_.lastTick;
    // A target behind the last tick cannot come from the formula; never send
    // four billion ticks because of it.
    if (last == target || target - last >= 0x80000000u) {
        transport_.periodCount += 1;
        return;
    }
    bool looped = false;
    for (std::uint32_t k = last + 1;; ++k) {
        DispatchTick(k, s);
        if (LoopDue(k)) {
            // Odd while the position jumps back, so that input stamped now
            // waits for the pass it belongs to.
            if (s == EngineState::Record) loopSeq_.fetch_add(1);
            RelocateLocked(song_->markers[kMarkerLeft]);
            if (s == EngineState::Record) {
                loopSeq_.fetch_add(1);
                notifier_.Post(ENGINE_NOTIFY, kNotifyLoopWrap);
            }
            target = transport_.position;
            looped = true;
            k = target - 1;  // the Left beat's first tick goes out in this period
            continue;
        }
        if (k == target) break;
    }
    transport_.periodCount += 1;
    transport_.lastTick = transport_.position.load();
    if (s == EngineState::Play && !looped &&
        transport_.songEndTick / TICKS_PER_BEAT <= transport_.lastTick / TICKS_PER_BEAT) {
        timer_.Stop();
        notifier_.Post(kCommandPlayStop, 0);
    }
}

void Engine::DispatchTick(std::uint32_t k, EngineState s) {
    const std::uint32_t beat = k / TICKS_PER_BEAT;
    const std::uint32_t offset = k % TICKS_PER_BEAT;
    const bool metronome = options_.settings.metronome;
    if (metronome) MetronomeStep(k, s);
    if (offset == 0) notifier_.Post(ENGINE_NOTIFY, kNotifyBeat);
    if (options_.settings.midiClock && k % 8 == 0) out_.SendShortAll(0xF8);
    if (song_ == nullptr) return;
    if (!beatEvents_.Holds(beat) && !beatEvents_.Build(*song_, beat, solo_)) {
        DispatchTickFromTracks(k, s);
        return;
    }
    for (const BeatEvents::Entry* e = beatEvents_.begin(offset); e != beatEvents_.end(offset); ++e)
        DispatchEvent(e->track, e->message, e->port, e->channel, k, s);
}

void Engine::DispatchTickFromTracks(std::uint32_t k, EngineState s) {
    const std::uint32_t beat = k / TICKS_PER_BEAT;
    const std::uint32_t offset = k % TICKS_PER_BEAT;
    const std::int32_t solo = solo_;
    // The count is read again for every track, as the list is the song's.
    for (std::uint32_t i = 0; i < song_->TrackCount(); ++i) {
        if (!song_->TrackSounds(i, solo)) continue;
        const Track* track = song_->GetTrack(i);
        const BeatBucket* bucket = track->Bucket(beat);
        if (bucket == nullptr) continue;
        for (const Event& e : *bucket)
            if (e.offset == offset)
                DispatchEvent(i, e.message, track->properties.port, track->properties.channel, k,
                              s);
    }
}

void Engine::DispatchEvent(std::uint32_t i, std::uint32_t message, std::uint32_t port,
                           std::uint16_t channel, std::uint32_t k, EngineState s) {
    const std::uint32_t beat = k / TICKS_PER_BEAT;
    switch (Kind(message)) {
        case EVT_TEMPO:
            ApplyTempo(message >> 8, s);
            break;
        case EVT_TIMESIG:
            ApplyTimeSignature(message >> 8, beat);
            if (options_.settings.metronome) MetronomeStep(k, s);
            break;
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
        case 0xC0:
        case 0xD0:
        case 0xE0:
            if (channel != kNoChannel) message = (message & ~0xFu) | (channel & 0xFu);
            out_.SendShort(message, port);
            if (i < notes_.size()) notes_[i].Observe(message, port);
            break;
        case EVT_SYSEX:
            if (sysex_ != nullptr) {
                const Track* track = song_->GetTrack(i);
                const SysexBlock* block =
                    track != nullptr ? track->Sysex().Find(SysexId(message)) : nullptr;
                if (block != nullptr && block->Length() != 0) {
                    sysex_->QueueSysex(*block, port);
                    sysex_->KickSysex();
                }
            }
            break;
        default:
            break;
    }
}

void Engine::PreviewPeriod() {
    const std::uint32_t position = transport_.Target();
    transport_.position = position;
    if (position >= previewEnd_) {
        FinishPreview();
        return;
    }
    transport_.periodCount += 1;
    transport_.lastTick = position;
}

}  // namespace kvs

#include "midi/recorder.h"

#include <algorithm>
#include <new>

#include "model/song.h"
#include "model/track.h"

namespace kvs {
namespace {

constexpr std::uint64_t kTargetSet = std::uint64_t{1} << 63;

// Track, port and channel in one word, so that an input thread never sees
// the port of one track with the channel of another.
constexpr std::uint64_t PackTarget(std::uint32_t track, std::uint16_t port, std::uint16_t channel) {
    return kTargetSet | (std::uint64_t{track & 0x7FFFFFFF} << 32) | (std::uint64_t{port} << 16) |
           channel;
}

struct Target {
    bool set = false;
    std::uint16_t port = 0;
    std::uint16_t channel = kNoChannel;
};

Target Unpack(std::uint64_t word) {
    return Target{(word & kTargetSet) != 0, static_cast<std::uint16_t>(word >> 16),
                  static_cast<std::uint16_t>(word)};
}

// System messages that carry timing or nothing to keep, and the channel mode
// controllers.
bool Unwanted(std::uint32_t m) {
    const std::uint8_t status = Status(m);
    if (status == 0xF1 || status == 0xF2 || status == 0xF3 || status == 0xF6) return true;
    if (m == 0xF8 || m == 0xFA || m == 0xFB || m == 0xFC || m == 0xFE || m == 0xFF) return true;
    return Kind(m) == 0xB0 && Data1(m) > 120;
}

}  // namespace

Recorder::Recorder(Engine& engine, ShortMessageSink& out, Notifier& notifier, std::size_t ringSize)
    : engine_(engine),
      out_(out),
      notifier_(notifier),
      filters_(&passThrough_),
      ringSize_(ringSize) {
    engine_.SetRecorder(this);
}

Recorder::~Recorder() {
    engine_.SetRecorder(nullptr);
}

void Recorder::SetFilters(MidiInFilters* filters) {
    filters_ = filters != nullptr ? filters : &passThrough_;
}

void Recorder::SetCurrentTrack(std::int32_t track, std::uint16_t port, std::uint16_t channel) {
    currentTarget_ = track < 0 ? 0 : PackTarget(static_cast<std::uint32_t>(track), port, channel);
}

void Recorder::SetThru(bool on) {
    if (!on) ThruNotesOff();
    thru_ = on;
    std::lock_guard<std::mutex> lock(thruMutex_);
    thruTracker_.Reset();
}

void Recorder::ThruNotesOff() {
    if (!thru_) return;
    std::lock_guard<std::mutex> lock(thruMutex_);
    // Each note goes off where thru sent it, whichever track is current now.
    thruTracker_.ForEachRelease(
        [this](std::uint32_t message, std::uint32_t port) { out_.SendShort(message, port); });
    thruTracker_.Reset();
}

const Track* Recorder::Take() const {
    return takes_.empty() ? nullptr : takes_.back().take.get();
}

bool Recorder::StartRecord(std::uint32_t beat) {
    if (engine_.State() != EngineState::Stop || song_ == nullptr) return false;
    const Target current = Unpack(currentTarget_);
    if (!current.set) return false;
    const std::uint32_t track =
        static_cast<std::uint32_t>(currentTarget_.load() >> 32) & 0x7FFFFFFF;
    if (song_->GetTrack(track) == nullptr) return false;
    for (std::uint32_t i = 0; i < song_->TrackCount(); ++i)
        song_->GetTrack(i)->Notes().Reset();
    std::uint32_t origin = beat;
    const std::uint32_t left = song_->markers[kMarkerLeft];
    const std::uint32_t right = song_->markers[kMarkerRight];
    if (song_->loop != 0 && left != kUnsetMarker && right != kUnsetMarker && right > left &&
        left < origin)
        origin = left;
    if (!Begin(Mode::Record, track, origin)) return false;
    engine_.StartRecord(beat);
    if (engine_.State() == EngineState::Stop) Finish();
    return mode_ == Mode::Record;
}

bool Recorder::StartStepRecord(std::uint32_t track, std::uint32_t beat, std::uint32_t noteLength,
                               std::uint32_t stepSize) {
    if (engine_.State() != EngineState::Stop || song_ == nullptr) return false;
    if (song_->GetTrack(track) == nullptr) return false;
    stepNoteLength_ = noteLength;
    stepSize_ = stepSize;
    if (!Begin(Mode::Step, track, beat)) return false;
    engine_.StartStepRecord(beat);
    return true;
}

bool Recorder::Begin(Mode mode, std::uint32_t track, std::uint32_t origin) {
    if (ringStore_ == nullptr) {
        // Kept for every later recording: an input thread may still hold it.
        try {
            ringStore_ = std::make_unique<MpmcRing<StampedInput>>(ringSize_);
        } catch (const std::bad_alloc&) {
            return false;
        }
        ring_ = ringStore_.get();
    }
    std::unique_ptr<Track> take = NewTake();
    if (take == nullptr) return false;
    // Whatever a late input thread pushed after the last recording ended.
    StampedInput stale;
    while (ringStore_->TryPop(&stale)) {
    }
    {
        std::lock_guard<std::mutex> lock(sysexMutex_);
        sysexWaiting_.clear();
        sysexWaitingBytes_ = 0;
    }
    const Track& t = *song_->GetTrack(track);
    recordTrack_ = track;
    takeOrigin_ = origin;
    mode_ = mode;
    confirm_ = engine_.Options().confirmRecord;
    takes_.clear();
    takes_.push_back(PassTake{engine_.LoopPass(), std::move(take)});
    recordTarget_ = PackTarget(track, t.properties.port, t.properties.channel);
    recording_ = recording_ + 1;
    return true;
}

void Recorder::Finish() {
    takes_.clear();
    mode_ = Mode::None;
    recordTarget_ = 0;
}

bool Recorder::OnNotification(const Notification& n) {
    if (n.id != ENGINE_NOTIFY || mode_ == Mode::None) return false;
    switch (n.code) {
        case kNotifyBeat:
        case kNotifyRecordInput:
            Drain();
            return true;
        case kNotifyLoopWrap:
            Drain();
            if (!confirm_ && mode_ == Mode::Record) CommitPassesBefore(engine_.LoopPass());
            return true;
        default:
            return false;
    }
}

void Recorder::Drain() {
    MpmcRing<StampedInput>* ring = ringStore_.get();
    if (ring == nullptr || mode_ == Mode::None) return;
    const std::uint32_t current = recording_;
    // Only what is there now: under a flood of input the ring never runs
    // empty, and the window thread must get back to its other work.
    std::size_t budget = ring->Size();
    StampedInput in;
    while (budget-- != 0 && ring->TryPop(&in)) {
        if ((in.tag >> 1) == current) {
            Apply(in);
            // A step that ended the recording (a failed take) drops the rest.
            if (mode_ == Mode::None) return;
        } else if ((in.tag & 1u) != 0) {
            std::lock_guard<std::mutex> lock(sysexMutex_);
            if (!sysexWaiting_.empty()) {
                sysexWaitingBytes_ -= sysexWaiting_.front().size();
                sysexWaiting_.pop_front();
            }
        }
    }
}

void Recorder::Apply(const StampedInput& in) {
    if ((in.tag & 1u) != 0) {
        std::vector<std::uint8_t> bytes;
        {
            std::lock_guard<std::mutex> lock(sysexMutex_);
            if (sysexWaiting_.empty()) return;
            bytes = std::move(sysexWaiting_.front());
            sysexWaiting_.pop_front();
            sysexWaitingBytes_ -= bytes.size();
        }
        if (mode_ == Mode::Record) RecordSysex(std::move(bytes), in.tick, in.pass);
        return;
    }
    if (mode_ == Mode::Record)
        RecordEvent(in.message, in.tick, in.pass);
    else if (mode_ == Mode::Step)
        StepRecordEvent(in.message);
}

void Recorder::OnShortMessage(std::uint32_t, std::uint32_t message) {
    HandleShort(message);
}

void Recorder::OnSysexBuffer(std::uint32_t, std::span<const std::uint8_t> bytes) {
    HandleSysex(bytes);
}

void Recorder::HandleShort(std::uint32_t word) {
    const EngineState state = engine_.State();
    const bool recording = state == EngineState::Record || state == EngineState::StepRec;
    const Target target = Unpack(recording ? recordTarget_ : currentTarget_);
    if (!target.set) return;
    std::uint32_t m = word & 0xFFFFFF;
    if (Unwanted(m)) return;
    if (Kind(m) == 0x90 && Data2(m) == 0) m = (m & 0xFFEF) | 0x400000;
    const bool suspended = inputSuspended_;
    if (!suspended && filters_.load()->KeyCommand(m)) return;
    // System messages have no channel to replace.
    if (target.channel != kNoChannel && Status(m) < 0xF0) m = (m & ~0xFu) | (target.channel & 0xF);
    m = filters_.load()->Assign(m);
    // An assignment may have made a tempo or meter event: nothing to send.
    if (thru_ && Status(m) >= 0x80) {
        out_.SendShort(m, target.port);
        std::lock_guard<std::mutex> lock(thruMutex_);
        thruTracker_.Observe(m, target.port);
    }
    if (midiInDialogs_ && midiInDialog_ != 0) notifier_.Post(MIDI_IN_MESSAGE, m);
    if (Kind(m) != 0x80) (void)engine_.SynchroStart();
    if (suspended) return;
    const EngineState now = engine_.State();
    if (now == EngineState::Record) {
        const Engine::InputStamp stamp = engine_.StampInput();
        (void)Push(StampedInput{m, stamp.tick, stamp.pass, recording_ << 1});
    } else if (now == EngineState::StepRec) {
        if (Push(StampedInput{m, 0, 0, recording_ << 1}))
            notifier_.Post(ENGINE_NOTIFY, kNotifyRecordInput);
    }
}

void Recorder::HandleSysex(std::span<const std::uint8_t> bytes) {
    const EngineState state = engine_.State();
    const bool recording = state == EngineState::Record || state == EngineState::StepRec;
    const Target target = Unpack(recording ? recordTarget_ : currentTarget_);
    if (!target.set || bytes.empty()) return;
    if (state != EngineState::Record || inputSuspended_) return;
    MpmcRing<StampedInput>* ring = ring_;
    if (ring == nullptr) return;
    std::vector<std::uint8_t> copy;
    try {
        copy.assign(bytes.begin(), bytes.end());
    } catch (const std::bad_alloc&) {
        overflowed_ += 1;
        return;
    }
    // Block and stamp go in together, so that blocks and stamps pair up in
    // the same order whatever the other input threads do.
    std::lock_guard<std::mutex> lock(sysexMutex_);
    if (sysexWaitingBytes_ + copy.size() > kMaxWaitingSysexBytes) {
        overflowed_ += 1;
        return;
    }
    const Engine::InputStamp stamp = engine_.StampInput();
    const std::size_t size = copy.size();
    try {
        sysexWaiting_.push_back(std::move(copy));
    } catch (const std::bad_alloc&) {
        overflowed_ += 1;
        return;
    }
    if (ring->TryPush(StampedInput{0, stamp.tick, stamp.pass, recording_ << 1 | 1u}) !=
        MpmcRing<StampedInput>::Push::Ok) {
        sysexWaiting_.pop_back();
        overflowed_ += 1;
        return;
    }
    sysexWaitingBytes_ += size;
}

bool Recorder::Push(const StampedInput& in) {
    MpmcRing<StampedInput>* ring = ring_;
    if (ring != nullptr && ring->TryPush(in) == MpmcRing<StampedInput>::Push::Ok) return true;
    overflowed_ += 1;
    return false;
}

void Recorder::EndTake(bool commit, std::uint32_t position) {
    if (mode_ == Mode::None) return;
    Drain();
    if (commit) {
        if (mode_ == Mode::Record && !confirm_) {
            // Passes whose wrap was not seen yet end at Right.
            CommitPassesBefore(engine_.LoopPass());
        }
        // An overdub that has wrapped holds the whole loop, not just the
        // beats up to where it stopped.
        const std::uint32_t right = song_->markers[kMarkerRight];
        if (mode_ == Mode::Record && confirm_ && !takes_.empty() &&
            takes_.front().pass != engine_.LoopPass() && right != kUnsetMarker && right != 0)
            position = std::max(position, right * TICKS_PER_BEAT - 1);
        for (PassTake& p : takes_) {
            if (!CommitTake(*p.take, position)) break;
        }
    }
    Finish();
}

}  // namespace kvs

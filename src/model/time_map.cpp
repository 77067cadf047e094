#include "model/time_map.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "model/song.h"
#include "model/track.h"

namespace kvs {
namespace {

constexpr std::uint32_t kDefaultTempo = 100;
constexpr double kMsPerMinute = 60000.0;
constexpr std::uint64_t kWholeNoteTicks = 4 * TICKS_PER_BEAT;
constexpr std::uint32_t kMaxTick = std::numeric_limits<Tick>::max();

struct MapEvent {
    Tick tick;
    std::uint32_t message;
};

// Steps through the tempo or time-signature events of track 0 in bucket order.
class MapWalker {
  public:
    MapWalker(const Song& song, std::uint8_t status) : track_(song.GetTrack(0)), status_(status) {}

    std::optional<MapEvent> Next() {
        if (track_ == nullptr) return std::nullopt;
        EventSearch search;
        search.value = status_;
        search.mask = 0xF0;
        if (!started_) {
            started_ = true;
            // A forward search never looks at the event it starts from, so the
            // track's very first event is checked here; otherwise a tempo or
            // meter opening track 0 (as in every single-track file) would not
            // count, while playback obeys it.
            const BeatBucket* first = track_->Bucket(0);
            if (first != nullptr && !first->Empty() && Kind((*first)[0].message) == status_) {
                at_ = EventPos{0, 0};
                return EventAt(at_);
            }
            search.startTick = 0;
        } else {
            search.startTick = -1;
            search.startBeat = at_.beat;
            search.startIndex = at_.index;
        }
        if (!track_->FindEvent(search) || !search.found.Found()) return std::nullopt;
        at_ = search.found;
        return EventAt(at_);
    }

  private:
    std::optional<MapEvent> EventAt(EventPos pos) const {
        const BeatBucket* bucket = track_->Bucket(static_cast<std::uint32_t>(pos.beat));
        if (bucket == nullptr || static_cast<std::uint32_t>(pos.index) >= bucket->Count()) {
            return std::nullopt;
        }
        const Event& e = (*bucket)[static_cast<std::uint32_t>(pos.index)];
        const std::uint64_t tick =
            std::uint64_t{TICKS_PER_BEAT} * static_cast<std::uint32_t>(pos.beat) + e.offset;
        return MapEvent{static_cast<Tick>(std::min<std::uint64_t>(tick, kMaxTick)), e.message};
    }

    const Track* track_;
    std::uint8_t status_;
    bool started_ = false;
    EventPos at_;
};

// Events inside one bucket are not necessarily sorted, so the next event can
// lie before the position already reached; it then takes effect there.
Tick SegmentEnd(const std::optional<MapEvent>& event, Tick from, Tick target) {
    if (!event) return target;
    return std::clamp(event->tick, from, target);
}

// Milliseconds of a stretch of ticks at one tempo. Here and in the reverse
// the whole numbers are multiplied first and divided once, so a result that
// is whole stays whole: 600 ms at 100 bpm are 192 ticks, not 191.99999.
double SegmentMs(double ticks, double bpm) {
    return ticks * kMsPerMinute / (TICKS_PER_BEAT * bpm);
}

double InitialTempo(const Song& song) {
    return song.tempo != 0 ? song.tempo : kDefaultTempo;
}

std::uint32_t TempoOf(std::uint32_t message) {
    return message >> 8;
}

std::uint32_t SaturateU32(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= static_cast<double>(kMaxTick)) return kMaxTick;
    return static_cast<std::uint32_t>(value);
}

std::uint32_t SaturateU32(std::uint64_t value) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, kMaxTick));
}

struct Meter {
    std::uint64_t num;
    std::uint64_t unit;  // ticks per beat of the signature
    std::uint64_t BarLength() const { return num * unit; }
};

// A numerator of 0, one that no file could hold, or a denominator finer than
// a tick cannot count bars; such a signature is passed over.
std::optional<Meter> UsableMeter(std::uint32_t num, std::uint32_t denExp) {
    if (num == 0 || num > 255 || denExp > 9) return std::nullopt;
    return Meter{num, kWholeNoteTicks >> denExp};
}

Meter InitialMeter(const Song& song) {
    return UsableMeter(song.timeSigNumerator, song.timeSigDenominatorExp)
        .value_or(Meter{4, TICKS_PER_BEAT});
}

std::optional<Meter> MeterOf(std::uint32_t message) {
    return UsableMeter(Data1(message), Data2(message));
}

}  // namespace

std::uint32_t TicksToMs(const Song& song, Tick tick) {
    double ms = 0.0;
    double bpm = InitialTempo(song);
    Tick p = 0;
    MapWalker tempos(song, EVT_TEMPO);
    while (p < tick) {
        const std::optional<MapEvent> event = tempos.Next();
        const Tick end = SegmentEnd(event, p, tick);
        ms += SegmentMs(end - p, bpm);
        p = end;
        if (event && TempoOf(event->message) != 0) bpm = TempoOf(event->message);
    }
    return SaturateU32(std::trunc(ms));
}

Tick MsToTicks(const Song& song, std::uint32_t ms) {
    const double target = ms;
    double elapsed = 0.0;  // milliseconds
    double ticks = 0.0;    // whole ticks only
    double bpm = InitialTempo(song);
    MapWalker tempos(song, EVT_TEMPO);
    while (target > elapsed) {
        const std::optional<MapEvent> event = tempos.Next();
        if (event) {
            const double e = std::max<double>(event->tick, ticks);
            const double eventTime = elapsed + SegmentMs(e - ticks, bpm);
            if (!(target < eventTime)) {
                // Landing on the event exactly: its tick, not a rounded-down
                // recomputation that could lose a tick at every tempo change.
                ticks = e;
                elapsed = eventTime;
                if (TempoOf(event->message) != 0) bpm = TempoOf(event->message);
                continue;
            }
        }
        ticks += std::trunc((target - elapsed) * TICKS_PER_BEAT * bpm / kMsPerMinute);
        elapsed = target;
    }
    return SaturateU32(ticks);
}

BarBeat TicksToBarBeat(const Song& song, Tick tick) {
    Meter meter = InitialMeter(song);
    std::uint64_t bar = 1;
    std::uint64_t beat = 1;
    Tick p = 0;
    MapWalker signatures(song, EVT_TIMESIG);
    while (p < tick) {
        const std::optional<MapEvent> event = signatures.Next();
        const Tick end = SegmentEnd(event, p, tick);
        if (beat != 1) {
            // A signature change always opens a new bar.
            ++bar;
            beat = 1;
        }
        const std::uint64_t length = end - p;
        bar += length / meter.BarLength();
        beat += length % meter.BarLength() / meter.unit;
        p = end;
        if (event) meter = MeterOf(event->message).value_or(meter);
    }
    return BarBeat{SaturateU32(bar), SaturateU32(beat)};
}

Tick BarBeatToTicks(const Song& song, std::uint32_t bar, std::uint32_t beat) {
    const std::uint64_t targetBar = bar;
    const std::uint64_t targetBeat = beat;
    Meter meter = InitialMeter(song);
    // Beats may run past the bar or fall before the current one, so the
    // position is signed and wide; it is clamped to a tick at the end.
    std::int64_t p = 0;
    std::uint64_t cb = 1;
    std::uint64_t cbt = 1;
    MapWalker signatures(song, EVT_TIMESIG);
    while (cb < targetBar + 1 && (cb < targetBar || cbt < targetBeat)) {
        const std::uint64_t barLen = meter.BarLength();
        const std::optional<MapEvent> event = signatures.Next();
        std::uint64_t tb = targetBar;
        std::uint64_t tbt = targetBeat;
        bool atEvent = false;
        if (event) {
            const std::int64_t e = event->tick;
            const std::uint64_t d = e > p ? static_cast<std::uint64_t>(e - p) : 0;
            const std::uint64_t eb = cb + d / barLen;
            const std::uint64_t ebt = cbt + d % barLen / meter.unit;
            if (!(targetBar < eb || (targetBar <= eb && targetBeat <= ebt))) {
                tb = eb;
                tbt = ebt;
                atEvent = true;
            }
        }
        p += (static_cast<std::int64_t>(tb) - static_cast<std::int64_t>(cb)) *
                 static_cast<std::int64_t>(barLen) +
             (static_cast<std::int64_t>(tbt) - static_cast<std::int64_t>(cbt)) *
                 static_cast<std::int64_t>(meter.unit);
        cb = tb;
        cbt = tbt;
        if (atEvent) {
            if (const std::optional<Meter> next = MeterOf(event->message)) {
                meter = *next;
                if (cbt != 1) {
                    cbt = 1;
                    ++cb;
                }
            }
        }
    }
    return static_cast<Tick>(std::clamp<std::int64_t>(p, 0, kMaxTick));
}

}  // namespace kvs

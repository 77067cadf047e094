#include "smf_generator.h"

#include <cstddef>

namespace kvs::bench {
namespace {

class Smf {
  public:
    Smf(int format, int tracks, int division) {
        Text("MThd");
        BE32(6);
        BE16(static_cast<std::uint16_t>(format));
        BE16(static_cast<std::uint16_t>(tracks));
        BE16(static_cast<std::uint16_t>(division));
    }
    void BeginTrack() {
        Text("MTrk");
        lengthAt_ = bytes_.size();
        BE32(0);
        runningStatus_ = 0;
    }
    void EndTrack() {
        Delta(0);
        Byte(0xFF);
        Byte(0x2F);
        Byte(0x00);
        const std::size_t len = bytes_.size() - lengthAt_ - 4;
        for (int i = 0; i < 4; ++i)
            bytes_[lengthAt_ + i] = static_cast<std::uint8_t>(len >> (24 - 8 * i));
    }
    void Channel(std::uint32_t delta, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
        Delta(delta);
        if (status != runningStatus_) Byte(status);
        runningStatus_ = status;
        Byte(d1);
        if ((status & 0xE0) != 0xC0) Byte(d2);
    }
    void Tempo(std::uint32_t bpm) {
        Delta(0);
        const std::uint32_t us = 60000000 / bpm;
        for (std::uint8_t b : {0xFF, 0x51, 0x03})
            Byte(b);
        Byte(static_cast<std::uint8_t>(us >> 16));
        Byte(static_cast<std::uint8_t>(us >> 8));
        Byte(static_cast<std::uint8_t>(us));
    }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  private:
    void Byte(std::uint8_t b) { bytes_.push_back(b); }
    void Text(const char* s) {
        while (*s)
            Byte(static_cast<std::uint8_t>(*s++));
    }
    void BE16(std::uint16_t v) {
        Byte(static_cast<std::uint8_t>(v >> 8));
        Byte(static_cast<std::uint8_t>(v));
    }
    void BE32(std::uint32_t v) {
        BE16(static_cast<std::uint16_t>(v >> 16));
        BE16(static_cast<std::uint16_t>(v));
    }
    void Delta(std::uint32_t v) {
        std::uint8_t buf[4];
        int n = 0;
        buf[n++] = v & 0x7F;
        while ((v >>= 7) != 0)
            buf[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
        while (n > 0)
            Byte(buf[--n]);
    }

    std::vector<std::uint8_t> bytes_;
    std::size_t lengthAt_ = 0;
    std::uint8_t runningStatus_ = 0;
};

// A cheap, fixed pseudo-random sequence so every run measures the same file.
struct Lcg {
    std::uint32_t state = 12345;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

}  // namespace

std::vector<std::uint8_t> MakeLongTrackFile() {
    Smf smf(1, 1, 480);
    smf.BeginTrack();
    smf.Tempo(120);
    Lcg rng;
    for (int i = 0; i < 1000000; ++i) {
        const std::uint8_t key = static_cast<std::uint8_t>(48 + rng.Next() % 36);
        // Explicit note offs: status alternates, so every event carries it.
        smf.Channel(60 + rng.Next() % 60, 0x90, key,
                    static_cast<std::uint8_t>(40 + rng.Next() % 80));
        smf.Channel(rng.Next() % 10 < 7 ? 130 + rng.Next() % 200 : 60, 0x80, key, 64);
    }
    smf.EndTrack();
    return smf.Take();
}

std::vector<std::uint8_t> MakeManyTracksFile() {
    constexpr int kTracks = 128;
    constexpr int kEventsPerTrack = 2000000 / kTracks;
    Smf smf(1, kTracks, 192);
    Lcg rng;
    for (int t = 0; t < kTracks; ++t) {
        const std::uint8_t ch = static_cast<std::uint8_t>(t % 16);
        smf.BeginTrack();
        int events = 0;
        while (events < kEventsPerTrack) {
            if (rng.Next() % 16 == 0) {
                smf.Channel(0, 0xB0 | ch, 7, static_cast<std::uint8_t>(rng.Next() % 128));
                ++events;
                continue;
            }
            const std::uint8_t key = static_cast<std::uint8_t>(36 + rng.Next() % 60);
            // Note off as a velocity-0 note on: running status keeps events at 3 bytes.
            smf.Channel(rng.Next() % 96, 0x90 | ch, key, 100);
            smf.Channel(24 + rng.Next() % 72, 0x90 | ch, key, 0);
            events += 2;
        }
        smf.EndTrack();
    }
    return smf.Take();
}

std::vector<std::uint8_t> MakeFormat0File() {
    Smf smf(0, 1, 96);
    smf.BeginTrack();
    Lcg rng;
    for (int i = 0; i < 500000; ++i) {
        const std::uint8_t ch = static_cast<std::uint8_t>(i % 16);
        const std::uint8_t key = static_cast<std::uint8_t>(36 + rng.Next() % 60);
        smf.Channel(rng.Next() % 24, 0x90 | ch, key, 90);
        smf.Channel(rng.Next() % 24, 0x80 | ch, key, 0);
    }
    smf.EndTrack();
    return smf.Take();
}

}  // namespace kvs::bench

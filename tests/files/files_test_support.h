#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_test_support.h"
#include "model/song.h"
#include "model/track_fixture.h"

namespace kvs::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}
// Bytes from pairs of hex digits; spaces are ignored.
inline Bytes Hex(std::string_view hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += hex[i] == ' ' ? 1 : 2)
        if (hex[i] != ' ')
            out.push_back(
                static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}
inline Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline void WriteRaw(const std::string& path, const Bytes& bytes, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    ::chmod(path.c_str(), mode);
}

// A fresh folder per test, removed with everything in it.
class TempDirTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return folder_.Path(name); }

    TempFolder folder_;
    const std::string dir_ = folder_.Root().string();
};

// The track at index; a missing track ends the test program (and tells the
// compiler the result is never null).
inline Track& TrackAt(Song& song, std::uint32_t index) {
    Track* track = song.GetTrack(index);
    if (track == nullptr) std::abort();
    return *track;
}

inline Track& AddTrack(Song& song) {
    song.InsertTrack();
    return TrackAt(song, song.TrackCount() - 1);
}

// One event as a reader sees it: its absolute tick and message, with a SysEx
// event's id replaced by its bytes (ids are the table's business).
struct FlatEvent {
    std::uint64_t tick;
    std::uint32_t message;
    std::vector<std::uint8_t> sysex;
    friend bool operator==(const FlatEvent&, const FlatEvent&) = default;
};

inline std::vector<FlatEvent> FlatEvents(const Track& track) {
    std::vector<FlatEvent> events;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        for (const Event& e : *track.Bucket(beat)) {
            FlatEvent flat{std::uint64_t{beat} * TICKS_PER_BEAT + e.offset, e.message, {}};
            if (IsSysex(e.message)) {
                const SysexBlock* block = track.Sysex().Find(SysexId(e.message));
                flat.message = EVT_SYSEX;
                if (block != nullptr) flat.sysex = block->bytes;
            }
            events.push_back(std::move(flat));
        }
    }
    return events;
}

// Field by field and event by event, naming the first difference.
inline ::testing::AssertionResult SameSong(const Song& a, const Song& b) {
    auto differ = [](const std::string& what) {
        return ::testing::AssertionFailure() << what << " differs";
    };
    if (a.tempo != b.tempo) return differ("tempo");
    if (a.timeSigNumerator != b.timeSigNumerator) return differ("time signature numerator");
    if (a.timeSigDenominatorExp != b.timeSigDenominatorExp)
        return differ("time signature denominator");
    if (a.name != b.name) return differ("song name");
    if (a.copyright != b.copyright) return differ("copyright");
    for (std::uint32_t i = 0; i < kMarkerCount; ++i)
        if (a.markers[i] != b.markers[i]) return differ("marker slot " + std::to_string(i));
    if (a.loop != b.loop) return differ("loop flag");
    if (a.TrackCount() != b.TrackCount()) return differ("track count");
    for (std::uint32_t t = 0; t < a.TrackCount(); ++t) {
        const std::string track = "track " + std::to_string(t) + " ";
        if (!(a.GetTrack(t)->properties == b.GetTrack(t)->properties))
            return differ(track + "properties");
        if (!(FlatEvents(*a.GetTrack(t)) == FlatEvents(*b.GetTrack(t))))
            return differ(track + "events");
    }
    return ::testing::AssertionSuccess();
}

}  // namespace kvs::test

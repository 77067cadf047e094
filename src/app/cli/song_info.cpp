#include "app/cli/song_info.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/song.h"
#include "model/time_map.h"
#include "model/track.h"
#include "model/value_format.h"

namespace kvs {
namespace {

// Names come from files: control bytes must not reach a terminal, where
// an escape sequence could rewrite the screen.
std::string Printable(std::string_view text) {
    std::string s(text);
    for (char& ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) ch = '?';
    }
    return s;
}

std::string OrNone(std::string_view text) {
    return text.empty() ? "(none)" : Printable(text);
}

std::string TimeSignatureText(const Song& song) {
    std::string s = std::to_string(song.timeSigNumerator) + "/";
    // A file may carry any exponent byte; only sensible ones become a number.
    if (song.timeSigDenominatorExp < 32) {
        s += std::to_string(std::uint64_t{1} << song.timeSigDenominatorExp);
    } else {
        s += "2^" + std::to_string(song.timeSigDenominatorExp);
    }
    return s;
}

std::string PadLeft(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string PadRight(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

void PrintTrackTable(const Song& song, std::ostream& out) {
    struct Row {
        std::string index, name, channel, port, events;
    };
    std::vector<Row> rows;
    rows.push_back({"#", "Name", "Channel", "Port", "Events"});
    for (std::uint32_t t = 0; t < song.TrackCount(); ++t) {
        const Track& track = *song.GetTrack(t);
        const TrackProperties& p = track.properties;
        rows.push_back({std::to_string(t + 1), Printable(p.name.View()),
                        p.channel == kNoChannel ? "--" : std::to_string(p.channel + 1),
                        std::to_string(p.port), std::to_string(track.EventCount())});
    }
    std::size_t w[5] = {};
    for (const Row& r : rows) {
        w[0] = std::max(w[0], r.index.size());
        w[1] = std::max(w[1], r.name.size());
        w[2] = std::max(w[2], r.channel.size());
        w[3] = std::max(w[3], r.port.size());
        w[4] = std::max(w[4], r.events.size());
    }
    for (const Row& r : rows) {
        out << "  " << PadLeft(r.index, w[0]) << "  " << PadRight(r.name, w[1]) << "  "
            << PadLeft(r.channel, w[2]) << "  " << PadLeft(r.port, w[3]) << "  "
            << PadLeft(r.events, w[4]) << "\n";
    }
}

}  // namespace

void PrintSongInfo(const Song& song, std::ostream& out) {
    const std::uint64_t endTick64 = std::uint64_t{song.SongLengthBeats()} * TICKS_PER_BEAT;
    const Tick endTick = static_cast<Tick>(std::min<std::uint64_t>(endTick64, UINT32_MAX));
    const BarBeat end = TicksToBarBeat(song, endTick);

    out << "Name:       " << OrNone(song.name.View()) << "\n";
    out << "Copyright:  " << OrNone(song.copyright.View()) << "\n";
    out << "Tempo:      " << song.tempo << " bpm\n";
    out << "Time sig:   " << TimeSignatureText(song) << "\n";
    out << "Length:     " << end.bar - 1 << ":" << end.beat - 1 << " (bars:beats)\n";
    out << "Duration:   " << FormatTime(TicksToMs(song, endTick)) << "\n";
    out << "Tracks:     " << song.TrackCount() << "\n";
    if (song.TrackCount() != 0) {
        out << "\n";
        PrintTrackTable(song, out);
    }
}

}  // namespace kvs

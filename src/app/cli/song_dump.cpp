#include "app/cli/song_dump.h"

#include <charconv>
#include <cstdint>

#include "model/song.h"
#include "model/track.h"

namespace kvs {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& s, std::uint8_t b) {
    s += kHexDigits[b >> 4];
    s += kHexDigits[b & 0x0F];
}

void AppendHex32(std::string& s, std::uint32_t v) {
    for (int shift = 28; shift >= 0; shift -= 4)
        s += kHexDigits[(v >> shift) & 0x0F];
}

template <typename T>
void AppendNumber(std::string& s, T v) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof(buf), v);
    s.append(buf, res.ptr);
}

// Dumps of big songs run to millions of lines; collecting them in one string
// and handing it over in blocks keeps the stream overhead off every line.
constexpr std::size_t kFlushSize = 1 << 16;

void FlushIfFull(std::string& s, std::ostream& out) {
    if (s.size() < kFlushSize) return;
    out.write(s.data(), static_cast<std::streamsize>(s.size()));
    s.clear();
}

void AppendSongLine(std::string& s, const Song& song) {
    s += "song tempo=";
    AppendNumber(s, song.tempo);
    s += " timesig=";
    AppendNumber(s, song.timeSigNumerator);
    s += '/';
    AppendNumber(s, song.timeSigDenominatorExp);
    s += " loop=";
    s += song.loop != 0 ? '1' : '0';
    s += " name=";
    s += QuoteText(song.name.View());
    s += " copyright=";
    s += QuoteText(song.copyright.View());
    s += '\n';

    s += "markers";
    for (const std::uint32_t beat : song.markers) {
        s += ' ';
        if (beat == kUnsetMarker) {
            s += '-';
        } else {
            AppendNumber(s, beat);
        }
    }
    s += '\n';
}

void AppendTrackLine(std::string& s, std::uint32_t index, const Track& track) {
    const TrackProperties& p = track.properties;
    s += "track ";
    AppendNumber(s, index);
    s += " name=";
    s += QuoteText(p.name.View());
    s += " channel=";
    if (p.channel == kNoChannel) {
        s += '-';
    } else {
        AppendNumber(s, p.channel);
    }
    s += " port=";
    AppendNumber(s, p.port);
    const std::pair<const char*, std::int16_t> values[] = {
        {" program=", p.program}, {" bank=", p.bank},     {" volume=", p.volume},
        {" pan=", p.pan},         {" reverb=", p.reverb}, {" chorus=", p.chorus},
    };
    for (const auto& [label, value] : values) {
        s += label;
        AppendNumber(s, static_cast<int>(value));
    }
    s += " muted=";
    s += p.muted != 0 ? '1' : '0';
    s += " beats=";
    AppendNumber(s, track.BeatCount());
    s += '\n';
}

void AppendEventLine(std::string& s, const Track& track, std::uint64_t tick,
                     std::uint32_t message) {
    s += "  ";
    AppendNumber(s, tick);
    s += ' ';
    AppendHex32(s, message);
    if (IsSysex(message)) {
        s += " sysex";
        if (const SysexBlock* block = track.Sysex().Find(SysexId(message))) {
            for (const std::uint8_t b : block->bytes) {
                s += ' ';
                AppendHexByte(s, b);
            }
        }
    }
    s += '\n';
}

}  // namespace

std::string QuoteText(std::string_view text) {
    std::string s;
    s.reserve(text.size() + 2);
    s += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '"') {
            s += '\\';
            s += ch;
        } else if (c < 0x20 || c > 0x7E) {
            s += "\\x";
            AppendHexByte(s, c);
        } else {
            s += ch;
        }
    }
    s += '"';
    return s;
}

void DumpSong(const Song& song, std::ostream& out) {
    std::string s;
    s.reserve(kFlushSize + 4096);
    AppendSongLine(s, song);
    for (std::uint32_t t = 0; t < song.TrackCount(); ++t) {
        const Track& track = *song.GetTrack(t);
        AppendTrackLine(s, t, track);
        for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
            const std::uint64_t beatTick = std::uint64_t{beat} * TICKS_PER_BEAT;
            for (const Event& e : *track.Bucket(beat)) {
                AppendEventLine(s, track, beatTick + e.offset, e.message);
                FlushIfFull(s, out);
            }
        }
    }
    out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

}  // namespace kvs

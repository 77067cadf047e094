#include "model/song.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <string_view>

namespace kvs {

namespace {

// Case-insensitive first, so "bass" and "Bass 2" sit together; where two
// names differ only in case, lower case goes first.
int CompareNames(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int fa = fold(a[i]);
        const int fb = fold(b[i]);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        return std::islower(static_cast<unsigned char>(a[i])) ? -1 : 1;
    }
    return 0;
}

bool TrackLess(const std::unique_ptr<Track>& a, const std::unique_ptr<Track>& b) {
    const TrackProperties& pa = a->properties;
    const TrackProperties& pb = b->properties;
    if (pa.port != pb.port) return pa.port < pb.port;
    if (pa.channel != pb.channel) return pa.channel < pb.channel;
    return CompareNames(pa.name.View(), pb.name.View()) < 0;
}

}  // namespace

Song::Song() {
    markers.fill(kUnsetMarker);
}

bool Song::InsertTrack(std::int32_t index) {
    const std::size_t at = index == -1 ? tracks_.size() : static_cast<std::size_t>(index);
    if (index < -1 || at > tracks_.size()) return false;
    try {
        tracks_.insert(tracks_.begin() + static_cast<std::ptrdiff_t>(at),
                       std::make_unique<Track>());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool Song::DeleteTrack(std::int32_t index) {
    const std::size_t at = index == -1 ? tracks_.size() - 1 : static_cast<std::size_t>(index);
    if (index < -1 || tracks_.empty() || at >= tracks_.size()) return false;
    tracks_.erase(tracks_.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

bool Song::MoveTrack(std::int32_t from, std::int32_t to) {
    if (tracks_.empty() || from < -1 || to < -1) return false;
    const std::size_t last = tracks_.size() - 1;
    const std::size_t f = from == -1 ? last : static_cast<std::size_t>(from);
    const std::size_t t = to == -1 ? last : static_cast<std::size_t>(to);
    if (f > last || t > last) return false;
    auto begin = tracks_.begin();
    if (f < t)
        std::rotate(begin + f, begin + f + 1, begin + t + 1);
    else if (f > t)
        std::rotate(begin + t, begin + f, begin + f + 1);
    return true;
}

void Song::SortTracks() {
    std::sort(tracks_.begin(), tracks_.end(), TrackLess);
}

std::uint32_t Song::SongLengthBeats() const {
    std::uint32_t beats = 0;
    for (const auto& track : tracks_)
        beats = std::max(beats, track->BeatCount());
    return beats;
}

std::unique_ptr<Track> Song::ReplaceTrack(std::uint32_t index, std::unique_ptr<Track> track) {
    if (index >= tracks_.size() || track == nullptr) return nullptr;
    tracks_[index].swap(track);
    return track;
}

void Song::SetMarker(std::uint32_t slot, std::uint32_t beat) {
    if (slot >= kMarkerCount) return;
    markers[slot] = beat;
    modified = 1;
}

void Song::SortMarkers() {
    std::sort(markers.begin() + kFirstMark, markers.end());
    modified = 1;
}

std::optional<std::uint32_t> Song::PrevMark(std::uint32_t beat) const {
    std::optional<std::uint32_t> best;
    for (std::uint32_t slot = kFirstMark; slot < kMarkerCount; ++slot) {
        const std::uint32_t mark = markers[slot];
        if (mark != kUnsetMarker && mark < beat && (!best || mark > *best)) best = mark;
    }
    return best;
}

std::optional<std::uint32_t> Song::NextMark(std::uint32_t beat) const {
    std::optional<std::uint32_t> best;
    for (std::uint32_t slot = kFirstMark; slot < kMarkerCount; ++slot) {
        const std::uint32_t mark = markers[slot];
        if (mark != kUnsetMarker && mark > beat && (!best || mark < *best)) best = mark;
    }
    return best;
}

bool Song::TrackSounds(std::uint32_t index, std::int32_t soloTrack) const {
    const Track* track = GetTrack(index);
    if (track == nullptr) return false;
    // A solo index left pointing past the list designates no track: no solo.
    const bool soloed = soloTrack >= 0 && static_cast<std::uint32_t>(soloTrack) < TrackCount();
    const bool isSolo = soloed && static_cast<std::uint32_t>(soloTrack) == index;
    if (soloed && !isSolo) return false;
    return track->properties.muted == 0 || isSolo;
}

}  // namespace kvs

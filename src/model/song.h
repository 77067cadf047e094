#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "model/fixed_text.h"
#include "model/track.h"

namespace kvs {

inline constexpr std::uint32_t kMarkerCount = 22;
inline constexpr std::uint32_t kMarkerLeft = 0;
inline constexpr std::uint32_t kMarkerRight = 1;
inline constexpr std::uint32_t kFirstMark = 2;  // slot of mark 0; marks 0-19 are slots 2-21
inline constexpr std::uint32_t kUnsetMarker = 0xFFFFFFFF;

// The one open document: the track list and the song-wide settings.
class Song {
  public:
    Song();
    Song(const Song&) = delete;
    Song& operator=(const Song&) = delete;

    std::uint32_t timeSigNumerator = 4;
    std::uint32_t timeSigDenominatorExp = 2;  // 2 = quarter
    std::uint32_t tempo = 100;                // beats per minute
    std::array<std::uint32_t, kMarkerCount> markers;
    FixedText<128> name;
    FixedText<128> copyright;
    std::uint32_t loop = 0;
    std::uint32_t modified = 0;

    bool InsertTrack(std::int32_t index = -1);  // a default track; -1 appends
    bool DeleteTrack(std::int32_t index = -1);  // -1 deletes the last
    bool MoveTrack(std::int32_t from, std::int32_t to);
    void SortTracks();
    Track* GetTrack(std::uint32_t index) {
        return index < tracks_.size() ? tracks_[index].get() : nullptr;
    }
    const Track* GetTrack(std::uint32_t index) const {
        return index < tracks_.size() ? tracks_[index].get() : nullptr;
    }
    std::uint32_t TrackCount() const { return static_cast<std::uint32_t>(tracks_.size()); }
    std::uint32_t SongLengthBeats() const;
    // Puts a track in place of the one at index and returns the old one.
    // Returns null and keeps the list as it was when index is out of range or
    // track is null (the given track is then destroyed).
    std::unique_ptr<Track> ReplaceTrack(std::uint32_t index, std::unique_ptr<Track> track);

    void SetMarker(std::uint32_t slot, std::uint32_t beat);
    void SortMarkers();
    std::optional<std::uint32_t> PrevMark(std::uint32_t beat) const;
    std::optional<std::uint32_t> NextMark(std::uint32_t beat) const;

    // During playback a track sounds when no track is soloed or it is the solo
    // track, and it is not muted or it is the solo track.
    bool TrackSounds(std::uint32_t index, std::int32_t soloTrack) const;

  private:
    std::vector<std::unique_ptr<Track>> tracks_;
};

}  // namespace kvs

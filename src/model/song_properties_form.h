#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kvs {

class Song;

// The Song Properties dialog: name and copyright to edit, totals to read.
class SongPropertiesForm {
  public:
    static constexpr std::size_t kTextChars = 127;

    explicit SongPropertiesForm(Song& song);

    const std::string& Name() const { return name_; }
    void SetName(std::string_view text);
    const std::string& Copyright() const { return copyright_; }
    void SetCopyright(std::string_view text);

    const std::string& TracksText() const { return tracks_; }
    const std::string& EventsText() const { return events_; }
    // Complete bars and beats of the song's length, "bars:beats".
    const std::string& LengthText() const { return length_; }
    const std::string& TimeText() const { return time_; }

    // Stores name and copyright and marks the song modified.
    void Ok();

  private:
    Song& song_;
    std::string name_;
    std::string copyright_;
    std::string tracks_;
    std::string events_;
    std::string length_;
    std::string time_;
};

}  // namespace kvs

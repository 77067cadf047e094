#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {

// Context help ("What's This") texts by help context number, read from
// popups.txt: one "NUMBER<TAB>text" per line, "\n" in the text for a line
// break, "\\" for a backslash, '#' starting a comment line. A malformed line
// is skipped; the first text of a number wins.
class HelpTexts {
  public:
    static constexpr std::size_t kMaxFileBytes = 1 << 20;
    static constexpr std::size_t kMaxTextBytes = 4000;

    static HelpTexts Parse(std::string_view data);
    // Empty when the file is missing, unreadable or larger than kMaxFileBytes.
    static HelpTexts Load(const std::string& path);

    // Empty for a number without text.
    std::string_view Text(std::uint32_t id) const;
    std::size_t Size() const { return entries_.size(); }

  private:
    struct Entry {
        std::uint32_t id;
        std::string text;
    };
    std::vector<Entry> entries_;  // sorted by id, unique
};

// Context numbers of the dialog controls that have no field help number of
// their own (value-dialog fields carry theirs in ValueField::helpId).
namespace help_id {
inline constexpr std::uint32_t kOk = 1;
inline constexpr std::uint32_t kCancel = 2;
inline constexpr std::uint32_t kHelp = 3;
inline constexpr std::uint32_t kPortList = 100;
inline constexpr std::uint32_t kGotoUnit = 110;
inline constexpr std::uint32_t kGotoNumber = 111;
inline constexpr std::uint32_t kFindKind = 120;
inline constexpr std::uint32_t kFindNumber = 121;
inline constexpr std::uint32_t kFindDirection = 122;
inline constexpr std::uint32_t kMarkerList = 130;
inline constexpr std::uint32_t kTipStartup = 140;
inline constexpr std::uint32_t kTipNext = 141;
inline constexpr std::uint32_t kZoomBeats = 150;
inline constexpr std::uint32_t kGotoTrack = 151;
inline constexpr std::uint32_t kCopies = 152;
inline constexpr std::uint32_t kMoveTrack = 153;
inline constexpr std::uint32_t kChoosePortList = 2551;
inline constexpr std::uint32_t kChoosePortRemember = 2552;
// The tools' own dialogs; a progression field's number is
// kProgressionFields plus its ProgressionField.
inline constexpr std::uint32_t kProgressionType = 2700;
inline constexpr std::uint32_t kProgressionFields = 2701;
inline constexpr std::uint32_t kProgressionWave = 2713;
inline constexpr std::uint32_t kProgressionLfoToValue = 2714;
inline constexpr std::uint32_t kProgressionLfoToVelocity = 2715;
inline constexpr std::uint32_t kProgressionFilter = 2716;
inline constexpr std::uint32_t kNoteTransformList = 2720;
inline constexpr std::uint32_t kNoteTransformKey = 2721;
inline constexpr std::uint32_t kInsertFileList = 2730;
inline constexpr std::uint32_t kInsertFileMode = 2731;
}  // namespace help_id

}  // namespace kvs

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_result.h"
#include "files/load_options.h"
#include "model/form_prompts.h"

namespace kvs {

class Song;
class Track;
class ToolTable;

namespace prompts {
inline constexpr PromptText kInsertFileTitle{"tools_insff_title", "Insert track from file"};
inline constexpr PromptText kInsertFileList{"tools_insff_listtext", "Select &track to insert:"};
inline constexpr PromptText kInsertFilePaste{"tools_insff_paste", "&Insert"};
inline constexpr PromptText kInsertFileMerge{"tools_insff_merge", "&Merge"};
}  // namespace prompts

enum class InsertMode : std::uint8_t { Insert, Merge };

// Insert: the destination's notes crossing beat are ended just before it and
// its beats from there move on by the source's length to make room. Merge:
// the source joins the events already there. False when the track would grow
// too long or memory runs out.
bool InsertTrackFrom(Track& dest, const Track& source, std::uint32_t beat, InsertMode mode);

// Loads a file as a source to insert from: no initial-settings scan takes
// events out of its tracks and no port is asked for.
ResultCode LoadInsertSource(const std::string& path, Song& song, LoadOptions options);

struct InsertChoice {
    std::uint32_t track = 0;
    InsertMode mode = InsertMode::Insert;
};

// The insert-from-file dialog without its widgets: the source song's track
// names with the first selected, and Insert chosen.
class InsertFromFileForm {
  public:
    explicit InsertFromFileForm(const Song& source);

    const std::vector<std::string>& Names() const { return names_; }
    // -1 for no selection; positions beyond the list are ignored.
    int Selection() const { return selection_; }
    void Select(int position);
    InsertMode Mode() const { return mode_; }
    void SetMode(InsertMode mode) { mode_ = mode; }

    // Typed choices (batch use): a track number counted from 1, and "insert"
    // or "merge" in any letter case. False, unchanged, for anything else.
    bool SetTrackText(std::string_view text);
    bool SetModeText(std::string_view text);

    // The selected track (the first when none is) and the mode.
    InsertChoice Ok() const;

  private:
    std::vector<std::string> names_;
    int selection_ = -1;
    InsertMode mode_ = InsertMode::Insert;
};

// Attaches the insert-from-file tool's code to its table entry.
void RegisterInsertFromFileTool(ToolTable& table);

}  // namespace kvs

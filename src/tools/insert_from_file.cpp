#include "tools/insert_from_file.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <span>

#include "files/song_file.h"
#include "model/song.h"
#include "model/track_copy.h"
#include "tools/run_tool.h"
#include "tools/tool_table.h"

namespace kvs {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The pass owns the chosen track: the song it came from is gone by then.
ToolPass PassFor(std::shared_ptr<const Track> source, InsertMode mode,
                 std::optional<std::uint32_t> anchor) {
    return [source, mode, anchor](Song& song, std::uint32_t index, const ToolRange& range) {
        Track* track = song.GetTrack(index);
        if (track == nullptr) return false;
        // Without a view, the selection's first beat stands for its anchor.
        InsertTrackFrom(*track, *source, anchor.value_or(range.firstBeat), mode);
        return true;
    };
}

// Takes the chosen track out of the temporary song.
std::shared_ptr<const Track> TakeTrack(Song& song, std::uint32_t index) {
    std::unique_ptr<Track> empty = std::make_unique<Track>();
    return song.ReplaceTrack(index, std::move(empty));
}

}  // namespace

bool InsertTrackFrom(Track& dest, const Track& source, std::uint32_t beat, InsertMode mode) {
    if (mode == InsertMode::Insert) {
        const std::uint32_t beats = source.BeatCount();
        if (beats == 0) return true;
        // Checked first so that a refusal leaves the notes crossing beat alone.
        if (std::uint64_t{std::max(beat, dest.BeatCount())} + beats > kMaxTrackBeats) return false;
        if (!dest.TruncateNotesAt(beat)) return false;
        if (beat < dest.BeatCount() && !dest.InsertBeats(beat, beats)) return false;
    }
    return MergeTrack(dest, source, beat);
}

ResultCode LoadInsertSource(const std::string& path, Song& song, LoadOptions options) {
    options.scanInit = 3;
    return LoadSongFile(path, song, options);
}

InsertFromFileForm::InsertFromFileForm(const Song& source) {
    for (std::uint32_t t = 0; t < source.TrackCount(); ++t)
        names_.emplace_back(source.GetTrack(t)->properties.name.View());
    if (!names_.empty()) selection_ = 0;
}

void InsertFromFileForm::Select(int position) {
    if (position >= -1 && position < static_cast<int>(names_.size())) selection_ = position;
}

bool InsertFromFileForm::SetTrackText(std::string_view text) {
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc{} || end != text.data() + text.size()) return false;
    if (number < 1 || number > static_cast<int>(names_.size())) return false;
    selection_ = number - 1;
    return true;
}

bool InsertFromFileForm::SetModeText(std::string_view text) {
    if (SameIgnoringCase(text, "insert"))
        mode_ = InsertMode::Insert;
    else if (SameIgnoringCase(text, "merge"))
        mode_ = InsertMode::Merge;
    else
        return false;
    return true;
}

InsertChoice InsertFromFileForm::Ok() const {
    return {selection_ < 0 ? 0u : static_cast<std::uint32_t>(selection_), mode_};
}

void RegisterInsertFromFileTool(ToolTable& table) {
    Tool* tool = table.Edit("insert-from-file");
    if (tool == nullptr) return;
    tool->fromDialog = [](ToolHost& host) -> std::optional<ToolPass> {
        Song source;
        if (!host.LoadInsertSource(source)) return std::nullopt;
        InsertFromFileForm form(source);
        if (!host.RunInsertFromFileDialog(form)) return std::nullopt;
        const InsertChoice choice = form.Ok();
        if (choice.track >= source.TrackCount()) return std::nullopt;  // a file of no tracks
        return PassFor(TakeTrack(source, choice.track), choice.mode, host.AnchorBeat());
    };
    tool->fromText = [](std::span<const std::string> values,
                        std::string& error) -> std::optional<ToolPass> {
        error = std::string(prompts::kInvalidValue.text);
        if (values.empty() || values.size() > 3) return std::nullopt;
        Song source;
        const ResultCode loaded = LoadInsertSource(values[0], source, {});
        if (loaded != kResultOk) {
            error = values[0] + ": " + ResultMessage(loaded);
            return std::nullopt;
        }
        InsertFromFileForm form(source);
        if (values.size() > 1 && !form.SetTrackText(values[1])) return std::nullopt;
        if (values.size() > 2 && !form.SetModeText(values[2])) return std::nullopt;
        const InsertChoice choice = form.Ok();
        if (choice.track >= source.TrackCount()) return std::nullopt;
        return PassFor(TakeTrack(source, choice.track), choice.mode, std::nullopt);
    };
}

}  // namespace kvs

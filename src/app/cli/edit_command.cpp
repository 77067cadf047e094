#include "app/cli/edit_command.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/cli/cli.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"
#include "files/file_result.h"
#include "files/song_file.h"
#include "model/edit_session.h"

namespace kvs {
namespace {

enum class StepKind : std::uint8_t {
    Track,
    Select,
    Zoom,
    Cut,
    Copy,
    Paste,
    PasteMultiple,
    Merge,
    MergeMultiple,
    Delete,
    Clear,
    Insert,
    Undo,
    Mute,
    Solo,
    InsertTrack,
    DeleteTrack,
    MoveTrack,
    SortTracks,
    SetMarker,
    SongName,
    TrackName,
    Channel,
    Program,
    Bank,
    Volume,
    Pan,
    Reverb,
    Chorus,
};

struct StepShape {
    std::string_view name;
    StepKind kind;
    bool takesValue;
    std::int64_t min = 0;  // numeric range of the value, where it has one
    std::int64_t max = 0;
};

constexpr StepShape kSteps[] = {
    {"track", StepKind::Track, true, 1, 0xFFFF},
    {"select", StepKind::Select, true},
    {"zoom", StepKind::Zoom, true, 1, kMaxTrackBeats},
    {"cut", StepKind::Cut, false},
    {"copy", StepKind::Copy, false},
    {"paste", StepKind::Paste, false},
    {"paste-multiple", StepKind::PasteMultiple, true, 1, EditSession::kMaxCopies},
    {"merge", StepKind::Merge, false},
    {"merge-multiple", StepKind::MergeMultiple, true, 1, EditSession::kMaxCopies},
    {"delete", StepKind::Delete, false},
    {"clear", StepKind::Clear, false},
    {"insert", StepKind::Insert, false},
    {"undo", StepKind::Undo, false},
    {"mute", StepKind::Mute, false},
    {"solo", StepKind::Solo, false},
    {"insert-track", StepKind::InsertTrack, false},
    {"delete-track", StepKind::DeleteTrack, false},
    {"move-track", StepKind::MoveTrack, true, 1, 0xFFFF},
    {"sort-tracks", StepKind::SortTracks, false},
    {"set-marker", StepKind::SetMarker, true},
    {"song-name", StepKind::SongName, true},
    {"track-name", StepKind::TrackName, true},
    {"channel", StepKind::Channel, true, 0, 16},
    {"program", StepKind::Program, true, -1, 127},
    {"bank", StepKind::Bank, true, -1, 16383},
    {"volume", StepKind::Volume, true, -1, 127},
    {"pan", StepKind::Pan, true, -1, 127},
    {"reverb", StepKind::Reverb, true, -1, 127},
    {"chorus", StepKind::Chorus, true, -1, 127},
};

struct Step {
    std::string text;  // as given, for messages
    const StepShape* shape = nullptr;
    std::int64_t number = 0;  // numeric value; the marker slot; the anchor
    std::int64_t second = 0;  // the caret of select
    std::string value;
};

std::optional<std::int64_t> ParseNumber(std::string_view text, std::int64_t min, std::int64_t max) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value);
    if (text.empty() || res.ec != std::errc{} || res.ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ParseMarkerSlot(std::string_view text) {
    if (text == "left") return kMarkerLeft;
    if (text == "right") return kMarkerRight;
    const auto mark = ParseNumber(text, 0, kMarkerCount - kFirstMark - 1);
    if (!mark) return std::nullopt;
    return *mark + kFirstMark;
}

// Reads a step's value into number (and second); false with error set.
bool ParseValue(Step& step, std::string& error) {
    const std::string_view value = step.value;
    switch (step.shape->kind) {
        case StepKind::Select: {
            const std::size_t colon = value.find(':');
            const auto anchor = ParseNumber(value.substr(0, colon), 0, kMaxTrackBeats);
            const auto caret = colon == std::string_view::npos
                                   ? std::nullopt
                                   : ParseNumber(value.substr(colon + 1), 0, kMaxTrackBeats);
            if (!anchor || !caret) {
                error = "takes ANCHOR:CARET, two beat numbers";
                return false;
            }
            step.number = *anchor;
            step.second = *caret;
            return true;
        }
        case StepKind::SetMarker: {
            const auto slot = ParseMarkerSlot(value);
            if (!slot) {
                error = "takes left, right or a mark from 0 to 19";
                return false;
            }
            step.number = *slot;
            return true;
        }
        case StepKind::SongName:
            if (value.size() <= FixedText<128>::Capacity()) return true;
            error = "is longer than 127 characters";
            return false;
        case StepKind::TrackName:
            if (value.size() <= FixedText<64>::Capacity()) return true;
            error = "is longer than 63 characters";
            return false;
        default: {
            const auto number = ParseNumber(value, step.shape->min, step.shape->max);
            if (!number) {
                error = "takes a number from " + std::to_string(step.shape->min) + " to " +
                        std::to_string(step.shape->max);
                return false;
            }
            step.number = *number;
            return true;
        }
    }
}

// Checks a step's form and value; nothing is loaded before all steps pass.
std::optional<Step> ParseStep(const std::string& text, std::string& error) {
    const std::size_t eq = text.find('=');
    const std::string_view name = std::string_view(text).substr(0, eq);
    Step step;
    step.text = text;
    for (const StepShape& shape : kSteps)
        if (shape.name == name) step.shape = &shape;
    if (step.shape == nullptr) {
        error = "unknown step";
        return std::nullopt;
    }
    if (step.shape->takesValue != (eq != std::string::npos)) {
        error = step.shape->takesValue ? "needs a value" : "takes no value";
        return std::nullopt;
    }
    if (!step.shape->takesValue) return step;
    step.value = text.substr(eq + 1);
    if (!ParseValue(step, error)) return std::nullopt;
    return step;
}

const char* ResultText(EditResult result) {
    switch (result) {
        case EditResult::Done:
            return "done";
        case EditResult::NoTrack:
            return "there is no current track";
        case EditResult::NoSelection:
            return "no beats are selected";
        case EditResult::EmptyClipboard:
            return "the clipboard is empty";
        case EditResult::NoUndo:
            return "there is nothing to undo";
        case EditResult::EngineBusy:
            return "the engine is busy";
        case EditResult::Cancelled:
            return "cancelled";
        case EditResult::BadValue:
            return "the value is out of range";
        case EditResult::NotFound:
            return "not found";
        case EditResult::Failed:
            return "the track would grow too long, or memory ran out";
    }
    return "refused";
}

EditResult SetProperty(EditSession& session, const Step& step) {
    const Track* track = session.Current();
    if (track == nullptr) return EditResult::NoTrack;
    TrackProperties p = track->properties;
    const auto value = static_cast<std::int16_t>(step.number);
    switch (step.shape->kind) {
        case StepKind::TrackName:
            p.name.Set(step.value);
            break;
        case StepKind::Channel:
            p.channel = step.number == 0 ? kNoChannel : static_cast<std::uint16_t>(step.number - 1);
            break;
        case StepKind::Program:
            p.program = value;
            break;
        case StepKind::Bank:
            p.bank = value;
            break;
        case StepKind::Volume:
            p.volume = value;
            break;
        case StepKind::Pan:
            p.pan = value;
            break;
        case StepKind::Reverb:
            p.reverb = value;
            break;
        default:
            p.chorus = value;
            break;
    }
    return session.SetTrackProperties(p);
}

EditResult ApplyStep(EditSession& session, PlainBeatSelection& selection, const Step& step) {
    const auto n = static_cast<std::uint32_t>(step.number);
    switch (step.shape->kind) {
        case StepKind::Track:
            return session.SetCurrentTrack(static_cast<std::int32_t>(n) - 1);
        case StepKind::Select:
            selection.Select(n, static_cast<std::uint32_t>(step.second));
            return EditResult::Done;
        case StepKind::Zoom:
            selection.SetZoom(n);
            return EditResult::Done;
        case StepKind::Cut:
            return session.Cut();
        case StepKind::Copy:
            return session.Copy();
        case StepKind::Paste:
            return session.Paste();
        case StepKind::PasteMultiple:
            return session.PasteMultiple(n);
        case StepKind::Merge:
            return session.Merge();
        case StepKind::MergeMultiple:
            return session.MergeMultiple(n);
        case StepKind::Delete:
            return session.DeleteBeats();
        case StepKind::Clear:
            return session.ClearBeats();
        case StepKind::Insert:
            return session.InsertBeats();
        case StepKind::Undo:
            return session.Undo();
        case StepKind::Mute:
            return session.Mute();
        case StepKind::Solo:
            return session.Solo();
        case StepKind::InsertTrack:
            return session.InsertTrack();
        case StepKind::DeleteTrack:
            return session.DeleteTrack();
        case StepKind::MoveTrack:
            return session.MoveTrack(n);
        case StepKind::SortTracks:
            return session.SortTracks();
        case StepKind::SetMarker:
            return session.SetMarker(n);
        case StepKind::SongName:
            session.SetSongName(step.value);
            return EditResult::Done;
        default:
            return SetProperty(session, step);
    }
}

int EditAndSave(const CliOptions& options, const std::vector<Step>& steps, CliSession& cli,
                std::ostream& err) {
    PlainBeatSelection selection;
    NullEngineLink engine;
    NoAsk ask;
    EditSession session(engine, selection, ask);
    const LoadOptions load = cli.LoadOptionsFor(options);
    session.SetDefaultPort(load.defaultPort);
    const ResultCode loaded = LoadSongFile(options.files[0], session.GetSong(), load);
    if (loaded != kResultOk) {
        cli.ReportFileError(options.files[0], loaded);
        return kExitFileError;
    }
    if (session.GetSong().TrackCount() > 0) session.SetCurrentTrack(0);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const EditResult result = ApplyStep(session, selection, steps[i]);
        if (result != EditResult::Done) {
            err << "kvs-cli: step " << i + 1 << " (" << steps[i].text << "): " << ResultText(result)
                << "; nothing saved\n";
            return kExitUsage;
        }
    }
    const ResultCode saved = SaveSongFile(options.files[1], session.GetSong(), SaveType::Full,
                                          cli.OutPortNames(options));
    if (saved != kResultOk) {
        cli.ReportFileError(options.files[1], saved);
        return kExitFileError;
    }
    return kExitOk;
}

}  // namespace

int RunEdit(const CliOptions& options, CliSession& cli, std::ostream& err) {
    std::vector<Step> steps;
    std::string error;
    for (std::size_t i = 2; i < options.files.size(); ++i) {
        auto step = ParseStep(options.files[i], error);
        if (!step) {
            err << "kvs-cli: step " << i - 1 << " (" << options.files[i] << ") " << error << "\n"
                << UsageText("edit");
            return kExitUsage;
        }
        steps.push_back(std::move(*step));
    }
    return EditAndSave(options, steps, cli, err);
}

}  // namespace kvs

#include "app/cli/apply_command.h"

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
#include "tools/note_transform_tool.h"
#include "tools/run_tool.h"

namespace kvs {
namespace {

std::vector<std::string> SplitValues(const std::string& values) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = values.find(',', start);
        out.push_back(values.substr(start, comma - start));
        if (comma == std::string::npos) return out;
        start = comma + 1;
    }
}

// A label as text: without its mnemonic and colon.
std::string Plain(std::string_view label) {
    std::string out;
    for (char c : label)
        if (c != '&') out += c;
    if (!out.empty() && out.back() == ':') out.pop_back();
    return out;
}

std::string_view KindName(FieldKind kind) {
    switch (kind) {
        case FieldKind::NoteName:
            return "note";
        case FieldKind::Duration:
            return "beats.ticks";
        case FieldKind::Integer:
            break;
    }
    return "integer";
}

void PrintList(std::ostream& out) {
    for (const Tool& tool : Tools().All()) {
        out << tool.name << ": "
            << (tool.title.key.empty() ? Plain(tool.menu.text) : std::string(tool.title.text))
            << " (" << (tool.allTracks ? "all tracks" : "current track only")
            << (tool.wholeTracks ? ", whole tracks" : "") << (tool.undo ? ", undo" : "") << ")";
        if (!tool.Available()) out << " - not available yet";
        out << "\n";
        if (tool.dialog == ToolDialog::Own) out << "    values: " << tool.ownValues << "\n";
        for (std::uint32_t i = 0; i < tool.fieldCount; ++i) {
            const ToolField& f = tool.fields[i];
            auto show = [&](std::int32_t v) {
                return ValueDialogForm::Show({v, 0, 0, f.kind, 0, {}});
            };
            out << "    " << i + 1 << ". " << Plain(f.label.text) << " (" << KindName(f.kind)
                << "): initial " << show(f.initial) << ", range " << show(f.min) << " to "
                << show(f.max) << "\n";
        }
    }
}

// The tool's pass for the command line's values; nothing, with the message
// set, when they cannot be read.
std::optional<ToolPass> PassFor(const Tool& tool, const CliOptions& o, std::string& error) {
    const std::vector<std::string> texts =
        o.toolValues ? SplitValues(*o.toolValues) : std::vector<std::string>{};
    error = std::string(prompts::kInvalidValue.text);
    if (tool.dialog == ToolDialog::Own) {
        std::string why;
        std::optional<ToolPass> pass = tool.fromText(texts, why);
        if (!pass && !why.empty()) error = why;
        return pass;
    }
    if (texts.size() > tool.fieldCount) return std::nullopt;
    ValueDialog dialog = tool.NewDialog();
    ValueDialogForm form(dialog);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // The edit box holds no more; a longer value would be cut, not read.
        if (texts[i].size() > ValueDialogForm::kEditChars) return std::nullopt;
        form.SetText(i, texts[i]);
    }
    if (!form.Ok()) return std::nullopt;
    return tool.fromValues(dialog);
}

int ApplyAndSave(const CliOptions& options, const Tool& tool, const ToolPass& pass, CliSession& cli,
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
    const std::uint32_t track = options.track.value_or(1);
    if (session.SetCurrentTrack(static_cast<std::int32_t>(track) - 1) != EditResult::Done) {
        err << "kvs-cli: the song has no track " << track << "; nothing saved\n";
        return kExitUsage;
    }
    const BeatRange beats = options.beats.value_or(BeatRange{});
    selection.Select(beats.left, beats.right);
    if (ApplyTool(session, engine, options.allTracks, tool, pass, nullptr) != EditResult::Done) {
        err << "kvs-cli: " << tool.name << " could not run; nothing saved\n";
        return kExitUsage;
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

int RunApply(const CliOptions& options, CliSession& cli, std::ostream& out, std::ostream& err) {
    if (options.list) {
        PrintList(out);
        return kExitOk;
    }
    const Tool* tool = Tools().Find(options.tool);
    if (tool == nullptr) {
        err << "kvs-cli: unknown tool " << options.tool << " (see apply --list)\n"
            << UsageText("apply");
        return kExitUsage;
    }
    if (!tool->Available()) {
        err << "kvs-cli: " << tool->name << ": not available yet\n";
        return kExitUsage;
    }
    if (tool->name == "note-transform") {
        std::vector<std::string> problems;
        LoadNoteTransformStore(cli.Paths().noteTransforms, cli.Paths().userTransforms,
                               cli.Prompts(), &problems);
        for (const std::string& problem : problems)
            err << "kvs-cli: " << problem << "\n";
    }
    std::string error;
    const std::optional<ToolPass> pass = PassFor(*tool, options, error);
    if (!pass || !*pass) {
        err << "kvs-cli: " << tool->name << ": " << error << "\n";
        return kExitUsage;
    }
    return ApplyAndSave(options, *tool, *pass, cli, err);
}

}  // namespace kvs

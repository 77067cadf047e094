#include <chrono>
#include <optional>
#include <span>
#include <string>

#include "model/form_number.h"
#include "model/song.h"
#include "tools/progression.h"
#include "tools/progression_form.h"
#include "tools/run_tool.h"
#include "tools/tool_table.h"

namespace kvs {
namespace {

using F = ProgressionField;

std::uint32_t MillisecondCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// fromRange: the ticks come from each track's range, as the dialog would have
// filled them in.
ToolPass PassFor(const ProgressionSettings& settings, bool fromRange) {
    return [settings, fromRange](Song& song, std::uint32_t track, const ToolRange& range) {
        Track* t = song.GetTrack(track);
        if (t == nullptr) return false;
        ProgressionParams params = settings.params;
        if (fromRange) {
            params.startTick = range.firstBeat * TICKS_PER_BEAT;
            params.endTick = range.endBeat * TICKS_PER_BEAT;
        }
        RunProgression(*t, params, settings.lfo, MillisecondCount());
        return true;
    };
}

// kvs-cli's values after the type and channel, in order; flags and wave are
// read apart.
constexpr F kTextFields[] = {F::StartTime,     F::EndTime,     F::StartValue, F::EndValue,
                             F::StartVelocity, F::EndVelocity, F::Snap,       F::NoteLength};
constexpr std::size_t kValueCount = 15;

std::optional<ToolPass> FromText(std::span<const std::string> values) {
    if (values.size() > kValueCount) return std::nullopt;
    // Empty values keep what the dialog would show at its first use.
    auto given = [&](std::size_t i) { return i < values.size() && !values[i].empty(); };
    ProgressionSettings settings;
    BuiltinPrompts prompts;
    ProgressionForm form(settings, prompts);
    auto setText = [&](F field, const std::string& text) {
        // A longer text would be cut by the edit box, not read.
        if (text.size() > ProgressionForm::Limit(field)) return false;
        form.SetText(field, text);
        return true;
    };
    if (given(0) && !form.SetTypeText(values[0])) return std::nullopt;
    if (given(1) && !setText(F::Channel, values[1])) return std::nullopt;
    // Start and end come together, or from each track's range.
    if (given(2) != given(3)) return std::nullopt;
    for (std::size_t i = 0; i < std::size(kTextFields); ++i)
        if (given(i + 2) && !setText(kTextFields[i], values[i + 2])) return std::nullopt;
    if (given(10)) {
        const std::optional<std::int64_t> flags = ReadUnsignedField(values[10]);
        if (!flags || *flags > 7) return std::nullopt;
        for (std::uint32_t bit : {kLfoToValue, kLfoToVelocity, kFilterDuplicates})
            form.SetFlag(bit, (*flags & bit) != 0);
    }
    if (given(11) && !form.SetWaveText(values[11])) return std::nullopt;
    if (given(12) && !setText(F::Amplitude, values[12])) return std::nullopt;
    if (given(13) && !setText(F::Rate, values[13])) return std::nullopt;
    if (given(14) && !setText(F::Phase, values[14])) return std::nullopt;
    if (!form.Ok()) return std::nullopt;
    return PassFor(settings, !given(2));
}

}  // namespace

void RegisterProgressionTool(ToolTable& table) {
    Tool* tool = table.Edit("progression");
    if (tool == nullptr) return;
    tool->fromDialog = [](ToolHost& host) -> std::optional<ToolPass> {
        const BuiltinPrompts prompts;
        ProgressionForm form(ProgressionMemory(), prompts);
        if (!host.RunProgressionDialog(form)) return std::nullopt;
        return PassFor(ProgressionMemory(), false);
    };
    tool->fromText = [](std::span<const std::string> values,
                        std::string& error) -> std::optional<ToolPass> {
        std::optional<ToolPass> pass = FromText(values);
        if (!pass) error = std::string(prompts::kInvalidValue.text);
        return pass;
    };
}

}  // namespace kvs

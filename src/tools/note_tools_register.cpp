#include "model/clean_up_track.h"
#include "model/song.h"
#include "tools/note_tools.h"
#include "tools/tool_table.h"

namespace kvs {
namespace {

// A pass that runs body on the track with the dialog's values; redraws tells
// whether the tool can change which beats hold events.
template <typename Body>
void Attach(ToolTable& table, std::string_view name, bool redraws, Body body) {
    Tool* tool = table.Edit(name);
    if (tool == nullptr) return;
    tool->fromValues = [redraws, body](const ValueDialog& d) -> ToolPass {
        const std::int32_t a = d.fields[0].value;
        const std::int32_t b = d.fields[1].value;
        const std::int32_t c = d.fields[2].value;
        return [=](Song& song, std::uint32_t index, const ToolRange& range) {
            Track* track = song.GetTrack(index);
            if (track == nullptr) return false;
            body(*track, range, a, b, c);
            return redraws;
        };
    };
}

}  // namespace

void RegisterNoteTools(ToolTable& table) {
    using I = std::int32_t;
    Attach(table, "transpose", false,
           [](Track& t, const ToolRange& r, I a, I, I) { Transpose(t, r, a); });
    Attach(table, "change-velocity", false,
           [](Track& t, const ToolRange& r, I a, I b, I) { ChangeVelocity(t, r, a, b); });
    Attach(table, "time-glide", true,
           [](Track& t, const ToolRange& r, I a, I, I) { TimeGlide(t, r, a); });
    Attach(table, "time-expand", true,
           [](Track& t, const ToolRange& r, I a, I, I) { TimeExpand(t, r, a); });
    Attach(table, "quantise", true,
           [](Track& t, const ToolRange& r, I a, I b, I c) { Quantise(t, r, a, b, c); });
    Attach(table, "quantise-length", true,
           [](Track& t, const ToolRange& r, I a, I b, I) { QuantiseLength(t, r, a, b); });
    Attach(table, "humanise", true,
           [](Track& t, const ToolRange& r, I a, I, I) { Humanise(t, r, a); });
    Attach(table, "set-length", true,
           [](Track& t, const ToolRange& r, I a, I b, I) { SetLength(t, r, a, b); });
    Attach(table, "legato", true, [](Track& t, const ToolRange& r, I a, I, I) { Legato(t, r, a); });

    if (Tool* clean = table.Edit("clean-up"))
        clean->fromValues = [](const ValueDialog&) -> ToolPass {
            return [](Song& song, std::uint32_t index, const ToolRange&) {
                CleanUpTrack(song, index);
                return true;
            };
        };
}

}  // namespace kvs

#include "model/song.h"
#include "tools/insert_from_file.h"
#include "tools/more_tools.h"
#include "tools/tool_table.h"

namespace kvs {
namespace {

using I = std::int32_t;
using U = std::uint32_t;

// A pass that runs body on the track with the dialog's values; redraws tells
// whether the tool can change which beats hold events.
template <typename Body>
void Attach(ToolTable& table, std::string_view name, bool redraws, Body body) {
    Tool* tool = table.Edit(name);
    if (tool == nullptr) return;
    tool->fromValues = [redraws, body](const ValueDialog& d) -> ToolPass {
        const I a = d.fields[0].value;
        const I b = d.fields[1].value;
        const I c = d.fields[2].value;
        return [=](Song& song, std::uint32_t index, const ToolRange& range) {
            Track* track = song.GetTrack(index);
            if (track == nullptr) return false;
            body(*track, range, a, b, c);
            return redraws;
        };
    };
}

// The splits leave their source alone; the new tracks are the host's to show.
template <typename Body>
void AttachSplit(ToolTable& table, std::string_view name, Body body) {
    Tool* tool = table.Edit(name);
    if (tool == nullptr) return;
    tool->fromValues = [body](const ValueDialog& d) -> ToolPass {
        const I a = d.fields[0].value;
        const I b = d.fields[1].value;
        return [=](Song& song, std::uint32_t index, const ToolRange& range) {
            body(song, index, range, a, b);
            return false;
        };
    };
}

}  // namespace

void RegisterSplitAndControllerTools(ToolTable& table) {
    Attach(table, "set-channel", false, [](Track& t, const ToolRange& r, I a, I, I) {
        SetChannel(t, r, static_cast<U>(a - 1));
    });
    AttachSplit(table, "channel-split",
                [](Song& s, U i, const ToolRange& r, I, I) { ChannelSplit(s, i, r); });
    AttachSplit(table, "key-split", [](Song& s, U i, const ToolRange& r, I a, I b) {
        SplitNotes(s, i, r, SplitBy::Key, a, b);
    });
    AttachSplit(table, "velocity-split", [](Song& s, U i, const ToolRange& r, I a, I b) {
        SplitNotes(s, i, r, SplitBy::Velocity, a, b);
    });
    AttachSplit(table, "length-split", [](Song& s, U i, const ToolRange& r, I a, I b) {
        SplitNotes(s, i, r, SplitBy::Length, a, b);
    });
    Attach(table, "note-replace", false, [](Track& t, const ToolRange& r, I a, I b, I) {
        NoteReplace(t, r, static_cast<U>(a), static_cast<U>(b));
    });
    Attach(table, "velocity-crescendo", false,
           [](Track& t, const ToolRange& r, I a, I, I) { VelocityCrescendo(t, r, a); });
    Attach(table, "controller-renumber", false, [](Track& t, const ToolRange& r, I a, I b, I) {
        ControllerRenumber(t, r, static_cast<U>(a), static_cast<U>(b));
    });
    Attach(table, "change-controllers", false, [](Track& t, const ToolRange& r, I a, I b, I c) {
        ChangeControllers(t, r, static_cast<U>(a), b, c);
    });
    Attach(table, "reverse", true, [](Track& t, const ToolRange& r, I, I, I) { Reverse(t, r); });
    Attach(table, "delete-notes", true, [](Track& t, const ToolRange& r, I a, I b, I) {
        DeleteNotes(t, r, static_cast<U>(a), static_cast<U>(b));
    });
    Attach(table, "delete-controllers", true, [](Track& t, const ToolRange& r, I a, I, I) {
        DeleteControllers(t, r, static_cast<U>(a));
    });
    RegisterInsertFromFileTool(table);
}

}  // namespace kvs

#include "tools/note_transform_tool.h"

#include <optional>
#include <span>
#include <string>

#include "model/song.h"
#include "model/track.h"
#include "tools/note_transform.h"
#include "tools/note_transform_form.h"
#include "tools/run_tool.h"
#include "tools/tool_table.h"

namespace kvs {
namespace {

ToolPass PassFor(const NoteTransformChoice& choice) {
    const NoteTransform* transform = NoteTransformStore().At(choice.transform);
    const TransformMap map = transform != nullptr ? transform->map : TransformMap{};
    const std::uint32_t key = choice.keyIndex;
    return [map, key](Song& song, std::uint32_t track, const ToolRange& range) {
        Track* t = song.GetTrack(track);
        if (t == nullptr) return false;
        TransformNotes(*t, range.firstBeat, range.endBeat, map, key);
        return true;
    };
}

}  // namespace

NoteTransforms& NoteTransformStore() {
    static NoteTransforms store;
    return store;
}

bool LoadNoteTransformStore(const std::string& presetPath, const std::string& userPath,
                            const PromptTable& prompts, std::vector<std::string>* errors) {
    return NoteTransformStore().LoadFiles(presetPath, userPath, prompts, errors);
}

void RegisterNoteTransformTool(ToolTable& table) {
    Tool* tool = table.Edit("note-transform");
    if (tool == nullptr) return;
    tool->fromDialog = [](ToolHost& host) -> std::optional<ToolPass> {
        NoteTransformForm form(NoteTransformStore());
        if (!host.RunNoteTransformDialog(form)) return std::nullopt;
        const std::optional<NoteTransformChoice> choice = form.Ok();
        if (!choice) return std::nullopt;
        return PassFor(*choice);
    };
    tool->fromText = [](std::span<const std::string> values,
                        std::string& error) -> std::optional<ToolPass> {
        NoteTransformForm form(NoteTransformStore());
        const bool read = !values.empty() && values.size() <= 2 &&
                          form.SetTransformText(values[0]) &&
                          (values.size() < 2 || form.SetKeyText(values[1]));
        const std::optional<NoteTransformChoice> choice =
            read ? form.Ok() : std::optional<NoteTransformChoice>{};
        if (!choice) {
            error = std::string(prompts::kInvalidValue.text);
            return std::nullopt;
        }
        return PassFor(*choice);
    };
}

}  // namespace kvs

#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/form_prompts.h"
#include "model/value_dialog_form.h"
#include "tools/tool_range.h"

namespace kvs {

class Song;
class ToolHost;

// A tool's work on one track over one range, its parameters already bound.
// True when the track's row must be redrawn (beats may have changed).
using ToolPass = std::function<bool(Song& song, std::uint32_t track, const ToolRange& range)>;

// How a tool takes its parameters.
enum class ToolDialog : std::uint8_t {
    None,   // runs at once
    Value,  // the value dialog with the tool's fields
    Own,    // a dialog of its own (progression, insert from file, note transform)
};

struct ToolField {
    PromptText label;
    FieldKind kind = FieldKind::Integer;
    std::int32_t initial = 0;
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::uint32_t helpId = 0;
};

// One entry of the Tools menu: what it shows and asks, and how it runs. The
// table fixes the first part; the code of each tool fills in the hooks.
struct Tool {
    std::string_view name;  // for kvs-cli: the menu text in lower case, hyphenated
    PromptText menu;
    PromptText title;  // empty key: no dialog
    ToolDialog dialog = ToolDialog::None;
    std::string_view dialogTemplate;
    std::uint32_t fieldCount = 0;
    std::array<ToolField, ValueDialog::kMaxFields> fields{};
    bool allTracks = false;      // honours "Apply to all tracks"
    bool undo = false;           // takes the undo snapshot first
    bool wholeTracks = false;    // ignores the selection
    std::string_view ownValues;  // Own dialog: the values kvs-cli takes, in order

    // None and Value tools: the pass for the dialog's values.
    std::function<ToolPass(const ValueDialog& values)> fromValues;
    // Own tools: runs the dialog; nothing when it was cancelled.
    std::function<std::optional<ToolPass>(ToolHost& host)> fromDialog;
    // Own tools: the pass for kvs-cli's values; nothing, with error set, when
    // they cannot be read.
    std::function<std::optional<ToolPass>(std::span<const std::string> values, std::string& error)>
        fromText;

    bool Available() const {
        return dialog == ToolDialog::Own ? bool(fromDialog) : bool(fromValues);
    }
    // The value dialog as the tool opens it: title, fields, initial values.
    ValueDialog NewDialog() const;
};

// Every tool in menu order. Tools are found by kvs-cli name or menu key, and
// each group of tools attaches its code with Set.
class ToolTable {
  public:
    // The 25 entries with nothing attached.
    static ToolTable Blank();

    std::span<const Tool> All() const { return tools_; }
    const Tool* Find(std::string_view name) const;
    const Tool* FindMenu(std::string_view menuKey) const;
    Tool* Edit(std::string_view name);

  private:
    std::vector<Tool> tools_;
};

// The table with every tool that is built attached.
const ToolTable& Tools();

// Each group of tools attaches its code here; Tools() calls them all.
void RegisterNoteTools(ToolTable& table);
void RegisterNoteTransformTool(ToolTable& table);
void RegisterSplitAndControllerTools(ToolTable& table);
void RegisterProgressionTool(ToolTable& table);

}  // namespace kvs

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/form_prompts.h"

namespace kvs {

enum class FieldKind : std::uint32_t { Integer = 0, NoteName = 1, Duration = 2 };

struct ValueField {
    std::int32_t value = 0;  // in: shown at opening; out: entered
    std::int32_t min = 0;
    std::int32_t max = 0;
    FieldKind kind = FieldKind::Integer;
    std::uint32_t helpId = 0;
    PromptText label;
};

// What a caller asks for: a title and one to three fields. The list dialog
// uses the title and field 0 (its value a port number).
struct ValueDialog {
    static constexpr std::size_t kMaxFields = 3;
    PromptText title;
    std::uint32_t count = 1;
    std::array<ValueField, kMaxFields> fields;

    void SetUp(PromptText titleText, std::uint32_t fieldCount);
    void SetField(std::size_t index, std::int32_t value, std::int32_t min, std::int32_t max,
                  FieldKind kind, std::uint32_t helpId, PromptText label);
};

// The value dialog without its widgets, working on the caller's description.
class ValueDialogForm {
  public:
    static constexpr std::size_t kEditChars = 10;

    explicit ValueDialogForm(ValueDialog& dialog);

    std::size_t FieldCount() const { return texts_.size(); }
    const std::string& Text(std::size_t field) const { return texts_[field]; }
    void SetText(std::size_t field, std::string_view text);
    // The field whose edit box has the focus; -1 for another control.
    void SetFocus(int field) { focus_ = field; }
    // An incoming note on names its key in a focused note field.
    void MidiIn(std::uint32_t message);
    // Reads the fields in order into the description, stopping at the first
    // unreadable one. False when one could not be read or lies outside its
    // range: the dialog shows "Invalid value" and stays open.
    bool Ok();

    static std::string Show(const ValueField& field);

  private:
    ValueDialog& dialog_;
    std::vector<std::string> texts_;
    int focus_ = -1;
};

// A MIDI OUT port as port lists offer it.
struct OutputPort {
    std::string name;  // friendly name
    std::uint32_t port = 0;
};

// The port chooser: the enabled ports by name, the description's port
// selected at opening.
class ListDialogForm {
  public:
    ListDialogForm(ValueDialog& dialog, std::vector<OutputPort> enabledPorts,
                   std::uint32_t defaultPort);

    const std::vector<OutputPort>& Ports() const { return ports_; }
    int Selection() const { return selection_; }  // -1: none
    void Select(int index);
    // Stores the picked port, or the default port when none is picked, into
    // field 0 and returns it.
    std::uint32_t Ok();

  private:
    ValueDialog& dialog_;
    std::vector<OutputPort> ports_;
    std::uint32_t defaultPort_;
    int selection_ = -1;
};

}  // namespace kvs

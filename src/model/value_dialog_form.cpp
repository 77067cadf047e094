#include "model/value_dialog_form.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "model/form_number.h"
#include "model/value_format.h"

namespace kvs {
namespace {

std::optional<std::int64_t> Read(const ValueField& field, std::string_view text) {
    switch (field.kind) {
        case FieldKind::NoteName: {
            const int key = ParseNoteName(text);
            if (key >= 0) return key;
            return ReadSignedField(text);
        }
        case FieldKind::Duration:
            return ParseBeatsTicks(text);
        case FieldKind::Integer:
            break;
    }
    return ReadSignedField(text);
}

}  // namespace

void ValueDialog::SetUp(PromptText titleText, std::uint32_t fieldCount) {
    title = titleText;
    count = fieldCount < 1 ? 1 : (fieldCount > kMaxFields ? kMaxFields : fieldCount);
    fields = {};
}

void ValueDialog::SetField(std::size_t index, std::int32_t value, std::int32_t min,
                           std::int32_t max, FieldKind kind, std::uint32_t helpId,
                           PromptText label) {
    if (index >= kMaxFields) return;
    fields[index] = ValueField{value, min, max, kind, helpId, label};
}

std::string ValueDialogForm::Show(const ValueField& field) {
    switch (field.kind) {
        case FieldKind::NoteName: {
            std::string name = FormatNoteName(field.value);
            return name.empty() ? std::to_string(field.value) : name;
        }
        case FieldKind::Duration:
            return FormatBeatsTicks(field.value);
        case FieldKind::Integer:
            break;
    }
    return std::to_string(field.value);
}

ValueDialogForm::ValueDialogForm(ValueDialog& dialog) : dialog_(dialog) {
    const std::size_t count = std::min<std::size_t>(dialog.count, ValueDialog::kMaxFields);
    for (std::size_t i = 0; i < count; ++i)
        texts_.emplace_back(CutField(Show(dialog.fields[i]), kEditChars));
}

void ValueDialogForm::SetText(std::size_t field, std::string_view text) {
    if (field < texts_.size()) texts_[field] = std::string(CutField(text, kEditChars));
}

void ValueDialogForm::MidiIn(std::uint32_t message) {
    if ((message & 0xF0) != 0x90 || focus_ < 0) return;
    const auto field = static_cast<std::size_t>(focus_);
    if (field >= texts_.size() || dialog_.fields[field].kind != FieldKind::NoteName) return;
    texts_[field] = FormatNoteName(static_cast<int>((message >> 8) & 0x7F));
}

bool ValueDialogForm::Ok() {
    bool valid = true;
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        ValueField& field = dialog_.fields[i];
        const std::optional<std::int64_t> value = Read(field, texts_[i]);
        if (!value) return false;
        if (*value < field.min || *value > field.max) valid = false;
        field.value = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(*value, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()));
    }
    return valid;
}

ListDialogForm::ListDialogForm(ValueDialog& dialog, std::vector<OutputPort> enabledPorts,
                               std::uint32_t defaultPort)
    : dialog_(dialog), ports_(std::move(enabledPorts)), defaultPort_(defaultPort) {
    const auto value = static_cast<std::uint32_t>(dialog.fields[0].value);
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        if (ports_[i].port == value) {
            selection_ = static_cast<int>(i);
            break;
        }
    }
}

void ListDialogForm::Select(int index) {
    selection_ = index >= 0 && static_cast<std::size_t>(index) < ports_.size() ? index : -1;
}

std::uint32_t ListDialogForm::Ok() {
    const std::uint32_t port =
        selection_ >= 0 ? ports_[static_cast<std::size_t>(selection_)].port : defaultPort_;
    dialog_.fields[0].value = static_cast<std::int32_t>(port);
    return port;
}

}  // namespace kvs

#include "tools/note_transform_form.h"

#include <charconv>

#include "model/value_format.h"
#include "tools/note_transform_file.h"

namespace kvs {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace

NoteTransformForm::NoteTransformForm(const NoteTransforms& store) {
    for (std::size_t i = 0; i < store.Count(); ++i) {
        const NoteTransform* t = store.At(i);
        if (t->Valid()) entries_.push_back({i, t->name});
    }
    if (!entries_.empty() && entries_.front().transform == 0) selection_ = 0;
}

void NoteTransformForm::SelectTransform(int position) {
    if (position >= -1 && position < static_cast<int>(entries_.size())) selection_ = position;
}

void NoteTransformForm::SelectKey(std::uint32_t keyIndex) {
    if (keyIndex < kBaseKeyNames.size()) key_ = keyIndex;
}

bool NoteTransformForm::SetTransformText(std::string_view name) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (SameNoCase(entries_[i].name, name)) {
            selection_ = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool NoteTransformForm::SetKeyText(std::string_view text) {
    for (std::size_t i = 0; i < kBaseKeyNames.size(); ++i) {
        if (SameNoCase(kBaseKeyNames[i], text)) {
            key_ = static_cast<std::uint32_t>(i);
            return true;
        }
    }
    // A note name gives its key whatever the octave; one without an octave
    // (a flat such as Eb) is read as if it had one.
    int key = ParseNoteName(text);
    if (key < 0 && !text.empty() && text.find_first_of("0123456789") == std::string_view::npos)
        key = ParseNoteName(std::string(text) + "4");
    if (key >= 0) {
        key_ = static_cast<std::uint32_t>(key % 12);
        return true;
    }
    std::uint32_t index = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() ||
        index >= kBaseKeyNames.size())
        return false;
    key_ = index;
    return true;
}

std::optional<NoteTransformChoice> NoteTransformForm::Ok() const {
    if (selection_ < 0) return std::nullopt;
    return NoteTransformChoice{entries_[static_cast<std::size_t>(selection_)].transform, key_};
}

}  // namespace kvs

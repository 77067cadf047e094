#include "model/marker_list_form.h"

#include "model/song.h"

namespace kvs {

MarkerListForm::MarkerListForm(const Song& song, MarkerListUse use, const PromptSource& texts)
    : use_(use) {
    for (std::uint32_t slot = 0; slot < kMarkerCount; ++slot) {
        std::string row;
        if (slot == kMarkerLeft) {
            row = texts.Text(prompts::kMarkLeft);
        } else if (slot == kMarkerRight) {
            row = texts.Text(prompts::kMarkRight);
        } else {
            row = std::to_string(slot - kFirstMark);
        }
        row += ":\t";
        const std::uint32_t beat = song.markers[slot];
        if (beat == kUnsetMarker) {
            row += texts.Text(prompts::kMarkUnset);
        } else {
            row += std::to_string(beat);
        }
        rows_.push_back(std::move(row));
    }
}

PromptText MarkerListForm::Title() const {
    switch (use_) {
        case MarkerListUse::Set:
            return prompts::kSetMarkTitle;
        case MarkerListUse::Clear:
            return prompts::kClearMarkTitle;
        case MarkerListUse::Goto:
            break;
    }
    return prompts::kGotoMarkTitle;
}

PromptText MarkerListForm::Label() const {
    switch (use_) {
        case MarkerListUse::Set:
            return prompts::kSetMarkSelect;
        case MarkerListUse::Clear:
            return prompts::kClearMarkSelect;
        case MarkerListUse::Goto:
            break;
    }
    return prompts::kGotoMarkSelect;
}

void MarkerListForm::Select(int row) {
    selection_ = row >= 0 && static_cast<std::uint32_t>(row) < kMarkerCount ? row : -1;
}

std::optional<std::uint32_t> MarkerListForm::Ok(Song& song, std::uint32_t caretBeat) const {
    if (selection_ < 0) return std::nullopt;
    const auto slot = static_cast<std::uint32_t>(selection_);
    switch (use_) {
        case MarkerListUse::Set:
            // The unset value is not a beat a marker could be set to.
            if (caretBeat != kUnsetMarker) song.SetMarker(slot, caretBeat);
            return std::nullopt;
        case MarkerListUse::Clear:
            song.SetMarker(slot, kUnsetMarker);
            return std::nullopt;
        case MarkerListUse::Goto:
            break;
    }
    const std::uint32_t beat = song.markers[slot];
    if (beat == kUnsetMarker) return std::nullopt;
    return beat;
}

}  // namespace kvs

#include "model/goto_form.h"

#include "model/form_number.h"
#include "model/time_map.h"

namespace kvs {
namespace {

// Bar and time land on the nearest beat.
std::uint32_t NearestBeat(Tick tick) {
    return static_cast<std::uint32_t>((std::uint64_t{tick} + TICKS_PER_BEAT / 2) / TICKS_PER_BEAT);
}

// A beat number: leading blanks, then digits; whatever follows is ignored.
std::optional<std::uint32_t> ReadBeatNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    std::size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    const std::optional<std::int64_t> beat = ReadUnsignedField(text.substr(at, end - at));
    if (!beat || *beat > 0xFFFFFFFF) return std::nullopt;
    return static_cast<std::uint32_t>(*beat);
}

}  // namespace

GotoForm::GotoForm(const Song& song, std::uint32_t caretBeat, DisplayUnit unit)
    : song_(song), caret_(caretBeat), unit_(unit) {
    SetUnit(unit);
}

void GotoForm::SetUnit(DisplayUnit unit) {
    switch (unit) {
        case DisplayUnit::Position:
        case DisplayUnit::Bar:
        case DisplayUnit::Time:
            unit_ = unit;
            break;
        default:
            unit_ = DisplayUnit::Position;
    }
    text_ = std::string(CutField(FormatBeatPosition(song_, caret_, unit_), kNumberChars));
}

void GotoForm::SetText(std::string_view text) {
    text_ = std::string(CutField(text, kNumberChars));
}

std::optional<std::uint32_t> GotoForm::Ok() const {
    const std::string_view text = CutField(text_, kReadChars);
    switch (unit_) {
        case DisplayUnit::Bar: {
            const std::optional<BarBeat> bb = ParseBarBeat(text);
            if (!bb) return std::nullopt;
            return NearestBeat(BarBeatToTicks(song_, bb->bar, bb->beat));
        }
        case DisplayUnit::Time: {
            const std::optional<std::uint32_t> ms = ParseTime(text);
            if (!ms) return std::nullopt;
            return NearestBeat(MsToTicks(song_, *ms));
        }
        case DisplayUnit::Position:
            break;
    }
    return ReadBeatNumber(text);
}

}  // namespace kvs

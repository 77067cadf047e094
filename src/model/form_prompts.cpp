#include "model/form_prompts.h"

#include <iterator>
#include <vector>

namespace kvs {

std::string FormatPrompt(std::string_view text, std::string_view arg) {
    const std::size_t at = text.find("%s");
    if (at == std::string_view::npos) return std::string(text);
    std::string out(text.substr(0, at));
    out += arg;
    out += text.substr(at + 2);
    return out;
}

namespace prompts {

std::span<const PromptText> All() {
    static const std::vector<PromptText> all = [] {
        std::vector<PromptText> v = {
            kInvalidValue,    kNotFound,        kStatusPos,         kStatusBar,
            kStatusTime,      kGotoTitle,       kGotoType,          kGotoNumber,
            kGotoPosition,    kGotoBar,         kGotoTime,          kFindTitle,
            kFindWhat,        kFindNumber,      kFindDirection,     kFindBack,
            kFindForward,     kEventNote,       kEventPolyAft,      kEventCtrl,
            kEventProgram,    kEventChanAft,    kEventBend,         kEventTempo,
            kEventTimeSig,    kEventSysex,      kSetMarkTitle,      kSetMarkSelect,
            kClearMarkTitle,  kClearMarkSelect, kGotoMarkTitle,     kGotoMarkSelect,
            kMarkLeft,        kMarkRight,       kMarkUnset,         kTrackPropTitle,
            kChangePropTitle, kPropName,        kPropChannel,       kPropPort,
            kPropInstrument,  kPropProgram,     kPropBank,          kPropVolume,
            kPropPan,         kPropReverb,      kPropChorus,        kPropTempo,
            kSongPropTitle,   kSongPropName,    kSongPropCopyright, kSongPropInfo,
            kSongPropTracks,  kSongPropEvents,  kSongPropBars,      kSongPropTime,
            kStatsTitle,
        };
        v.insert(v.end(), std::begin(kStatsLabels), std::end(kStatsLabels));
        return v;
    }();
    return all;
}

}  // namespace prompts
}  // namespace kvs

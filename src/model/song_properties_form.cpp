#include "model/song_properties_form.h"

#include <algorithm>
#include <cstdint>

#include "model/form_number.h"
#include "model/song.h"
#include "model/time_map.h"
#include "model/value_format.h"

namespace kvs {

SongPropertiesForm::SongPropertiesForm(Song& song)
    : song_(song), name_(song.name.View()), copyright_(song.copyright.View()) {
    std::uint64_t events = 0;
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i)
        events += song.GetTrack(i)->EventCount();
    tracks_ = std::to_string(song.TrackCount());
    events_ = std::to_string(events);
    const std::uint64_t ticks = std::uint64_t{song.SongLengthBeats()} * TICKS_PER_BEAT;
    const Tick end = static_cast<Tick>(std::min<std::uint64_t>(ticks, 0xFFFFFFFF));
    const BarBeat bb = TicksToBarBeat(song, end);
    length_ = std::to_string(bb.bar - 1) + ":" + std::to_string(bb.beat - 1);
    time_ = FormatTime(TicksToMs(song, end));
}

void SongPropertiesForm::SetName(std::string_view text) {
    name_ = std::string(CutField(text, kTextChars));
}

void SongPropertiesForm::SetCopyright(std::string_view text) {
    copyright_ = std::string(CutField(text, kTextChars));
}

void SongPropertiesForm::Ok() {
    song_.name.Set(name_);
    song_.copyright.Set(copyright_);
    song_.modified = 1;
}

}  // namespace kvs

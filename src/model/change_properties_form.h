#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/change_record.h"
#include "model/form_prompts.h"
#include "model/property_fields.h"
#include "model/value_format.h"

namespace kvs {

class Song;

// The Change Properties dialog: property events at one beat of a track.
class ChangePropertiesForm {
  public:
    static constexpr std::size_t kTempoChars = 3;
    static constexpr std::int32_t kMinTempo = 10;
    static constexpr std::int32_t kMaxTempo = 480;
    static constexpr std::int32_t kDefaultTempo = 100;

    // record: from ReadChangeRecord. instruments and output may be null.
    ChangePropertiesForm(const ChangeRecord& record, const InstrumentSource* instruments,
                         PropertyOutput* output, bool midiInDialogs);

    // "Change Properties at Pos 12", the beat shown as on the status bar.
    static std::string Title(const Song& song, std::uint32_t beat, DisplayUnit unit,
                             const PromptSource& texts);

    PropertyFieldSet& Fields() { return fields_; }
    const PropertyFieldSet& Fields() const { return fields_; }
    void MidiIn(std::uint32_t message) { fields_.MidiIn(message); }

    const std::string& TempoText() const { return tempoText_; }
    void SetTempoText(std::string_view text);
    // A changed tempo is clamped to 10-480 (not a number: 100) and, with
    // "MIDI in dialogs" on, becomes the playing tempo at once.
    void LeaveTempo();
    void SpinTempo(int steps);

    // The record to apply; a field that is not a number is left out.
    ChangeRecord Ok() const;

  private:
    ChangeRecord record_;
    PropertyFieldSet fields_;
    PropertyOutput* output_;
    bool live_;
    std::string tempoText_;
    bool tempoChanged_ = false;
};

}  // namespace kvs

#include "model/change_properties_form.h"

#include <algorithm>
#include <optional>

#include "model/form_number.h"

namespace kvs {

ChangePropertiesForm::ChangePropertiesForm(const ChangeRecord& record,
                                           const InstrumentSource* instruments,
                                           PropertyOutput* output, bool midiInDialogs)
    : record_(record),
      fields_(instruments, output, midiInDialogs),
      output_(output),
      live_(midiInDialogs) {
    fields_.Load(PropertyValues{record.program, record.bank, record.volume, record.pan,
                                record.reverb, record.chorus});
    fields_.SetTarget(record.port, record.channel);
    if (record.tempo != kNoTempo)
        tempoText_ = std::string(CutField(std::to_string(record.tempo), kTempoChars));
}

std::string ChangePropertiesForm::Title(const Song& song, std::uint32_t beat, DisplayUnit unit,
                                        const PromptSource& texts) {
    const PromptText& label = unit == DisplayUnit::Bar    ? prompts::kStatusBar
                              : unit == DisplayUnit::Time ? prompts::kStatusTime
                                                          : prompts::kStatusPos;
    std::string at(texts.Text(label));
    at += ' ';
    at += FormatBeatPosition(song, beat, unit);
    return FormatPrompt(texts.Text(prompts::kChangePropTitle), at);
}

void ChangePropertiesForm::SetTempoText(std::string_view text) {
    std::string cut(CutField(text, kTempoChars));
    if (cut != tempoText_) tempoChanged_ = true;
    tempoText_ = std::move(cut);
}

void ChangePropertiesForm::LeaveTempo() {
    if (!tempoChanged_) return;
    tempoChanged_ = false;
    const std::optional<std::int64_t> n = ReadSignedField(tempoText_);
    const auto bpm = std::clamp<std::int64_t>(n.value_or(kDefaultTempo), kMinTempo, kMaxTempo);
    tempoText_ = std::to_string(bpm);
    if (live_ && output_ != nullptr) output_->SetTempo(static_cast<std::uint32_t>(bpm));
}

void ChangePropertiesForm::SpinTempo(int steps) {
    const std::int64_t now = ReadSignedField(tempoText_).value_or(kDefaultTempo);
    SetTempoText(std::to_string(std::clamp<std::int64_t>(now + steps, kMinTempo, kMaxTempo)));
    LeaveTempo();
}

ChangeRecord ChangePropertiesForm::Ok() const {
    ChangeRecord r = record_;
    const PropertyValues v = fields_.Values();
    r.program = v.program;
    r.bank = v.bank;
    r.volume = v.volume;
    r.pan = v.pan;
    r.reverb = v.reverb;
    r.chorus = v.chorus;
    const std::optional<std::int64_t> tempo = ReadUnsignedField(tempoText_);
    // A tempo typed without leaving the field is held to the spin range too.
    r.tempo =
        tempo ? static_cast<std::uint16_t>(std::clamp<std::int64_t>(*tempo, kMinTempo, kMaxTempo))
              : kNoTempo;
    return r;
}

}  // namespace kvs

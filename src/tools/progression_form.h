#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/form_prompts.h"
#include "tools/progression.h"
#include "tools/tool_range.h"

namespace kvs {

class Track;

namespace prompts {
inline constexpr PromptText kProgressionTitle{"tools_prgrs_title", "Progression"};
inline constexpr PromptText kProgressionCtrl{"midievent_ctrlnum", "Ctrl %d"};
inline constexpr PromptText kProgressionAftertouch{"midievent_aft", "Aftertouch"};
inline constexpr PromptText kWaveSine{"lfowave_sine", "Sine"};
inline constexpr PromptText kWaveTriangle{"lfowave_triangle", "Triangle"};
inline constexpr PromptText kWaveSawUp{"lfowave_sawup", "Saw up"};
inline constexpr PromptText kWaveSawDown{"lfowave_sawdown", "Saw down"};
inline constexpr PromptText kWaveSquare{"lfowave_square", "Square"};
inline constexpr PromptText kWavePulse25{"lfowave_pulse25", "Pulse 25%"};
inline constexpr PromptText kWavePulse10{"lfowave_pulse10", "Pulse 10%"};
inline constexpr PromptText kWaveSpike{"lfowave_spike", "Spike"};
inline constexpr PromptText kWaveTrapezium{"lfowave_trapezium", "Trapezium"};
inline constexpr PromptText kWaveRandom{"lfowave_random", "Random"};
}  // namespace prompts

// The edit boxes of the progression dialog.
enum class ProgressionField : std::uint8_t {
    Channel,
    StartTime,
    EndTime,
    StartValue,
    EndValue,
    StartVelocity,
    EndVelocity,
    Snap,
    NoteLength,
    Amplitude,
    Rate,
    Phase,
};
inline constexpr std::size_t kProgressionFieldCount = 12;

struct ProgressionType {
    std::uint32_t type;
    std::string text;
};

// The progression dialog without its widgets, working on the remembered
// settings: OK stores each value as it is read, so the values read before a
// refused one stay stored.
class ProgressionForm {
  public:
    ProgressionForm(ProgressionSettings& settings, const PromptSource& prompts);

    // The parts set each time the tool opens: the track's channel and its
    // range from the first beat to the tick after the last.
    void Complete(const Track& track, const ToolRange& range);

    const std::vector<ProgressionType>& Types() const { return types_; }
    std::uint32_t Type() const { return type_; }
    // Chooses an offered type; false, unchanged, for any other.
    bool SetType(std::uint32_t type);
    // A type as the list shows it ("Ctrl 7", "Tempo") or by number.
    bool SetTypeText(std::string_view text);

    bool Enabled(ProgressionField field) const;
    ValueRange SpinRange(ProgressionField field) const;
    static std::size_t Limit(ProgressionField field);

    const std::string& Text(ProgressionField field) const;
    // The edit box holds at most Limit(field) characters.
    void SetText(ProgressionField field, std::string_view text);

    const std::vector<std::string>& WaveNames() const { return waves_; }
    std::uint32_t Wave() const { return wave_; }
    bool SetWave(std::uint32_t wave);
    // A wave by its name or number.
    bool SetWaveText(std::string_view text);

    std::uint32_t Flags() const { return flags_; }
    void SetFlag(std::uint32_t flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }

    // -1 for a control other than an edit box.
    void SetFocus(int field) { focus_ = field; }
    // A note on played while the type is Note fills the focused side's key
    // and velocity.
    void MidiIn(std::uint32_t message);

    // Validates in the dialog's order; false shows "Invalid value" and the
    // dialog stays open.
    bool Ok();

  private:
    void ShowAll();
    bool IsNotes() const { return type_ == kProgressionNotes; }
    std::string& At(ProgressionField f) { return texts_[static_cast<std::size_t>(f)]; }

    ProgressionSettings& settings_;
    std::vector<ProgressionType> types_;
    std::vector<std::string> waves_;
    std::array<std::string, kProgressionFieldCount> texts_;
    std::uint32_t type_ = kProgressionNotes;
    std::uint32_t wave_ = 0;
    std::uint32_t flags_ = 0;
    int focus_ = -1;
};

}  // namespace kvs

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/track.h"

namespace kvs {

// One sound of the instrument list of a port, as the property dialogs
// offer it.
struct InstrumentChoice {
    std::string name;
    std::int32_t program = 0;
    std::int32_t bank = 0;
};

// The instrument lists as the property dialogs need them.
class InstrumentSource {
  public:
    virtual ~InstrumentSource() = default;
    // The sounds for a track on port and channel (kNoChannel for none);
    // nothing when the port has no instrument list.
    virtual std::optional<std::vector<InstrumentChoice>> Choices(std::uint32_t port,
                                                                 std::uint16_t channel) const = 0;
};

// Where the property dialogs send what the user should hear at once.
class PropertyOutput {
  public:
    virtual ~PropertyOutput() = default;
    virtual void SendShort(std::uint32_t message, std::uint32_t port) = 0;
    // The playing song's tempo, changed while the user types.
    virtual void SetTempo(std::uint32_t bpm) = 0;
};

enum class PropertyField : std::size_t { Program, Bank, Volume, Pan, Reverb, Chorus };
inline constexpr std::size_t kPropertyFieldCount = 6;

struct PropertyValues {
    std::int16_t program = -1;
    std::int16_t bank = -1;
    std::int16_t volume = -1;
    std::int16_t pan = -1;
    std::int16_t reverb = -1;
    std::int16_t chorus = -1;
    friend bool operator==(const PropertyValues&, const PropertyValues&) = default;
};

// The instrument, program, bank, volume, pan, reverb and chorus controls
// that Track Properties and Change Properties share: limits, clamping on
// leaving a field, the instrument list, live sending and incoming MIDI.
class PropertyFieldSet {
  public:
    // Either pointer may be null. live: the "MIDI in dialogs" setting.
    PropertyFieldSet(const InstrumentSource* instruments, PropertyOutput* output, bool live);

    static std::size_t MaxChars(PropertyField field);
    static std::int32_t MaxValue(PropertyField field);

    void Load(const PropertyValues& values);
    // The port and channel (kNoChannel: none) that the instrument list and
    // the live messages are for. Nothing is sent without a channel.
    void SetTarget(std::uint32_t port, std::uint16_t channel);

    const std::string& Text(PropertyField field) const { return texts_[Index(field)]; }
    void SetText(PropertyField field, std::string_view text);
    // Leaving a changed field clamps it, lets the instrument follow and
    // sends the value.
    void Leave(PropertyField field);
    void Spin(PropertyField field, int steps);
    // Program changes and controllers 0, 32, 7, 10, 91 and 93 fill their
    // fields. False for anything else.
    bool MidiIn(std::uint32_t message);

    bool InstrumentsEnabled() const { return instrumentsEnabled_; }
    // An empty first entry, then the names of the choices.
    std::vector<std::string> InstrumentItems() const;
    int InstrumentIndex() const { return instrumentIndex_; }
    void ChooseInstrument(int index);

    // Each field as an unsigned number within its range, -1 when it is not one.
    PropertyValues Values() const;

  private:
    static std::size_t Index(PropertyField f) { return static_cast<std::size_t>(f); }
    // The field's value for sending and clamping: -1 when not a number.
    std::int32_t Current(PropertyField field) const;
    void Store(PropertyField field, std::int32_t value);
    void Commit(PropertyField field);
    void FollowInstrument();
    void Send(PropertyField field);

    const InstrumentSource* instruments_;
    PropertyOutput* output_;
    bool live_;
    std::uint32_t port_ = 0;
    std::uint16_t channel_ = kNoChannel;
    std::array<std::string, kPropertyFieldCount> texts_;
    std::array<bool, kPropertyFieldCount> changed_{};
    bool instrumentsEnabled_ = false;
    std::vector<InstrumentChoice> choices_;
    int instrumentIndex_ = 0;  // 0: the empty entry
};

}  // namespace kvs

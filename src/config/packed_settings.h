#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {

// How incoming MIDI is reshaped before use ("MidiAssign" in [OPTIONS]).
struct MidiAssignSettings {
    std::int32_t keyTranspose = 0;
    std::int32_t velocityPercent = 100;
    std::int32_t velocityOffset = 0;
    std::uint16_t controllerFrom = 1;
    std::uint16_t controllerTo = 1;
    std::uint16_t bendUpTarget = 130;  // 0-127 controller, 129 aftertouch, 130 pitch bend
    std::uint16_t bendUpMax = 2;       // 0 minimum, 1 halfway, 2 maximum
    std::uint16_t bendUpMin = 0;
    std::uint16_t bendDownTarget = 130;
    std::uint16_t bendDownMax = 2;
    std::uint16_t bendDownMin = 0;
    bool operator==(const MidiAssignSettings&) const = default;
};

// Eleven comma-separated decimal fields in the order above. Anything less
// than all eleven gives nothing, so a damaged value keeps the defaults.
std::optional<MidiAssignSettings> ParseMidiAssign(std::string_view text);
std::string FormatMidiAssign(const MidiAssignSettings& value);

// Computer keys of the on-screen keyboard ("OskKeys" in [OPTIONS]).
struct OskLayoutSettings {
    static constexpr std::size_t kMaxKeys = 32;
    std::int16_t baseKey = 0;  // semitone added to every key, 0 = C
    // Virtual-key codes, key i playing semitone i: the home row for the
    // white keys, the row above for the black ones.
    std::vector<std::uint16_t> keys = {'A', 'W', 'S', 'E', 'D', 'F', 'T',  'G',  'Y',  'H',
                                       'U', 'J', 'K', 'O', 'L', 'P', 0xBA, 0xC0, 0xDD, 0xDE};
    bool operator==(const OskLayoutSettings&) const = default;
};

// The base key, then one key after every comma, up to kMaxKeys; a key of 0
// ends the list. Nothing when the base is unreadable or there is no first key.
std::optional<OskLayoutSettings> ParseOskKeys(std::string_view text);
std::string FormatOskKeys(const OskLayoutSettings& value);

}  // namespace kvs

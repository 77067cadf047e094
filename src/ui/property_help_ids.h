#pragma once

#include <cstdint>

// Context help numbers of the property, statistics and time-and-tempo
// dialogs' controls (texts in help/popups.txt).
namespace kvs::help_id {
inline constexpr std::uint32_t kPropName = 1501;
inline constexpr std::uint32_t kPropChannel = 1502;
inline constexpr std::uint32_t kPropPort = 1503;
inline constexpr std::uint32_t kPropInstrument = 1504;
// Program, bank, volume, pan, reverb and chorus, in PropertyField order.
inline constexpr std::uint32_t kPropFirstField = 1505;
inline constexpr std::uint32_t kPropTempo = 1511;
inline constexpr std::uint32_t kStatsList = 1520;
inline constexpr std::uint32_t kSongName = 1530;
inline constexpr std::uint32_t kSongCopyright = 1531;
inline constexpr std::uint32_t kTimeSigNumerator = 1540;
inline constexpr std::uint32_t kTimeSigDenominator = 1541;
inline constexpr std::uint32_t kInitialTempo = 1542;
}  // namespace kvs::help_id

#pragma once

#include <cstdint>

#include "midi/engine_output.h"

namespace kvs {

class Engine;
class MidiDeviceTable;
class Song;
class SysexQueue;
struct GeneralSettings;
struct SysexBlock;

// Command ids of the MIDI menu's output commands.
inline constexpr std::uint32_t kCmdSendInitialSettings = 136;
inline constexpr std::uint32_t kCmdSendCurrentSettings = 137;
inline constexpr std::uint32_t kCmdAllNotesOff = 198;
inline constexpr std::uint32_t kCmdGmReset = 199;
inline constexpr std::uint32_t kCmdGm2Reset = 200;
inline constexpr std::uint32_t kCmdGsReset = 201;
inline constexpr std::uint32_t kCmdXgReset = 202;
inline constexpr std::uint32_t kCmdLocalOff = 203;
inline constexpr std::uint32_t kCmdLocalOn = 204;

inline constexpr std::uint32_t kLocalOffMessage = 0x007AB0;  // B0 7A 00
inline constexpr std::uint32_t kLocalOnMessage = 0x7F7AB0;   // B0 7A 7F

// The fixed message of a command from kCmdAllNotesOff to kCmdLocalOn; null
// for any other id. The blocks live as long as the program.
const SysexBlock* FixedMessage(std::uint32_t command);
// Sends the command's fixed message to every open output through the queue.
// False when the id is not one of them.
bool SendFixedMessage(SysexQueue& queue, std::uint32_t command);

// "autolocal": local control off right after the devices open at start-up,
// on again at exit before they close. Short messages, not queued.
void AutoLocalAtStartUp(const GeneralSettings& settings, ShortMessageSink& out);
void AutoLocalAtExit(const GeneralSettings& settings, ShortMessageSink& out);
// "autoloadsend", after a new song is made or a song file loaded.
void AutoLoadSend(const GeneralSettings& settings, Engine& engine, SysexQueue& queue);

// Sends what is in force just before beat: every chased controller,
// program, pressure and bend, and sets the engine's tempo and signature, so
// that playback started there sounds right. Needs a song, a current track
// and at least one output; false when nothing was sent.
bool SendCurrentSettings(Engine& engine, const Song* song, std::int32_t currentTrack,
                         std::uint32_t outputCount, ShortMessageSink& out, std::uint32_t beat);

// The device table as the engine's short-message sink.
class DeviceTableSink final : public ShortMessageSink {
  public:
    explicit DeviceTableSink(const MidiDeviceTable& devices) : devices_(devices) {}
    void SendShort(std::uint32_t message, std::uint32_t port) override;
    void SendShortAll(std::uint32_t message) override;

  private:
    const MidiDeviceTable& devices_;
};

}  // namespace kvs

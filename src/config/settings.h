#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/packed_settings.h"
#include "config/profile_store.h"
#include "config/recent_files.h"
#include "files/file_result.h"

namespace kvs {

// The text a new settings file starts with, byte for byte.
inline constexpr std::string_view kDefaultSettingsText =
    "; Initialisation file for KVS - Kavelsong\r\n\r\n[OPTIONS]\r\n\r\n[keycommand]\r\n\r\n"
    "[ports]\r\n\r\n";

inline constexpr std::string_view kOptionsSection = "OPTIONS";
inline constexpr std::string_view kKeyCommandSection = "keycommand";
inline constexpr std::string_view kPortsSection = "ports";

// Longest text read back for a path-valued key.
inline constexpr std::size_t kSettingsPathMax = 259;

struct MetronomeClick {
    std::uint32_t channel;  // 1-16
    std::uint32_t port;
    std::uint32_t key;
    std::uint32_t velocity;  // 1-127
    bool operator==(const MetronomeClick&) const = default;
};

// The longest delay before playing or recording starts; a larger stored
// value would silence the engine for weeks.
inline constexpr std::uint32_t kMaxInitDelayMs = 60000;

// Playback, recording and metronome values the engine takes over.
struct EngineSettings {
    std::uint32_t initDelay = 0;  // milliseconds before playing or recording
    std::uint32_t playCount = 0;  // count-in beats
    std::uint32_t recCount = 0;
    MetronomeClick firstBeat{10, 0, 37, 100};
    MetronomeClick otherBeats{10, 0, 37, 80};
    bool metronome = true;
    bool midiThru = true;
    bool midiClock = true;
    bool synchroStart = false;
    bool operator==(const EngineSettings&) const = default;
};

struct GeneralSettings {
    std::uint32_t defaultPort = 0;
    bool followPlay = true;
    bool confirmRecord = true;
    bool midiInDialogs = true;
    bool keyCommands = true;
    bool autoLocal = false;
    std::uint32_t autoLoadSend = 0;  // 0 none, 1 initial settings, 2-5 GM/GM2/GS/XG reset
    bool autoClean = false;
    bool toolbar = true;
    bool statusBar = true;
    std::uint32_t positionType = 0;  // 0 beats, 1 bars, 2 time
    // 0 time 0, 1 before notes, 2 first available; anything else scans
    // nothing, and is kept as it is.
    std::uint32_t scanInit = 0;
    bool tipOfDayStartup = true;
    std::uint32_t tipOfDayNum = 0;  // 0-99
    bool operator==(const GeneralSettings&) const = default;
};

// File > Export audio: what the last export used.
struct AudioExportSettings {
    std::string soundFont;  // empty: the installed one
    std::uint32_t rate = 44100;
    bool operator==(const AudioExportSettings&) const = default;
};

// Action number per MIDI key; only keys 21-108 are stored.
using KeyCommandMap = std::array<std::uint32_t, 128>;
inline constexpr std::uint32_t kKeyCommandFirstKey = 21;
inline constexpr std::uint32_t kKeyCommandLastKey = 108;
inline constexpr std::uint32_t kKeyCommandLastAction = 76;

struct Settings {
    EngineSettings engine;
    GeneralSettings general;
    KeyCommandMap keyCommands{};
    MidiAssignSettings midiAssign;
    OskLayoutSettings oskLayout;
    RecentFiles recentFiles;
    std::string songDir = ".";  // where the song open/save dialogs start
    std::string libDir = ".";   // where the insert-from-file dialog starts
    AudioExportSettings audioExport;

    // The tip to show now; the next one is stored for the next start.
    std::uint32_t TakeTipOfDay();
    bool operator==(const Settings&) const = default;
};

// How port-valued keys name a device: by its system name, so a setting
// stays with its device when others come and go.
class PortKeys {
  public:
    virtual ~PortKeys() = default;
    // The first output whose key equals text exactly; port 0 when none does.
    virtual std::uint32_t PortFromKey(std::string_view text) const = 0;
    virtual std::string PortKey(std::uint32_t port) const = 0;
};

// Port keys over a list of output system names in port order.
class OutputPortKeys : public PortKeys {
  public:
    explicit OutputPortKeys(std::vector<std::string> outputNames = {})
        : names_(std::move(outputNames)) {}
    std::uint32_t PortFromKey(std::string_view text) const override;
    std::string PortKey(std::uint32_t port) const override;  // empty beyond the list

  private:
    std::vector<std::string> names_;
};

// A subsystem that keeps its own keys in the settings file (the device
// table, instrument assignment, ...).
class SettingsParticipant {
  public:
    virtual ~SettingsParticipant() = default;
    virtual void ResetSettings() = 0;  // back to defaults, before reading
    virtual void ReadSettings(const ProfileStore& store) = 0;
    virtual void WriteSettings(ProfileStore& store) = 0;
};

// Where a participant is read and written among the program's own keys.
enum class SettingsStage {
    kPorts,             // port aliases, then names and enable flags
    kInstrumentLists,   // lists and their per-port assignment
    kMidiAssignments,   // after "MidiAssign"
    kOnScreenKeyboard,  // after "OskKeys"
};

struct SettingsLoadResult {
    bool existed = false;  // false: tell the user defaults are in use
    bool created = false;  // a new file with every setting was written
    ResultCode error = kResultOk;
};

// The settings file as a whole: defaults, the order of reading and
// writing, and creation when missing.
class SettingsFile {
  public:
    SettingsFile(std::string path, const PortKeys& ports);

    // Participants are called in the order they were attached within a stage.
    void Attach(SettingsStage stage, SettingsParticipant& participant);

    // Every setting and every participant back to its default.
    void Reset(Settings& settings);
    // Start-up: defaults, then the file; a missing file is created with the
    // default text and every setting.
    SettingsLoadResult Load(Settings& settings);
    // Program end: every key, whatever its value, then the file replaced whole.
    ResultCode Save(const Settings& settings);

    // For keys written through at once (port aliases).
    ProfileStore& Store() { return store_; }

  private:
    void ReadOptions(Settings& s) const;
    void WriteOptions(const Settings& s);
    void ReadStage(SettingsStage stage) const;
    void WriteStage(SettingsStage stage);

    ProfileStore store_;
    const PortKeys& ports_;
    std::vector<std::pair<SettingsStage, SettingsParticipant*>> participants_;
};

}  // namespace kvs

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "midi/midi_device_table.h"

namespace kvs {

// Settings name ports by the system names of the enumerated outputs.
class TablePortKeys final : public PortKeys {
  public:
    explicit TablePortKeys(const MidiDeviceTable& table) : table_(table) {}
    std::uint32_t PortFromKey(std::string_view text) const override {
        return table_.PortFromKey(text);
    }
    std::string PortKey(std::uint32_t port) const override { return table_.PortKey(port); }

  private:
    const MidiDeviceTable& table_;
};

// The port aliases and per-port settings, read and written with the rest.
class PortSettings final : public SettingsParticipant {
  public:
    explicit PortSettings(MidiDeviceTable& table) : table_(table) {}
    void ResetSettings() override { table_.ResetPortSettings(); }
    void ReadSettings(const ProfileStore& store) override {
        table_.ReadPortAliases(store);
        table_.ReadPortSettings(store);
    }
    void WriteSettings(ProfileStore& store) override {
        table_.WritePortAliases(store);
        table_.WritePortSettings(store);
    }

  private:
    MidiDeviceTable& table_;
};

}  // namespace kvs

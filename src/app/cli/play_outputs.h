#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "midi/engine_output.h"
#include "midi/midi_device_table.h"

namespace kvs {

// The engine's short messages straight to the device table.
class TableMessageSink final : public ShortMessageSink {
  public:
    explicit TableMessageSink(const MidiDeviceTable& table) : table_(table) {}
    void SendShort(std::uint32_t message, std::uint32_t port) override {
        table_.SendShort(message, port);
    }
    void SendShortAll(std::uint32_t message) override { table_.SendShortAll(message); }

  private:
    const MidiDeviceTable& table_;
};

// SysEx events as the command line sends them: the timer only queues them in
// room reserved up front; Pump, on the main thread, sends one block at a time
// and starts the next only when the device reports the previous one sent.
class TableSysexOutput final : public SysexOutput {
  public:
    explicit TableSysexOutput(const MidiDeviceTable& table, std::size_t capacity = 4096);

    void QueueSysex(const SysexBlock& block, std::uint32_t port) override;
    void KickSysex() override {}

    // Starts the next block when none is in flight.
    void Pump();
    // Nothing queued and nothing in flight.
    bool Idle() const;
    std::size_t Dropped() const;

  private:
    struct Entry {
        const SysexBlock* block;
        std::uint32_t port;
    };

    const MidiDeviceTable& table_;
    mutable std::mutex mutex_;
    std::vector<Entry> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::size_t dropped_ = 0;
    std::atomic<bool> inFlight_{false};
};

}  // namespace kvs

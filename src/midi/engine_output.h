#pragma once

#include <cstdint>

namespace kvs {

struct SysexBlock;

// Where the engine's short messages go (the device table in the program).
// Both calls may come from the timer thread: they must not allocate or block.
class ShortMessageSink {
  public:
    virtual ~ShortMessageSink() = default;
    virtual void SendShort(std::uint32_t message, std::uint32_t port) = 0;
    virtual void SendShortAll(std::uint32_t message) = 0;
};

// The long-message queue as the timer thread sees it: queueing only; the
// sending itself continues from the window thread.
class SysexOutput {
  public:
    virtual ~SysexOutput() = default;
    // The block stays owned by its track's table.
    virtual void QueueSysex(const SysexBlock& block, std::uint32_t port) = 0;
    virtual void KickSysex() = 0;
};

// The take being recorded, as far as the transport needs it.
class TakeRecorder {
  public:
    virtual ~TakeRecorder() = default;
    // Timer thread, at a loop wrap while recording without confirmation:
    // keeps the take and begins a new one; false when no new take can be made.
    virtual bool RenewTakeAtLoop() = 0;
    // Window thread, when the engine stops: keep (possibly after asking) or
    // drop the take, then destroy it.
    virtual void EndTake(bool commit) = 0;
};

}  // namespace kvs

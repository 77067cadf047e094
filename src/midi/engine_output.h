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
    // Window thread, before a song's SysEx blocks are freed or changed:
    // returns once no queued or departing message uses them. Outputs that
    // are done with the bytes when QueueSysex returns have nothing to do.
    virtual void ReleaseBlocks() {}
};

// The take being recorded, as far as the transport needs it.
class TakeRecorder {
  public:
    virtual ~TakeRecorder() = default;
    // Window thread, when the engine stops: keep (possibly after asking) or
    // drop the take, then destroy it. position: where the engine stopped,
    // before it returns to its start.
    virtual void EndTake(bool commit, std::uint32_t position) = 0;
};

}  // namespace kvs

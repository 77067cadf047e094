#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "midi/engine_output.h"
#include "midi/notifier.h"

namespace kvs {

class MidiDeviceTable;
struct SysexBlock;

// Sends long messages one at a time, in queue order, across all ports. The
// device reports each message done on its own thread; that only posts
// SYSEX_DONE, and the window thread answers with SysexSent, which starts the
// next one.
//
// The queue holds pointers, never the blocks: a block belongs to a track, to
// a caller who waits with WaitSysexDone, or is one of the fixed messages.
//
// Threads: QueueSysex and KickSysex may run on the timer thread and allocate
// nothing there; the node storage only grows through Reserve and
// SendSysexAll, on the window thread. The lock guards a few words at a time
// and is never held across a send.
class SysexQueue final : public SysexOutput {
  public:
    static constexpr std::size_t kDefaultCapacity = 256;

    // The devices and the notifier must outlive every message in flight.
    SysexQueue(const MidiDeviceTable& devices, Notifier& notifier);
    SysexQueue(const SysexQueue&) = delete;
    SysexQueue& operator=(const SysexQueue&) = delete;

    // Window thread: room for at least n waiting messages (before playback,
    // for the song's SysEx events). False when memory runs out.
    bool Reserve(std::size_t n);

    // Appends without allocating; a full queue drops the block and counts it.
    void QueueSysex(const SysexBlock& block, std::uint32_t port) override;
    // Starts the head message when none is in flight. A port that is closed
    // or refuses the message would never report it done, so such a message
    // is skipped rather than blocking the queue for good.
    void KickSysex() override;
    // Window thread: queues the block for every open output in port order,
    // then kicks once. Nothing is queued while no output is open.
    void SendSysexAll(const SysexBlock& block);
    // Window thread, on SYSEX_DONE: the message in flight has left.
    void SysexSent();
    // Window thread: until the queue is empty, runs dispatch (which hands
    // SYSEX_DONE to SysexSent) and sleeps pause. Before freeing bytes the
    // caller queued.
    void WaitSysexDone(const std::function<void()>& dispatch,
                       std::chrono::milliseconds pause = std::chrono::milliseconds(100));
    // Window thread: forgets every message not yet started (before the
    // blocks they point at are freed). The one in flight stays.
    void DropWaiting();

    bool Busy() const;
    // Waiting messages plus the one in flight.
    std::size_t Size() const;
    std::size_t Dropped() const;

  private:
    struct Node {
        const SysexBlock* block;
        std::uint32_t port;
    };

    bool Grow(std::size_t capacity);

    const MidiDeviceTable& devices_;
    Notifier& notifier_;
    mutable std::mutex mutex_;
    // Guarded by mutex_. A ring: the head is the message in flight while busy.
    std::vector<Node> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::size_t dropped_ = 0;
    bool busy_ = false;
};

}  // namespace kvs

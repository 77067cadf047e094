#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "midi/engine_output.h"
#include "midi/mpmc_ring.h"
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
// Whoever frees or changes a track's blocks calls ReleaseBlocks first (the
// editing side does so whenever it takes the song lock or replaces the song).
//
// Threads: QueueSysex and KickSysex may run on the timer thread; they take
// no lock and allocate nothing. The node storage only grows through Reserve
// and SendSysexAll, on the window thread: a bigger ring takes the new nodes
// while the old one drains first, so the order holds across growth.
class SysexQueue final : public SysexOutput {
  public:
    static constexpr std::size_t kDefaultCapacity = 256;

    // The devices and the notifier must outlive every message in flight; so
    // must the queue (destroy it after closing the devices).
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
    // Window thread: drops what waits, cuts the message in flight short and
    // returns once the device no longer reads its bytes.
    void ReleaseBlocks() override;

    bool Busy() const;
    // Waiting messages plus the one in flight.
    std::size_t Size() const;
    std::size_t Dropped() const;

  private:
    struct Node {
        const SysexBlock* block = nullptr;
        std::uint32_t port = 0;
    };
    // One ring of the chain; next is set before the ring is closed.
    struct Link {
        explicit Link(std::size_t capacity) : ring(capacity) {}
        MpmcRing<Node> ring;
        std::atomic<Link*> next{nullptr};
    };

    bool Grow(std::size_t capacity);
    // A device finished with the message in flight, or refused it.
    void MessageLeft(bool refused);
    // With the pop token held.
    bool PopWaiting(Node* node);
    bool NextReady() const;
    void TakePopToken();

    const MidiDeviceTable& devices_;
    Notifier& notifier_;
    // Every ring made, oldest first; freed only with the queue, since a
    // producer may still be looking at a ring that was closed. Changed only
    // by the window thread.
    std::vector<std::unique_ptr<Link>> links_;
    // Producers push at tail_; the holder of popToken_ takes from head_.
    std::atomic<Link*> tail_{nullptr};
    std::atomic<Link*> head_{nullptr};
    std::atomic<bool> popToken_{false};
    // Touched by every kick on both sides of taking the token, so that a
    // push and a release of the token cannot both miss each other.
    std::atomic<std::uint32_t> handshake_{0};
    // A message is in flight (it is no longer in any ring).
    std::atomic<bool> busy_{false};
    std::atomic<std::size_t> dropped_{0};
    // Messages handed to a device and messages it has finished with; they
    // differ while one is in flight.
    std::atomic<std::uint32_t> started_{0};
    std::atomic<std::uint32_t> finished_{0};
    std::atomic<std::uint32_t> inFlightPort_{0};
};

}  // namespace kvs

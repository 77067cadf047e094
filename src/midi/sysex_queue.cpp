#include "midi/sysex_queue.h"

#include <algorithm>
#include <new>
#include <span>
#include <thread>

#include "midi/midi_device_table.h"
#include "model/sysex_table.h"

namespace kvs {

SysexQueue::SysexQueue(const MidiDeviceTable& devices, Notifier& notifier)
    : devices_(devices), notifier_(notifier) {
    links_.push_back(std::make_unique<Link>(kDefaultCapacity));
    tail_.store(links_.back().get());
    head_.store(links_.back().get());
}

bool SysexQueue::Reserve(std::size_t n) {
    const Link* tail = tail_.load(std::memory_order_acquire);
    const std::size_t capacity = tail->ring.Capacity();
    if (capacity - std::min(capacity, tail->ring.Size()) >= n) return true;
    return Grow(std::max(n, capacity * 2));
}

bool SysexQueue::Grow(std::size_t capacity) {
    std::unique_ptr<Link> link;
    try {
        links_.reserve(links_.size() + 1);
        link = std::make_unique<Link>(capacity);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Producers that find the old ring closed follow next; the consumer
    // empties the old ring before it moves on, so nothing overtakes.
    Link* old = tail_.load(std::memory_order_relaxed);
    old->next.store(link.get(), std::memory_order_release);
    old->ring.Close();
    tail_.store(link.get(), std::memory_order_release);
    links_.push_back(std::move(link));
    return true;
}

void SysexQueue::QueueSysex(const SysexBlock& block, std::uint32_t port) {
    Link* link = tail_.load(std::memory_order_acquire);
    while (link != nullptr) {
        switch (link->ring.TryPush(Node{&block, port})) {
            case MpmcRing<Node>::Push::Ok:
                return;
            case MpmcRing<Node>::Push::Full:
                dropped_.fetch_add(1, std::memory_order_relaxed);
                return;
            case MpmcRing<Node>::Push::Closed:
                link = link->next.load(std::memory_order_acquire);
                break;
        }
    }
    dropped_.fetch_add(1, std::memory_order_relaxed);  // not reached: a closed ring has a next
}

bool SysexQueue::PopWaiting(Node* node) {
    Link* link = head_.load(std::memory_order_relaxed);
    for (;;) {
        if (link->ring.TryPop(node)) return true;
        Link* next = link->next.load(std::memory_order_acquire);
        if (next == nullptr || !link->ring.Drained()) return false;
        head_.store(next, std::memory_order_release);
        link = next;
    }
}

bool SysexQueue::NextReady() const {
    for (const Link* link = head_.load(std::memory_order_acquire); link != nullptr;
         link = link->next.load(std::memory_order_acquire)) {
        if (link->ring.HeadReady()) return true;
        if (!link->ring.Drained()) return false;
    }
    return false;
}

void SysexQueue::TakePopToken() {
    // Only the window thread waits here, and only for a few instructions of
    // the timer thread.
    while (popToken_.exchange(true, std::memory_order_acquire))
        std::this_thread::yield();
}

void SysexQueue::KickSysex() {
    for (;;) {
        // A push just before must be seen by whoever holds the token once it
        // lets go, or be found by us.
        handshake_.fetch_add(1, std::memory_order_acq_rel);
        if (busy_.load()) return;
        if (popToken_.exchange(true, std::memory_order_acquire)) return;
        Node node;
        bool popped = false;
        if (!busy_.load() && PopWaiting(&node)) {
            busy_.store(true);
            popped = true;
        }
        popToken_.store(false, std::memory_order_release);
        handshake_.fetch_add(1, std::memory_order_acq_rel);
        if (!popped) {
            // Someone may have pushed and given up on the token meanwhile.
            if (busy_.load() || !NextReady()) return;
            continue;
        }
        // The device's thread only counts and posts; the window thread
        // carries on.
        const std::span<const std::uint8_t> bytes(node.block->bytes.data(),
                                                  node.block->bytes.size());
        inFlightPort_.store(node.port);
        started_.fetch_add(1);
        if (devices_.SendLong(node.port, bytes, [this] { MessageLeft(false); })) return;
        MessageLeft(true);
        busy_.store(false);
    }
}

void SysexQueue::SendSysexAll(const SysexBlock& block) {
    std::uint32_t open = 0;
    for (std::uint32_t port = 0; port < devices_.OutCount(); ++port)
        if (devices_.IsOpen(MidiDeviceKind::Out, port)) ++open;
    if (open == 0) return;
    Reserve(open);
    for (std::uint32_t port = 0; port < devices_.OutCount(); ++port)
        if (devices_.IsOpen(MidiDeviceKind::Out, port)) QueueSysex(block, port);
    KickSysex();
}

void SysexQueue::SysexSent() {
    if (!busy_.exchange(false)) return;  // a stray report: nothing is in flight
    KickSysex();
}

void SysexQueue::WaitSysexDone(const std::function<void()>& dispatch,
                               std::chrono::milliseconds pause) {
    while (Size() != 0) {
        if (dispatch) dispatch();
        if (Size() == 0) break;
        std::this_thread::sleep_for(pause);
    }
}

void SysexQueue::DropWaiting() {
    TakePopToken();
    Node node;
    while (PopWaiting(&node)) {
    }
    popToken_.store(false, std::memory_order_release);
    // A kick that found the token taken left the rest to us.
    KickSysex();
}

void SysexQueue::MessageLeft(bool refused) {
    finished_.fetch_add(1);
    finished_.notify_all();
    if (!refused) notifier_.Post(SYSEX_DONE, 0);
}

void SysexQueue::ReleaseBlocks() {
    DropWaiting();
    if (finished_.load() == started_.load()) return;
    devices_.CancelLong(inFlightPort_.load());
    for (;;) {
        const std::uint32_t finished = finished_.load();
        if (finished == started_.load()) return;
        finished_.wait(finished);
    }
}

bool SysexQueue::Busy() const {
    return busy_.load();
}

std::size_t SysexQueue::Size() const {
    std::size_t n = busy_.load() ? 1 : 0;
    for (const Link* link = head_.load(std::memory_order_acquire); link != nullptr;
         link = link->next.load(std::memory_order_acquire))
        n += link->ring.Size();
    return n;
}

std::size_t SysexQueue::Dropped() const {
    return dropped_.load(std::memory_order_relaxed);
}

}  // namespace kvs

#include "midi/sysex_queue.h"

#include <algorithm>
#include <new>
#include <span>
#include <thread>

#include "midi/midi_device_table.h"
#include "model/sysex_table.h"

namespace kvs {

SysexQueue::SysexQueue(const MidiDeviceTable& devices, Notifier& notifier)
    : devices_(devices), notifier_(notifier), ring_(kDefaultCapacity) {}

bool SysexQueue::Reserve(std::size_t n) {
    std::size_t capacity = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ring_.size() - count_ >= n) return true;
        capacity = std::max(count_ + n, ring_.size() * 2);
    }
    return Grow(capacity);
}

bool SysexQueue::Grow(std::size_t capacity) {
    // Allocated outside the lock, so the timer thread never waits on it.
    std::vector<Node> bigger;
    try {
        bigger.resize(capacity);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (bigger.size() < count_) return false;  // cannot happen from one window thread
    for (std::size_t i = 0; i < count_; ++i)
        bigger[i] = ring_[(head_ + i) % ring_.size()];
    ring_.swap(bigger);
    head_ = 0;
    return true;
}

void SysexQueue::QueueSysex(const SysexBlock& block, std::uint32_t port) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == ring_.size()) {
        ++dropped_;
        return;
    }
    ring_[(head_ + count_) % ring_.size()] = Node{&block, port};
    ++count_;
}

void SysexQueue::KickSysex() {
    for (;;) {
        Node node{};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (busy_ || count_ == 0) return;
            busy_ = true;
            node = ring_[head_];
        }
        // The device's thread only posts; the window thread carries on.
        Notifier* notifier = &notifier_;
        const std::span<const std::uint8_t> bytes(node.block->bytes.data(),
                                                  node.block->bytes.size());
        if (devices_.SendLong(node.port, bytes, [notifier] { notifier->Post(SYSEX_DONE, 0); }))
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        head_ = (head_ + 1) % ring_.size();
        --count_;
        busy_ = false;
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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!busy_) return;  // a stray report: nothing is in flight
        head_ = (head_ + 1) % ring_.size();
        --count_;
        busy_ = false;
    }
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
    std::lock_guard<std::mutex> lock(mutex_);
    count_ = busy_ ? std::min<std::size_t>(count_, 1) : 0;
}

bool SysexQueue::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return busy_;
}

std::size_t SysexQueue::Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

std::size_t SysexQueue::Dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

}  // namespace kvs

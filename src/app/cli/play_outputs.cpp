#include "app/cli/play_outputs.h"

#include "model/sysex_table.h"

namespace kvs {

TableSysexOutput::TableSysexOutput(const MidiDeviceTable& table, std::size_t capacity)
    : table_(table), ring_(capacity == 0 ? 1 : capacity) {}

void TableSysexOutput::QueueSysex(const SysexBlock& block, std::uint32_t port) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == ring_.size()) {
        ++dropped_;
        return;
    }
    ring_[(head_ + count_) % ring_.size()] = {&block, port};
    ++count_;
}

void TableSysexOutput::Pump() {
    while (!inFlight_.load(std::memory_order_acquire)) {
        Entry next;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (count_ == 0) return;
            next = ring_[head_];
            head_ = (head_ + 1) % ring_.size();
            --count_;
        }
        inFlight_.store(true, std::memory_order_release);
        const bool started = table_.SendLong(next.port, next.block->bytes, [this] {
            inFlight_.store(false, std::memory_order_release);
        });
        // A refused block is skipped: nothing will report it done.
        if (!started) inFlight_.store(false, std::memory_order_release);
    }
}

bool TableSysexOutput::Idle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_ == 0 && !inFlight_.load(std::memory_order_acquire);
}

std::size_t TableSysexOutput::Dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

}  // namespace kvs

#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "midi/mpmc_ring.h"

namespace kvs {

inline constexpr std::uint32_t ENGINE_NOTIFY = 30000;
inline constexpr std::uint32_t SYSEX_DONE = 30001;
inline constexpr std::uint32_t kCommandPlayStop = 130;
// Codes of ENGINE_NOTIFY.
inline constexpr std::uint32_t kNotifyBeat = 1;
inline constexpr std::uint32_t kNotifyStateChanged = 2;
inline constexpr std::uint32_t kNotifyStopped = 3;
// While recording: a loop pass has ended (Engine::LoopPass has moved on).
inline constexpr std::uint32_t kNotifyLoopWrap = 4;
// While step recording: input waits to be entered.
inline constexpr std::uint32_t kNotifyRecordInput = 5;

struct Notification {
    std::uint32_t id = 0;
    std::uint32_t code = 0;
    friend bool operator==(const Notification&, const Notification&) = default;
};

// Hands (command id, code) pairs to the window thread, in the order posted.
// Post may be called from any thread, the timer thread included: it must not
// block for long.
class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void Post(std::uint32_t id, std::uint32_t code) = 0;
};

// A bounded first-in first-out queue that the window thread (or a test, or
// the command-line player) drains. Its storage is reserved up front and Post
// takes no lock, so posting never allocates or waits; posts beyond the
// capacity are counted and dropped. A capacity below 2 is taken as 2.
class FifoNotifier final : public Notifier {
  public:
    explicit FifoNotifier(std::size_t capacity = 65536);
    void Post(std::uint32_t id, std::uint32_t code) override;
    std::optional<Notification> Take();
    std::vector<Notification> TakeAll();
    std::size_t Dropped() const;

  private:
    MpmcRing<Notification> ring_;
    std::atomic<std::size_t> dropped_{0};
};

}  // namespace kvs

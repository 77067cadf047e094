#include "midi/backends/rtmidi_layer.h"

#include <RtMidi.h>

#include <array>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>

#include "midi/backends/backend_probe.h"
#include "midi/backends/jack_cycle_clock.h"
#include "midi/backends/jack_ring_budget.h"
#include "midi/backends/long_send_slots.h"
#include "midi/backends/rtmidi_input_assembler.h"
#include "midi/backends/rtmidi_names.h"
#include "midi/short_send_gate.h"

namespace kvs {

namespace {

RtMidi::Api ToRtApi(RtMidiLayer::Api api) {
    return api == RtMidiLayer::Api::Alsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

// With an error callback installed RtMidi reports instead of throwing; the
// callback runs on the thread of the failing call.
struct ErrorCapture {
    std::atomic<bool> failed{false};
    std::string text;  // read only by the thread that made the failing call

    static void Callback(RtMidiError::Type type, const std::string& message, void* user) {
        auto* self = static_cast<ErrorCapture*>(user);
        // Warnings about unknown/ignored ports are harmless; anything else
        // (including "buffer full" on output) means the call did not happen.
        if (type == RtMidiError::DEBUG_WARNING) return;
        self->text = message;
        self->failed.store(true, std::memory_order_relaxed);
    }
};

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

template <typename Port>
std::vector<std::string> PortNames(Port& port) {
    std::vector<std::string> names;
    unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        names.push_back(port.getPortName(i));
    return names;
}

// The same device as at enumeration: first by its exact name, then by its
// stable name (ALSA may have renumbered it).
template <typename Port>
bool FindPort(Port& port, const std::string& raw, const std::string& stable, unsigned* index) {
    std::vector<std::string> names = PortNames(port);
    for (unsigned i = 0; i < names.size(); ++i) {
        if (names[i] == raw) return *index = i, true;
    }
    for (unsigned i = 0; i < names.size(); ++i) {
        if (StableSystemName(names[i]) == stable) return *index = i, true;
    }
    return false;
}

// Long messages go out on a worker thread so SendLong returns at once and
// completion is reported the way the caller expects it: later, elsewhere.
// Short messages sent while a long one waits or goes out are held back and
// follow it, so the device sees everything in the order it was sent. No
// send waits for another thread's send or allocates (the timer thread sends):
// a long message takes a slot reserved at open and joins the short ones in
// the gate as a marker, so it keeps its place among them. On JACK, short
// messages that find the device's last cycles full wait the same way, behind
// an empty long message, and the worker paces them out.
class RtMidiOutputPort : public MidiOutputPort {
  public:
    // clock: the JACK server's cycles; null on ALSA.
    RtMidiOutputPort(std::unique_ptr<RtMidiOut> out, std::unique_ptr<ErrorCapture> errors,
                     bool jack, std::shared_ptr<JackCycleClock> clock)
        : out_(std::move(out)),
          errors_(std::move(errors)),
          jack_(jack),
          clock_(std::move(clock)),
          held_(std::make_unique<Held[]>(kHeldMessages)) {
        worker_ = std::thread([this] { Work(); });
    }

    ~RtMidiOutputPort() override {
        slots_.Stop();
        worker_.join();
        try {
            out_->closePort();
        } catch (const std::exception&) {
        }
    }

    void SendShort(std::uint32_t message) override {
        message &= 0xFFFFFF;  // the top byte marks long messages in the gate
        if (ShortMessageLength(static_cast<std::uint8_t>(message)) == 0) return;
        gate_.Send(message, deliver_);
    }

    bool SendLong(std::span<const std::uint8_t> bytes, std::function<void()> done) override {
        if (bytes.empty() || slots_.Stopping()) return false;
        std::uint32_t slot = 0;
        if (!slots_.Acquire(&slot)) return false;
        LongSendSlots::Job& job = slots_.At(slot);
        job.bytes = bytes;
        job.done = std::move(done);
        cancelFrom_[slot] = cancels_.load(std::memory_order_acquire);
        if (gate_.Send(kLongMark | slot, deliver_)) return true;
        slots_.Release(slot);
        return false;
    }

    void CancelLong() override { cancels_.fetch_add(1, std::memory_order_acq_rel); }

    std::uint64_t Dropped() const override {
        return gate_.Dropped() + heldDropped_.load(std::memory_order_relaxed) +
               sendFailed_.load(std::memory_order_relaxed);
    }

  private:
    // RtMidi's JACK output cannot take a message longer than its ring, so
    // longer SysEx goes out in pieces the receiving side joins again.
    static constexpr std::size_t kJackPiece = 1024;
    // What the engine may send while a long message is under way: a
    // megabyte of SysEx takes about a second, and a dense song sends tens of
    // thousands of notes in that time. 512 KiB per port.
    static constexpr std::size_t kHeldMessages = std::size_t{1} << 16;
    static constexpr std::size_t kPendingMessages = 1024;
    static constexpr std::size_t kLongSlots = 16;
    static constexpr std::uint32_t kLongMark = 0xFF000000u;
    // A device that takes nothing for this long is given up: what waits for
    // it is dropped (and counted) rather than holding the port forever.
    static constexpr auto kStallLimit = std::chrono::seconds(2);
    // Without a clock a JACK cycle is taken to last this long.
    static constexpr auto kAssumedCycle = std::chrono::milliseconds(10);

    struct Held {
        std::uint32_t ticket;  // the long message it follows
        std::uint32_t message;
    };

    bool SendLocked(const std::uint8_t* bytes, std::size_t length) {
        errors_->failed.store(false, std::memory_order_relaxed);
        try {
            out_->sendMessage(bytes, length);
        } catch (const std::exception&) {
            return false;
        }
        return !errors_->failed.load(std::memory_order_relaxed);
    }

    // With the gate held: whether length bytes may go to the device now.
    // ALSA takes whatever comes.
    bool Room(std::size_t length) {
        if (!jack_) return true;
        std::uint64_t cycle = 0;
        if (clock_) {
            cycle = clock_->Cycles();
        } else {
            cycle = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch() /
                                               kAssumedCycle);
        }
        return budget_.Take(length, cycle);
    }

    // Worker: called at the start of a job (progressed) and after each try;
    // true when the device has taken nothing for too long. A device given
    // up on stays so until it takes something again, so that later jobs do
    // not each wait out the limit.
    bool GiveUp(bool progressed) {
        const auto now = std::chrono::steady_clock::now();
        if (progressed) {
            lastProgress_ = now;
            stuck_ = false;
            return false;
        }
        if ((clock_ && !clock_->Alive()) || now - lastProgress_ > kStallLimit) stuck_ = true;
        return stuck_;
    }
    void StartJob() {
        if (!stuck_) lastProgress_ = std::chrono::steady_clock::now();
    }

    bool SendShortLocked(std::uint32_t message) {
        std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message),
                                 static_cast<std::uint8_t>(message >> 8),
                                 static_cast<std::uint8_t>(message >> 16)};
        return SendLocked(bytes, ShortMessageLength(bytes[0]));
    }

    // With the gate held, in the order the messages were sent.
    void Deliver(std::uint32_t message) {
        if ((message & kLongMark) == kLongMark) {
            const std::uint32_t slot = message & ~kLongMark;
            slots_.At(slot).ticket = ++lastTicket_;
            ++longsQueued_;
            slots_.Publish(slot);
            return;
        }
        if (longsQueued_ == 0) {
            if (Room(ShortMessageLength(static_cast<std::uint8_t>(message)))) {
                if (!SendShortLocked(message)) sendFailed_.fetch_add(1, std::memory_order_relaxed);
                return;
            }
            if (!HoldForPacing()) {
                sendFailed_.fetch_add(1, std::memory_order_relaxed);
                return;
            }
        }
        if (heldCount_ < kHeldMessages) {
            held_[(heldFirst_ + heldCount_) % kHeldMessages] =
                Held{static_cast<std::uint32_t>(lastTicket_), message};
            ++heldCount_;
        } else {
            heldDropped_.fetch_add(1, std::memory_order_relaxed);
        }
    }

    // With the gate held: an empty long message for the worker, so that
    // what follows waits behind it and goes out paced.
    bool HoldForPacing() {
        std::uint32_t slot = 0;
        if (!slots_.Acquire(&slot)) return false;
        LongSendSlots::Job& job = slots_.At(slot);
        job.bytes = {};
        job.done = nullptr;
        cancelFrom_[slot] = cancels_.load(std::memory_order_acquire);
        Deliver(kLongMark | slot);
        return true;
    }

    void Work() {
        std::uint32_t slot = 0;
        while (slots_.Next(&slot)) {
            LongSendSlots::Job& job = slots_.At(slot);
            StartJob();
            if (!slots_.Stopping()) Send(job.bytes, cancelFrom_[slot]);
            ReleaseHeld(static_cast<std::uint32_t>(job.ticket));
            // Also for a message given up or cut short: whoever waits for it
            // must learn that the device is free again.
            std::function<void()> done = std::move(job.done);
            slots_.Release(slot);
            if (done) done();
        }
    }

    bool Cancelled(std::uint64_t from) const {
        return slots_.Stopping() || cancels_.load(std::memory_order_acquire) != from;
    }

    // Sends what waited for the long message of ticket, in pieces as the
    // device takes them; what arrives meanwhile joins the end and goes too.
    void ReleaseHeld(std::uint32_t ticket) {
        for (;;) {
            bool finished = false;
            bool progressed = false;
            gate_.Hold(
                [&] {
                    while (heldCount_ != 0 && held_[heldFirst_].ticket == ticket) {
                        const std::uint32_t message = held_[heldFirst_].message;
                        if (!Room(ShortMessageLength(static_cast<std::uint8_t>(message))) ||
                            !SendShortLocked(message))
                            return;
                        progressed = true;
                        heldFirst_ = (heldFirst_ + 1) % kHeldMessages;
                        --heldCount_;
                    }
                    --longsQueued_;
                    finished = true;
                },
                deliver_);
            if (finished) return;
            if (GiveUp(progressed)) {
                DropHeld(ticket);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void DropHeld(std::uint32_t ticket) {
        gate_.Hold(
            [&] {
                while (heldCount_ != 0 && held_[heldFirst_].ticket == ticket) {
                    heldFirst_ = (heldFirst_ + 1) % kHeldMessages;
                    --heldCount_;
                    heldDropped_.fetch_add(1, std::memory_order_relaxed);
                }
                --longsQueued_;
            },
            deliver_);
    }

    void Send(std::span<const std::uint8_t> bytes, std::uint64_t cancelFrom) {
        if (bytes.empty()) return;
        if (!jack_) {
            // The ALSA sequencer takes SysEx of any length in one event run.
            gate_.Hold([&] { SendLocked(bytes.data(), bytes.size()); }, deliver_);
            return;
        }
        std::size_t offset = 0;
        while (offset < bytes.size() && !Cancelled(cancelFrom)) {
            const std::size_t length = std::min(kJackPiece, bytes.size() - offset);
            bool sent = false;
            gate_.Hold([&] { sent = Room(length) && SendLocked(bytes.data() + offset, length); },
                       deliver_);
            if (sent) offset += length;
            if (GiveUp(sent)) break;
            if (!sent) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // A message cut short would leave the receiver inside it.
        if (offset != 0 && offset < bytes.size() && bytes.back() == 0xF7) {
            static constexpr std::uint8_t kEnd = 0xF7;
            for (int tries = 0; tries < 100 && !slots_.Stopping(); ++tries) {
                bool sent = false;
                gate_.Hold([&] { sent = Room(1) && SendLocked(&kEnd, 1); }, deliver_);
                if (sent) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    }

    std::unique_ptr<RtMidiOut> out_;
    std::unique_ptr<ErrorCapture> errors_;
    bool jack_;
    std::shared_ptr<JackCycleClock> clock_;
    // The worker's view of whether the device still takes anything.
    std::chrono::steady_clock::time_point lastProgress_;
    bool stuck_ = false;

    // Held only around RtMidi sends and bookkeeping: RtMidi's output is not
    // safe for concurrent senders (timer, input thru and window threads).
    // What follows it is guarded by it.
    ShortSendGate gate_{kPendingMessages};
    JackRingBudget budget_;
    std::uint64_t lastTicket_ = 0;
    std::uint64_t longsQueued_ = 0;
    std::unique_ptr<Held[]> held_;
    std::size_t heldFirst_ = 0;
    std::size_t heldCount_ = 0;
    struct DeliverFn {
        RtMidiOutputPort* port;
        void operator()(std::uint32_t message) const { port->Deliver(message); }
    };
    DeliverFn deliver_{this};

    std::atomic<std::uint64_t> heldDropped_{0};
    std::atomic<std::uint64_t> sendFailed_{0};
    // CancelLong moves cancels_ on; a message taken before that sees it.
    std::atomic<std::uint64_t> cancels_{0};
    std::array<std::uint64_t, kLongSlots> cancelFrom_{};
    LongSendSlots slots_{kLongSlots};
    std::thread worker_;
};

class RtMidiInputPort : public MidiInputPort {
  public:
    RtMidiInputPort(std::uint32_t device, MidiInputSink& sink) : assembler_(device, sink) {}

    ~RtMidiInputPort() override {
        // Destroying the RtMidi object ends its driver thread (or JACK
        // client), so no callback runs past this point.
        try {
            if (in_) in_->closePort();
        } catch (const std::exception&) {
        }
        in_.reset();
    }

    bool Open(RtMidi::Api api, const std::string& raw, const std::string& stable,
              std::string* error) {
        try {
            in_ = std::make_unique<RtMidiIn>(api, kRtMidiClientName);
            in_->setErrorCallback(&ErrorCapture::Callback, &errors_);
            unsigned index = 0;
            if (!FindPort(*in_, raw, stable, &index)) {
                SetError(error, "the device is no longer there");
                return false;
            }
            // Has an effect only where RtMidi manages fixed input buffers;
            // the assembler below cuts SysEx to our own buffer size anyway.
            in_->setBufferSize(static_cast<unsigned>(kSysexBufferSize), 4);
            in_->ignoreTypes(false, false, false);
            in_->setCallback(&RtMidiInputPort::Callback, this);
            in_->openPort(index, "in");
            if (errors_.failed.load() || !in_->isPortOpen()) {
                SetError(error,
                         errors_.text.empty() ? "the device could not be opened" : errors_.text);
                return false;
            }
        } catch (const RtMidiError& e) {
            SetError(error, e.getMessage());
            return false;
        } catch (const std::exception& e) {
            SetError(error, e.what());
            return false;
        }
        return true;
    }

  private:
    static void Callback(double, std::vector<unsigned char>* message, void* user) {
        if (!message || message->empty()) return;
        auto* self = static_cast<RtMidiInputPort*>(user);
        self->assembler_.Feed(std::span<const std::uint8_t>(message->data(), message->size()));
    }

    MidiInputAssembler assembler_;
    ErrorCapture errors_;
    std::unique_ptr<RtMidiIn> in_;
};

}  // namespace

std::unique_ptr<RtMidiLayer> RtMidiLayer::Create(Api api, std::string* error) {
    QuietSystemAudioMessages();
    std::unique_ptr<RtMidiLayer> layer(new RtMidiLayer(api));
    try {
        ErrorCapture errors;
        RtMidiIn in(ToRtApi(api), kRtMidiClientName);
        in.setErrorCallback(&ErrorCapture::Callback, &errors);
        RtMidiOut out(ToRtApi(api), kRtMidiClientName);
        out.setErrorCallback(&ErrorCapture::Callback, &errors);
        layer->rawInputNames_ = PortNames(in);
        layer->rawOutputNames_ = PortNames(out);
    } catch (const RtMidiError& e) {
        SetError(error, e.getMessage());
        return nullptr;
    } catch (const std::exception& e) {
        SetError(error, e.what());
        return nullptr;
    }
    for (const std::string& raw : layer->rawInputNames_) {
        layer->inputNames_.push_back(StableSystemName(raw));
    }
    for (const std::string& raw : layer->rawOutputNames_) {
        layer->outputNames_.push_back(StableSystemName(raw));
    }
    layer->inputNames_ = MakeNamesUnique(std::move(layer->inputNames_));
    layer->outputNames_ = MakeNamesUnique(std::move(layer->outputNames_));
    return layer;
}

std::string RtMidiLayer::Name() const {
    return api_ == Api::Alsa ? "alsa" : "jack";
}

std::unique_ptr<MidiOutputPort> RtMidiLayer::OpenOutput(std::uint32_t index, std::string* error) {
    if (index >= outputNames_.size()) {
        SetError(error, "no such device");
        return nullptr;
    }
    try {
        auto errors = std::make_unique<ErrorCapture>();
        auto out = std::make_unique<RtMidiOut>(ToRtApi(api_), kRtMidiClientName);
        out->setErrorCallback(&ErrorCapture::Callback, errors.get());
        unsigned port = 0;
        if (!FindPort(*out, rawOutputNames_[index], outputNames_[index], &port)) {
            SetError(error, "the device is no longer there");
            return nullptr;
        }
        out->openPort(port, "out");
        if (errors->failed.load() || !out->isPortOpen()) {
            SetError(error, errors->text.empty() ? "the device could not be opened" : errors->text);
            return nullptr;
        }
        const bool jack = api_ == Api::Jack;
        // One clock for the layer's ports; a new one after the server restarted.
        if (jack && (!clock_ || !clock_->Alive())) clock_ = JackCycleClock::Open();
        return std::make_unique<RtMidiOutputPort>(std::move(out), std::move(errors), jack,
                                                  jack ? clock_ : nullptr);
    } catch (const RtMidiError& e) {
        SetError(error, e.getMessage());
    } catch (const std::exception& e) {
        SetError(error, e.what());
    }
    return nullptr;
}

std::unique_ptr<MidiInputPort> RtMidiLayer::OpenInput(std::uint32_t index, MidiInputSink& sink,
                                                      std::string* error) {
    if (index >= inputNames_.size()) {
        SetError(error, "no such device");
        return nullptr;
    }
    try {
        auto port = std::make_unique<RtMidiInputPort>(index, sink);
        if (!port->Open(ToRtApi(api_), rawInputNames_[index], inputNames_[index], error)) {
            return nullptr;
        }
        return port;
    } catch (const std::exception& e) {
        SetError(error, e.what());
    }
    return nullptr;
}

}  // namespace kvs

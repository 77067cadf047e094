#include "midi/backends/virtual_midi.h"

#include <algorithm>
#include <utility>

namespace kvs {

class VirtualOutputPort : public MidiOutputPort {
  public:
    explicit VirtualOutputPort(std::shared_ptr<VirtualOutputDevice> device)
        : device_(std::move(device)) {}
    ~VirtualOutputPort() override {
        std::lock_guard lock(device_->mutex_);
        device_->open_ = false;
    }
    void SendShort(std::uint32_t message) override { device_->RecordShort(message); }
    bool SendLong(std::span<const std::uint8_t> bytes, std::function<void()> done) override {
        return device_->RecordLong(bytes, std::move(done));
    }

  private:
    std::shared_ptr<VirtualOutputDevice> device_;
};

class VirtualInputPort : public MidiInputPort {
  public:
    explicit VirtualInputPort(std::shared_ptr<VirtualInputDevice> device)
        : device_(std::move(device)) {}
    ~VirtualInputPort() override {
        std::lock_guard lock(device_->mutex_);
        device_->sink_ = nullptr;
    }

  private:
    std::shared_ptr<VirtualInputDevice> device_;
};

void VirtualOutputDevice::Reserve(std::size_t messages, std::size_t longBytes) {
    std::lock_guard lock(mutex_);
    records_.reserve(messages);
    longBytes_.reserve(longBytes);
}

void VirtualOutputDevice::SetLongCompletion(LongCompletion mode) {
    std::lock_guard lock(mutex_);
    completion_ = mode;
}

void VirtualOutputDevice::SetFailOpen(bool fail) {
    std::lock_guard lock(mutex_);
    failOpen_ = fail;
}

std::vector<RecordedMidiMessage> VirtualOutputDevice::Snapshot() const {
    std::lock_guard lock(mutex_);
    std::vector<RecordedMidiMessage> out;
    out.reserve(records_.size());
    for (const Record& r : records_) {
        RecordedMidiMessage m;
        m.time = r.time;
        m.isLong = r.isLong;
        m.shortMessage = r.shortMessage;
        if (r.isLong) {
            const auto first = longBytes_.begin() + static_cast<std::ptrdiff_t>(r.offset);
            m.bytes.assign(first, first + static_cast<std::ptrdiff_t>(r.length));
        }
        out.push_back(std::move(m));
    }
    return out;
}

std::size_t VirtualOutputDevice::MessageCount() const {
    std::lock_guard lock(mutex_);
    return records_.size();
}

void VirtualOutputDevice::Clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
    longBytes_.clear();
}

bool VirtualOutputDevice::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

std::uint32_t VirtualOutputDevice::OpenCount() const {
    std::lock_guard lock(mutex_);
    return openCount_;
}

bool VirtualOutputDevice::ReleaseLong() {
    std::function<void()> done;
    {
        std::lock_guard lock(mutex_);
        if (held_.empty()) return false;
        done = std::move(held_.front());
        held_.erase(held_.begin());
    }
    // Outside the lock: the completion may send the next message.
    if (done) done();
    return true;
}

std::size_t VirtualOutputDevice::HeldLongCount() const {
    std::lock_guard lock(mutex_);
    return held_.size();
}

void VirtualOutputDevice::RecordShort(std::uint32_t message) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    records_.push_back(Record{now, false, message, 0, 0});
}

bool VirtualOutputDevice::RecordLong(std::span<const std::uint8_t> bytes,
                                     std::function<void()> done) {
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(mutex_);
        records_.push_back(Record{now, true, 0, longBytes_.size(), bytes.size()});
        longBytes_.insert(longBytes_.end(), bytes.begin(), bytes.end());
        if (completion_ == LongCompletion::Held) {
            held_.push_back(std::move(done));
            return true;
        }
    }
    if (done) done();
    return true;
}

bool VirtualInputDevice::FeedShort(std::uint32_t message) {
    std::lock_guard lock(mutex_);
    if (sink_ == nullptr) return false;
    sink_->OnShortMessage(index_, message);
    return true;
}

bool VirtualInputDevice::FeedSysex(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (sink_ == nullptr) return false;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kSysexBufferSize);
        sink_->OnSysexBuffer(index_, bytes.first(n));
        bytes = bytes.subspan(n);
    }
    return true;
}

void VirtualInputDevice::SetFailOpen(bool fail) {
    std::lock_guard lock(mutex_);
    failOpen_ = fail;
}

bool VirtualInputDevice::IsOpen() const {
    std::lock_guard lock(mutex_);
    return sink_ != nullptr;
}

VirtualMidiLayer::VirtualMidiLayer(std::vector<std::string> inputNames,
                                   std::vector<std::string> outputNames, std::string layerName)
    : layerName_(std::move(layerName)),
      inputNames_(std::move(inputNames)),
      outputNames_(std::move(outputNames)) {
    for (std::size_t i = 0; i < inputNames_.size(); ++i) {
        inputs_.push_back(std::make_shared<VirtualInputDevice>());
        inputs_.back()->index_ = static_cast<std::uint32_t>(i);
    }
    for (std::size_t i = 0; i < outputNames_.size(); ++i)
        outputs_.push_back(std::make_shared<VirtualOutputDevice>());
}

std::unique_ptr<VirtualMidiLayer> VirtualMidiLayer::None() {
    return std::make_unique<VirtualMidiLayer>(std::vector<std::string>{},
                                              std::vector<std::string>{}, "none");
}

namespace {

void SetError(std::string* error, const char* text) {
    if (error != nullptr) *error = text;
}

}  // namespace

std::unique_ptr<MidiOutputPort> VirtualMidiLayer::OpenOutput(std::uint32_t index,
                                                             std::string* error) {
    if (index >= outputs_.size()) {
        SetError(error, "no such device");
        return nullptr;
    }
    VirtualOutputDevice& device = *outputs_[index];
    std::lock_guard lock(device.mutex_);
    if (device.failOpen_ || device.open_) {
        SetError(error, "device busy");
        return nullptr;
    }
    device.open_ = true;
    ++device.openCount_;
    return std::make_unique<VirtualOutputPort>(outputs_[index]);
}

std::unique_ptr<MidiInputPort> VirtualMidiLayer::OpenInput(std::uint32_t index, MidiInputSink& sink,
                                                           std::string* error) {
    if (index >= inputs_.size()) {
        SetError(error, "no such device");
        return nullptr;
    }
    VirtualInputDevice& device = *inputs_[index];
    std::lock_guard lock(device.mutex_);
    if (device.failOpen_ || device.sink_ != nullptr) {
        SetError(error, "device busy");
        return nullptr;
    }
    device.sink_ = &sink;
    return std::make_unique<VirtualInputPort>(inputs_[index]);
}

}  // namespace kvs

#include "midi/midi_device_table.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace kvs {

namespace {

// Values are read longer than they are kept so that a name is cut on a
// character boundary rather than wherever the store would cut it.
constexpr std::size_t kReadLimit = 256;
// Port numbers are 16-bit wherever they are stored.
constexpr std::size_t kMaxOutputs = 0x10000;

std::string Numbered(std::string_view prefix, std::size_t n) {
    return std::string(prefix) + std::to_string(n);
}

// Names become settings keys and values: a line break or other control byte
// (a tab excepted) in them would break the file apart, and a NUL cut it short.
bool BreaksSettingsLine(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7F;
}

bool FitsSettingsValue(std::string_view text) {
    return std::none_of(text.begin(), text.end(), BreaksSettingsLine);
}

std::string WithoutControlBytes(std::string_view text) {
    std::string out(text);
    std::replace_if(out.begin(), out.end(), BreaksSettingsLine, ' ');
    return out;
}

std::vector<MidiDeviceInfo> DevicesNamed(const std::vector<std::string>& names, std::size_t max) {
    std::vector<MidiDeviceInfo> devices;
    const std::size_t n = std::min(names.size(), max);
    devices.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        MidiDeviceInfo d;
        d.systemName = CutDeviceName(WithoutControlBytes(names[i]));
        d.friendlyName = d.systemName;
        devices.push_back(std::move(d));
    }
    return devices;
}

}  // namespace

std::string CutDeviceName(std::string_view name, std::size_t max) {
    if (name.size() <= max) return std::string(name);
    std::size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(name.substr(0, cut));
}

std::string FormatPromptText(std::string_view text, std::string_view arg) {
    const std::size_t at = text.find("%s");
    if (at == std::string_view::npos) return std::string(text);
    std::string out(text.substr(0, at));
    out += arg;
    out += text.substr(at + 2);
    return out;
}

MidiDeviceTable::MidiDeviceTable(MidiDeviceLayer& layer) : layer_(layer) {}

std::string_view MidiDeviceTable::Prompt(prompt::Id id) const {
    return prompts_ ? prompts_->Text(id) : kBuiltinPrompts[id].text;
}

MidiDeviceTable::~MidiDeviceTable() {
    CloseMidiDevices();
}

void MidiDeviceTable::EnumerateMidiDevices() {
    FreeMidiDevices();
    inputs_ = DevicesNamed(layer_.InputNames(), kMaxOutputs);
    outputs_ = DevicesNamed(layer_.OutputNames(), kMaxOutputs);
    inPorts_.resize(inputs_.size());
    outPorts_.resize(outputs_.size());
    liveCount_ = outputs_.size();
    live_ = std::make_unique<std::atomic<MidiOutputPort*>[]>(liveCount_);
    for (std::size_t i = 0; i < liveCount_; ++i)
        live_[i].store(nullptr, std::memory_order_relaxed);
    inCallCount_ = inputs_.size();
    inCalls_ = std::make_unique<std::atomic<std::uint32_t>[]>(inCallCount_);
    for (std::size_t i = 0; i < inCallCount_; ++i)
        inCalls_[i].store(0, std::memory_order_relaxed);
}

void MidiDeviceTable::FreeMidiDevices() {
    CloseMidiDevices();
    inputs_.clear();
    outputs_.clear();
    aliases_.clear();
    inPorts_.clear();
    outPorts_.clear();
    live_.reset();
    liveCount_ = 0;
    inCalls_.reset();
    inCallCount_ = 0;
    droppedByClosed_ = 0;
}

bool MidiDeviceTable::OpenMidiDevices(MidiErrorReporter& errors) {
    // Opening over open devices would leave the old ports in use.
    CloseMidiDevices();
    bool result = true;
    devicesOpen_.store(true, std::memory_order_release);
    for (std::uint32_t i = 0; i < inputs_.size(); ++i) {
        if (!inputs_[i].enabled) continue;
        std::string error;
        inPorts_[i] = layer_.OpenInput(i, forwarder_, &error);
        if (!inPorts_[i]) {
            errors.ShowError(
                FormatPromptText(Prompt(prompt::error_openmidiin), inputs_[i].friendlyName));
            result = false;
        }
    }
    for (std::uint32_t i = 0; i < outputs_.size(); ++i) {
        if (!outputs_[i].enabled) continue;
        std::string error;
        outPorts_[i] = layer_.OpenOutput(i, &error);
        if (!outPorts_[i]) {
            errors.ShowError(
                FormatPromptText(Prompt(prompt::error_openmidiout), outputs_[i].friendlyName));
            result = false;
            continue;
        }
        live_[i].store(outPorts_[i].get(), std::memory_order_release);
    }
    return result;
}

void MidiDeviceTable::CloseMidiDevices() {
    // First, so that the input handler stops handing buffers back while the
    // inputs are torn down.
    devicesOpen_.store(false);
    // Whatever a layer still delivers is dropped from here on; a callback
    // already under way finishes before the ports go.
    WaitForInputCallbacks();
    for (auto& port : inPorts_)
        port.reset();
    for (std::size_t i = 0; i < outPorts_.size(); ++i) {
        live_[i].store(nullptr, std::memory_order_release);
        if (outPorts_[i]) droppedByClosed_ += outPorts_[i]->Dropped();
        outPorts_[i].reset();
    }
}

void MidiDeviceTable::SendShort(std::uint32_t message, std::uint32_t port) const noexcept {
    if (port >= liveCount_) return;
    if (MidiOutputPort* out = live_[port].load(std::memory_order_acquire)) out->SendShort(message);
}

void MidiDeviceTable::SendShortAll(std::uint32_t message) const noexcept {
    for (std::size_t i = 0; i < liveCount_; ++i) {
        if (MidiOutputPort* out = live_[i].load(std::memory_order_acquire)) out->SendShort(message);
    }
}

bool MidiDeviceTable::SendLong(std::uint32_t port, std::span<const std::uint8_t> bytes,
                               std::function<void()> done) const {
    if (port >= liveCount_) return false;
    MidiOutputPort* out = live_[port].load(std::memory_order_acquire);
    return out != nullptr && out->SendLong(bytes, std::move(done));
}

void MidiDeviceTable::CancelLong(std::uint32_t port) const noexcept {
    if (port >= liveCount_) return;
    if (MidiOutputPort* out = live_[port].load(std::memory_order_acquire)) out->CancelLong();
}

std::uint64_t MidiDeviceTable::DroppedOutput() const {
    std::uint64_t dropped = droppedByClosed_;
    for (const auto& port : outPorts_)
        if (port) dropped += port->Dropped();
    return dropped;
}

std::string MidiDeviceTable::PortKey(std::uint32_t port) const {
    if (port >= outputs_.size()) return {};
    return outputs_[port].systemName + "_out";
}

std::string MidiDeviceTable::InputKey(std::uint32_t index) const {
    if (index >= inputs_.size()) return {};
    return inputs_[index].systemName + "_in";
}

std::uint16_t MidiDeviceTable::PortFromKey(std::string_view key) const {
    constexpr std::string_view suffix = "_out";
    if (key.size() < suffix.size() || !key.ends_with(suffix)) return 0;
    const std::string_view name = key.substr(0, key.size() - suffix.size());
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        if (outputs_[i].systemName == name) return static_cast<std::uint16_t>(i);
    }
    return 0;
}

void MidiDeviceTable::ResetPortSettings() {
    for (auto* list : {&inputs_, &outputs_}) {
        for (MidiDeviceInfo& d : *list) {
            d.friendlyName = d.systemName;
            d.enabled = true;
        }
    }
    aliases_.clear();
}

void MidiDeviceTable::ReadPortSettings(const ProfileStore& store) {
    const auto read = [&store](MidiDeviceInfo& d, std::string_view kind) {
        const std::string key = d.systemName + std::string(kind);
        d.friendlyName =
            CutDeviceName(store.GetString(kPortsSection, key + "_name", d.systemName, kReadLimit));
        d.enabled = store.GetInt(kPortsSection, key + "_enable", 1) != 0;
    };
    for (MidiDeviceInfo& d : inputs_)
        read(d, "_in");
    for (MidiDeviceInfo& d : outputs_)
        read(d, "_out");
}

void MidiDeviceTable::WritePortSettings(ProfileStore& store) const {
    const auto write = [&store](const MidiDeviceInfo& d, std::string_view kind) {
        const std::string key = d.systemName + std::string(kind);
        store.WriteString(kPortsSection, key + "_name", d.friendlyName);
        store.WriteInt(kPortsSection, key + "_enable", d.enabled ? 1 : 0);
    };
    for (const MidiDeviceInfo& d : inputs_)
        write(d, "_in");
    for (const MidiDeviceInfo& d : outputs_)
        write(d, "_out");
}

void MidiDeviceTable::ReadPortAliases(const ProfileStore& store) {
    aliases_.clear();
    const std::uint32_t count = std::min(store.GetInt(kPortsSection, "Number", 0), kMaxPortAliases);
    aliases_.reserve(count);
    for (std::uint32_t i = 1; i <= count; ++i) {
        PortAlias alias;
        alias.name =
            CutDeviceName(store.GetString(kPortsSection, Numbered("name", i), "", kReadLimit));
        alias.device =
            PortFromKey(store.GetString(kPortsSection, Numbered("dev", i), "", kReadLimit));
        aliases_.push_back(std::move(alias));
    }
}

void MidiDeviceTable::WritePortAliases(ProfileStore& store) const {
    store.WriteInt(kPortsSection, "Number", static_cast<std::int64_t>(aliases_.size()));
    for (std::size_t i = 0; i < aliases_.size(); ++i) {
        store.WriteString(kPortsSection, Numbered("name", i + 1), aliases_[i].name);
        store.WriteString(kPortsSection, Numbered("dev", i + 1), PortKey(aliases_[i].device));
    }
}

ResultCode MidiDeviceTable::AddPortAlias(ProfileStore& store, std::string_view name,
                                         std::uint16_t port) {
    if (!FitsSettingsValue(name) || aliases_.size() >= kMaxPortAliases) return kResultOk;
    const std::size_t n = aliases_.size() + 1;
    store.WriteInt(kPortsSection, "Number", static_cast<std::int64_t>(n));
    store.WriteString(kPortsSection, Numbered("name", n), CutDeviceName(name));
    store.WriteString(kPortsSection, Numbered("dev", n), PortKey(port));
    const ResultCode result = store.Flush();
    ReadPortAliases(store);
    return result;
}

bool MidiDeviceTable::IsOpen(MidiDeviceKind kind, std::uint32_t index) const {
    if (kind == MidiDeviceKind::In) return index < inPorts_.size() && inPorts_[index] != nullptr;
    return index < outPorts_.size() && outPorts_[index] != nullptr;
}

MidiDeviceInfo* MidiDeviceTable::Device(MidiDeviceKind kind, std::uint32_t index) {
    auto& list = kind == MidiDeviceKind::In ? inputs_ : outputs_;
    return index < list.size() ? &list[index] : nullptr;
}

void MidiDeviceTable::SetFriendlyName(MidiDeviceKind kind, std::uint32_t index,
                                      std::string_view name) {
    if (MidiDeviceInfo* d = Device(kind, index))
        d->friendlyName = CutDeviceName(WithoutControlBytes(name));
}

void MidiDeviceTable::SetEnabled(MidiDeviceKind kind, std::uint32_t index, bool enabled) {
    if (MidiDeviceInfo* d = Device(kind, index)) d->enabled = enabled;
}

void MidiDeviceTable::SetInputSink(MidiInputSink* sink) {
    sink_.store(sink);
    WaitForInputCallbacks();
}

void MidiDeviceTable::WaitForInputCallbacks() const {
    // Sequentially consistent with Forward: a callback that marked itself
    // after the change above reads the new sink and the closed state, and
    // one that marked itself before is seen here and waited for. Only the
    // callback under way is waited for, not a flood of later ones.
    for (std::size_t i = 0; i < inCallCount_; ++i) {
        const std::uint32_t calls = inCalls_[i].load();
        if ((calls & 1u) == 0) continue;
        while (inCalls_[i].load() == calls)
            std::this_thread::yield();
    }
}

template <typename Call>
void MidiDeviceTable::InputForwarder::Forward(std::uint32_t device, Call&& call) {
    if (device >= table_.inCallCount_) return;
    std::atomic<std::uint32_t>& calls = table_.inCalls_[device];
    calls.fetch_add(1);
    if (table_.devicesOpen_.load()) {
        if (MidiInputSink* sink = table_.sink_.load()) call(*sink);
    }
    calls.fetch_add(1, std::memory_order_release);
}

void MidiDeviceTable::InputForwarder::OnShortMessage(std::uint32_t device, std::uint32_t message) {
    Forward(device, [&](MidiInputSink& sink) { sink.OnShortMessage(device, message); });
}

void MidiDeviceTable::InputForwarder::OnSysexBuffer(std::uint32_t device,
                                                    std::span<const std::uint8_t> bytes) {
    Forward(device, [&](MidiInputSink& sink) { sink.OnSysexBuffer(device, bytes); });
}

}  // namespace kvs

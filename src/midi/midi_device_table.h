#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_store.h"
#include "config/prompt_table.h"
#include "config/settings.h"  // kPortsSection
#include "files/file_result.h"
#include "midi/device_layer.h"

namespace kvs {

inline constexpr std::size_t kDeviceNameMax = 31;  // system and friendly names, alias names
// A settings file can claim any alias count; more than this are not read.
inline constexpr std::uint32_t kMaxPortAliases = 4096;

// The built-in texts of the open errors, as reported until SetPrompts.
inline constexpr std::string_view kOpenMidiInError = "Could not open MIDI IN device: %s";
inline constexpr std::string_view kOpenMidiOutError = "Could not open MIDI OUT device: %s";

// At most max bytes of name, never ending inside a UTF-8 sequence.
std::string CutDeviceName(std::string_view name, std::size_t max = kDeviceNameMax);
// text with its first "%s" replaced by arg.
std::string FormatPromptText(std::string_view text, std::string_view arg);

// Where the table reports what the user must see (a message box titled with
// the program name, exclamation icon), in the texts of the table's prompts.
class MidiErrorReporter {
  public:
    virtual ~MidiErrorReporter() = default;
    virtual void ShowError(const std::string& text) = 0;
};

struct MidiDeviceInfo {
    std::string systemName;    // at most 31 characters; names the device in settings
    std::string friendlyName;  // shown in the user interface
    bool enabled = true;
};

struct PortAlias {
    std::string name;  // at most 31 characters
    std::uint16_t device = 0;
};

enum class MidiDeviceKind { In, Out };

// The program's MIDI IN and OUT devices, their names, enable flags and open
// ports, and the port aliases. A port number is an index into the outputs.
//
// Threads: everything except the sends runs on the window thread.
// SendShort and SendShortAll may run on the timer thread and on the input
// thread (MIDI thru) at the same time as the window thread; they allocate
// nothing and take no lock. That is sound only because devices are opened and
// closed (OpenMidiDevices, CloseMidiDevices, FreeMidiDevices, the Ports form's
// OK) while the engine is stopped: the caller must stop playback first.
// Inputs are opened before and closed before the outputs, so a thru send from
// the input thread never meets an output being closed.
class MidiDeviceTable {
  public:
    // The layer must outlive the table.
    explicit MidiDeviceTable(MidiDeviceLayer& layer);
    ~MidiDeviceTable();
    MidiDeviceTable(const MidiDeviceTable&) = delete;
    MidiDeviceTable& operator=(const MidiDeviceTable&) = delete;

    // The texts the table and its forms show, so that kvs.lng translates
    // them; the built-in ones until set. prompts must outlive the table.
    void SetPrompts(const PromptTable* prompts) { prompts_ = prompts; }
    std::string_view Prompt(prompt::Id id) const;

    // Lists the layer's devices, each named by its system name and enabled.
    void EnumerateMidiDevices();
    // Closes what is open and forgets every device and alias.
    void FreeMidiDevices();
    // Opens every enabled device; true when all of them opened. Each failure
    // is reported with its own message and leaves that device closed.
    bool OpenMidiDevices(MidiErrorReporter& errors);
    void CloseMidiDevices();
    bool DevicesOpen() const { return devicesOpen_.load(std::memory_order_acquire); }

    // Sends to the port's device when it is open; otherwise (closed, or a
    // port number beyond the outputs) the message is dropped.
    void SendShort(std::uint32_t message, std::uint32_t port) const noexcept;
    // To every open output, in port order.
    void SendShortAll(std::uint32_t message) const noexcept;
    // Starts a long message on the port; false when the port is not open or
    // the device refuses it (done is then never called).
    bool SendLong(std::uint32_t port, std::span<const std::uint8_t> bytes,
                  std::function<void()> done) const;
    // Any thread: the port's long messages under way stop using their bytes
    // as soon as they can; done still runs for each.
    void CancelLong(std::uint32_t port) const noexcept;
    // Messages the outputs accepted but could not deliver since the devices
    // were listed, closed ports included: a loss the user must hear about.
    std::uint64_t DroppedOutput() const;

    // The text that stands for a device in the settings file: system name
    // followed by "_out" or "_in". Empty for an index beyond the devices.
    std::string PortKey(std::uint32_t port) const;
    std::string InputKey(std::uint32_t index) const;
    // The first output whose PortKey equals key exactly; 0 when none does.
    std::uint16_t PortFromKey(std::string_view key) const;

    // Every friendly name back to its system name, every device enabled.
    void ResetPortSettings();
    void ReadPortSettings(const ProfileStore& store);
    void WritePortSettings(ProfileStore& store) const;
    void ReadPortAliases(const ProfileStore& store);
    void WritePortAliases(ProfileStore& store) const;
    // Appends the alias to the store, writes the file at once and reads the
    // aliases again. A name the settings file cannot hold (control
    // characters) is not remembered. Returns the result of writing the file.
    ResultCode AddPortAlias(ProfileStore& store, std::string_view name, std::uint16_t port);

    std::uint32_t InCount() const { return static_cast<std::uint32_t>(inputs_.size()); }
    std::uint32_t OutCount() const { return static_cast<std::uint32_t>(outputs_.size()); }
    const std::vector<MidiDeviceInfo>& Inputs() const { return inputs_; }
    const std::vector<MidiDeviceInfo>& Outputs() const { return outputs_; }
    const std::vector<PortAlias>& Aliases() const { return aliases_; }
    bool IsOutputEnabled(std::uint32_t port) const {
        return port < outputs_.size() && outputs_[port].enabled;
    }
    bool IsOpen(MidiDeviceKind kind, std::uint32_t index) const;
    // Friendly names are cut to 31 characters. Out-of-range indexes are ignored.
    void SetFriendlyName(MidiDeviceKind kind, std::uint32_t index, std::string_view name);
    void SetEnabled(MidiDeviceKind kind, std::uint32_t index, bool enabled);

    // Where the input of every open MIDI IN device goes (the recording input
    // handler); null drops it. May be changed while inputs are open: returns
    // once no callback into the former sink runs any more, so the former sink
    // may then be destroyed. Never from inside an input callback.
    void SetInputSink(MidiInputSink* sink);

  private:
    class InputForwarder : public MidiInputSink {
      public:
        explicit InputForwarder(const MidiDeviceTable& table) : table_(table) {}
        void OnShortMessage(std::uint32_t device, std::uint32_t message) override;
        void OnSysexBuffer(std::uint32_t device, std::span<const std::uint8_t> bytes) override;

      private:
        template <typename Call>
        void Forward(std::uint32_t device, Call&& call);
        const MidiDeviceTable& table_;
    };

    // Returns once every input callback that was running has returned.
    void WaitForInputCallbacks() const;

    MidiDeviceInfo* Device(MidiDeviceKind kind, std::uint32_t index);

    MidiDeviceLayer& layer_;
    const PromptTable* prompts_ = nullptr;
    std::vector<MidiDeviceInfo> inputs_;
    std::vector<MidiDeviceInfo> outputs_;
    std::vector<PortAlias> aliases_;
    std::vector<std::unique_ptr<MidiInputPort>> inPorts_;
    std::vector<std::unique_ptr<MidiOutputPort>> outPorts_;
    // What the senders read: the open output of each port or null. Fixed in
    // size from enumeration on, so the senders never see it move.
    std::unique_ptr<std::atomic<MidiOutputPort*>[]> live_;
    std::size_t liveCount_ = 0;
    std::atomic<bool> devicesOpen_{false};
    std::uint64_t droppedByClosed_ = 0;
    std::atomic<MidiInputSink*> sink_{nullptr};
    // Per input device, odd while one of its callbacks runs; sized at
    // enumeration like live_.
    std::unique_ptr<std::atomic<std::uint32_t>[]> inCalls_;
    std::size_t inCallCount_ = 0;
    InputForwarder forwarder_{*this};
};

// Makes sink the table's input sink for its own lifetime. Declared after the
// sink and whatever the sink's callbacks use, it is destroyed first, so no
// callback reaches them once they go.
class ScopedInputSink {
  public:
    ScopedInputSink(MidiDeviceTable& table, MidiInputSink& sink) : table_(table) {
        table_.SetInputSink(&sink);
    }
    ~ScopedInputSink() { table_.SetInputSink(nullptr); }
    ScopedInputSink(const ScopedInputSink&) = delete;
    ScopedInputSink& operator=(const ScopedInputSink&) = delete;

  private:
    MidiDeviceTable& table_;
};

}  // namespace kvs

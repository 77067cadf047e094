#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/load_options.h"
#include "midi/midi_device_table.h"

namespace kvs {

inline constexpr std::string_view kChoosePortTitle = "Choose Port";
inline constexpr std::string_view kChoosePortText =
    "The file you are loading uses the port %s.  Please choose an alternative port.";
inline constexpr std::string_view kChoosePortRemember = "&Remember this setting";
// The "ScanInit" value of a silent load, which never asks.
inline constexpr int kSilentScanInit = 3;

// The "Choose Port" question: which enabled output stands in for a port a
// file names, and whether to remember the choice.
class ChoosePortForm {
  public:
    struct Item {
        std::string text;  // the output's friendly name
        std::uint16_t port = 0;
    };

    ChoosePortForm(const MidiDeviceTable& table, std::string_view fileName,
                   std::uint16_t defaultPort);

    std::string Text() const;  // kChoosePortText with the file's name
    // The port name the file gives, for a translated Text().
    const std::string& FilePortName() const { return fileName_; }
    const std::vector<Item>& Items() const { return items_; }
    int Selection() const { return selection_; }  // -1: none
    void Select(int item);                        // out of range: none
    bool Remember() const { return remember_; }
    void SetRemember(bool remember) { remember_ = remember; }
    // The selected item's port, or the default port when none is selected.
    std::uint16_t ChosenPort() const;

  private:
    std::string fileName_;
    std::uint16_t defaultPort_;
    std::vector<Item> items_;
    int selection_ = -1;
    bool remember_ = true;
};

// Shows the question modally (with the input-suspended flag set); true for
// OK, false for Cancel.
class PortQuestion {
  public:
    virtual ~PortQuestion() = default;
    virtual bool Ask(ChoosePortForm& form) = 0;
};

struct PortResolveContext {
    MidiDeviceTable& table;
    ProfileStore& store;     // where a remembered choice is written
    PortQuestion* question;  // null: never ask
    int scanInit = 0;
    std::uint16_t defaultPort = 0;
};

// The port for a name a file gives: an enabled output of that system name,
// else an alias of that name whose device is enabled, else (unless the load
// is silent) the user's answer. Names match exactly, case counting.
std::optional<std::uint16_t> ResolvePortName(const PortResolveContext& context,
                                             std::string_view name);

// The loader's port callback over the table, the store and the question;
// scanInit and defaultPort are taken from options. The referenced objects
// must outlive the load.
std::function<std::optional<std::uint16_t>(std::string_view)> MakePortResolver(
    const LoadOptions& options, MidiDeviceTable& table, ProfileStore& store,
    PortQuestion* question);

}  // namespace kvs

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"

namespace kvs {

// An enabled MIDI OUT device as the port list offers it.
struct PortChoice {
    std::string name;  // friendly name
    std::uint32_t port;
};

// A control of the dialog with the prompt that labels it.
struct FormLabel {
    int controlId;  // 0 for the title
    std::string_view promptKey;
    std::string_view text;  // built-in English text
};

// The General Options dialog without its widgets: what it shows, and what
// OK stores. Cancel is simply dropping the form.
class GeneralOptionsForm {
  public:
    static constexpr int kPortList = 2051;
    static constexpr int kDelayField = 2053;
    static constexpr int kFollowPlay = 2054;
    static constexpr int kConfirmRecord = 2055;
    static constexpr int kMidiInDialogs = 2056;
    static constexpr int kKeyCommands = 2057;
    static constexpr int kAutoLocal = 2058;
    static constexpr int kScanInitList = 2061;
    static constexpr int kAutoLoadSendList = 2063;
    static constexpr int kAutoClean = 2064;

    static std::span<const FormLabel> Labels();
    static std::span<const FormLabel> ScanInitItems();      // index = "ScanInit"
    static std::span<const FormLabel> AutoLoadSendItems();  // index = "autoloadsend"

    // enabledOutputs: the enabled MIDI OUT devices in port order.
    GeneralOptionsForm(const Settings& settings, std::vector<PortChoice> enabledOutputs);

    // -1 means no item selected.
    std::vector<PortChoice> ports;
    int portIndex = -1;
    std::string delayText;
    bool followPlay = false;
    bool confirmRecord = false;
    bool midiInDialogs = false;
    bool keyCommands = false;
    bool autoLocal = false;
    int scanInitIndex = -1;
    int autoLoadSendIndex = -1;
    bool autoClean = false;

    // Stores every control into settings. A list without a selection leaves
    // its setting as it was; a delay that is not a number stores 0.
    void Ok(Settings& settings) const;
};

// The whole text as an unsigned decimal number (blanks around allowed), or 0.
std::uint32_t ParseDialogNumber(std::string_view text);

}  // namespace kvs

#include "config/general_options_form.h"

#include <algorithm>
#include <limits>

namespace kvs {
namespace {

constexpr FormLabel kLabels[] = {
    {0, "opts_opts_title", "General Options"},
    {2050, "opts_opts_mididev", "Preferred &MIDI device"},
    {2052, "opts_opts_delay", "&Playback delay:"},
    {2054, "opts_opts_followplay", "&Follow playback"},
    {2055, "opts_opts_confkeeprec", "Confirm keep &recordings"},
    {2056, "opts_opts_mididlgs", "MIDI in &dialogs"},
    {2057, "opts_opts_kcmd", "&Keyboard commands"},
    {2058, "opts_opts_autolocal", "&Auto send local messages"},
    {2059, "opts_opts_loadgroup", "Load preferences"},
    {2060, "opts_opts_initsettext", "Scan method for &initial settings"},
    {2062, "opts_opts_loadsendtext", "Auto send messa&ges"},
    {2064, "opts_opts_autoclean", "Auto clean&up"},
    {1, "ok", "OK"},
    {2, "cancel", "Cancel"},
};

constexpr FormLabel kScanInitItems[] = {
    {GeneralOptionsForm::kScanInitList, "opts_opts_initsetzero", "Time 0"},
    {GeneralOptionsForm::kScanInitList, "opts_opts_initsetnote", "Before notes"},
    {GeneralOptionsForm::kScanInitList, "opts_opts_initsetfirst", "First available"},
};

constexpr FormLabel kAutoLoadSendItems[] = {
    {GeneralOptionsForm::kAutoLoadSendList, "opts_opts_loadsend_none", "None"},
    {GeneralOptionsForm::kAutoLoadSendList, "opts_opts_loadsend_init", "Initial track settings"},
    {GeneralOptionsForm::kAutoLoadSendList, "opts_opts_loadsend_gm", "GM reset"},
    {GeneralOptionsForm::kAutoLoadSendList, "opts_opts_loadsend_gm2", "GM2 reset"},
    {GeneralOptionsForm::kAutoLoadSendList, "opts_opts_loadsend_gs", "GS reset"},
    {GeneralOptionsForm::kAutoLoadSendList, "opts_opts_loadsend_xg", "XG reset"},
};

// A stored value outside the list selects nothing.
int ListIndex(std::uint32_t value, std::size_t count) {
    return value < count ? static_cast<int>(value) : -1;
}

}  // namespace

std::span<const FormLabel> GeneralOptionsForm::Labels() {
    return kLabels;
}
std::span<const FormLabel> GeneralOptionsForm::ScanInitItems() {
    return kScanInitItems;
}
std::span<const FormLabel> GeneralOptionsForm::AutoLoadSendItems() {
    return kAutoLoadSendItems;
}

GeneralOptionsForm::GeneralOptionsForm(const Settings& s, std::vector<PortChoice> enabledOutputs)
    : ports(std::move(enabledOutputs)) {
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (ports[i].port == s.general.defaultPort) {
            portIndex = static_cast<int>(i);
            break;
        }
    delayText = std::to_string(s.engine.initDelay);
    followPlay = s.general.followPlay;
    confirmRecord = s.general.confirmRecord;
    midiInDialogs = s.general.midiInDialogs;
    keyCommands = s.general.keyCommands;
    autoLocal = s.general.autoLocal;
    scanInitIndex = ListIndex(s.general.scanInit, std::size(kScanInitItems));
    autoLoadSendIndex = ListIndex(s.general.autoLoadSend, std::size(kAutoLoadSendItems));
    autoClean = s.general.autoClean;
}

void GeneralOptionsForm::Ok(Settings& s) const {
    if (portIndex >= 0 && static_cast<std::size_t>(portIndex) < ports.size())
        s.general.defaultPort = ports[static_cast<std::size_t>(portIndex)].port;
    s.engine.initDelay = std::min(ParseDialogNumber(delayText), kMaxInitDelayMs);
    s.general.followPlay = followPlay;
    s.general.confirmRecord = confirmRecord;
    s.general.midiInDialogs = midiInDialogs;
    s.general.keyCommands = keyCommands;
    s.general.autoLocal = autoLocal;
    if (scanInitIndex >= 0 && static_cast<std::size_t>(scanInitIndex) < std::size(kScanInitItems))
        s.general.scanInit = static_cast<std::uint32_t>(scanInitIndex);
    if (autoLoadSendIndex >= 0 &&
        static_cast<std::size_t>(autoLoadSendIndex) < std::size(kAutoLoadSendItems))
        s.general.autoLoadSend = static_cast<std::uint32_t>(autoLoadSendIndex);
    s.general.autoClean = autoClean;
}

std::uint32_t ParseDialogNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty()) return 0;
    std::uint64_t n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
        if (n > std::numeric_limits<std::uint32_t>::max()) return 0;
    }
    return static_cast<std::uint32_t>(n);
}

}  // namespace kvs

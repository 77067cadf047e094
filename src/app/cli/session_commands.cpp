#include "app/cli/session_commands.h"

#include <string>
#include <string_view>

#include "app/cli/cli.h"
#include "app/cli/song_dump.h"
#include "app/cli/stream_errors.h"
#include "config/language_file.h"

namespace kvs {
namespace {

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// Texts from the settings file may hold anything; the terminal gets none of
// its control bytes.
std::string Printable(std::string_view text) {
    std::string s;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        s += b < 0x20 || b == 0x7F ? '?' : c;
    }
    return s;
}

void PrintStore(const ProfileStore& store, std::ostream& out) {
    const std::string text = store.Text();
    std::string section;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
        if (!line.empty() && line.back() == '\r') line = Trim(line.substr(0, line.size() - 1));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            section = line.substr(1, close - 1);
            out << "[" << Printable(section) << "]\n";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || section.empty()) continue;
        const std::string key(Trim(line.substr(0, eq)));
        if (key.empty()) continue;
        out << Printable(key) << " = "
            << Printable(store.GetString(section, key, "", std::string::npos)) << "\n";
    }
}

void PrintDevices(const MidiDeviceTable& table, MidiDeviceKind kind, std::ostream& out) {
    const bool in = kind == MidiDeviceKind::In;
    const std::vector<MidiDeviceInfo>& devices = in ? table.Inputs() : table.Outputs();
    out << (in ? "MIDI IN\n" : "MIDI OUT\n");
    if (devices.empty()) out << "  (none)\n";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const MidiDeviceInfo& d = devices[i];
        const bool open = table.IsOpen(kind, static_cast<std::uint32_t>(i));
        out << "  " << i << "  system=" << QuoteText(d.systemName)
            << "  friendly=" << QuoteText(d.friendlyName)
            << (d.enabled ? "  enabled" : "  disabled") << (open ? "  open\n" : "  closed\n");
    }
}

}  // namespace

int RunSettings(CliSession& session, std::ostream& out) {
    out << "Data folder: " << (session.Folder().empty() ? "(none)" : session.Folder()) << "\n";
    if (session.Folder().empty()) return kExitOk;
    PrintStore(session.EffectiveSettings(), out);
    return kExitOk;
}

int RunPromptsTest(CliSession& session, std::ostream& out, std::ostream& err) {
    const ProgramPaths& paths = session.Paths();
    if (paths.folder.empty()) {
        err << "kvs-cli: no data folder to test\n";
        return kExitFileError;
    }
    const TestPromptsResult result =
        TestPromptFile(session.Prompts(), paths.language, paths.newLanguage);
    out << Printable(result.message.text) << "\n";
    if (result.error != kResultOk) {
        session.ReportFileError(paths.newLanguage, result.error);
        return kExitFileError;
    }
    return kExitOk;
}

int RunPorts(CliSession& session, std::ostream& out, std::ostream& err) {
    MidiDeviceTable& table = session.Devices();
    StreamErrors errors(err);
    (void)table.OpenMidiDevices(errors);
    PrintDevices(table, MidiDeviceKind::In, out);
    PrintDevices(table, MidiDeviceKind::Out, out);
    table.CloseMidiDevices();
    return kExitOk;
}

}  // namespace kvs

#include "config/file_types.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <system_error>

#include "files/byte_writer.h"

extern char** environ;

namespace kvs {

namespace {

namespace fs = std::filesystem;

// Characters that force quoting of an Exec argument.
bool IsExecReserved(char c) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    return reserved.find(c) != std::string_view::npos;
}

// A desktop-entry string value: escapes for backslash and control characters.
std::string EscapeDesktopString(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == ' ' && i == 0) {
            out += "\\s";
        } else {
            out += c;
        }
    }
    return out;
}

// A verb as a menu item shows it: "&&" is a literal ampersand, a single one
// only marks the mnemonic, which desktop menus do not use.
std::string StripMnemonic(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += s[i];
    }
    return out;
}

std::string EscapeXml(std::string_view s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters other than tab are not allowed in XML 1.0.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
                break;
        }
    }
    return out;
}

// Through the one save path, which never replaces what is not a file of ours.
bool WriteTextFile(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) return false;
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return WriteFileAtomically(path.string(), bytes) == kResultOk;
}

bool ReadWholeFile(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The "mimeapps.list" file: a key file edited in place, other lines kept.
class MimeAppsList {
  public:
    explicit MimeAppsList(fs::path path) : path_(std::move(path)) {
        std::string text;
        if (ReadWholeFile(path_, text)) lines_ = SplitLines(text);
    }

    std::string Get(std::string_view section, std::string_view key) const {
        bool inSection = false;
        for (const auto& line : lines_) {
            const std::string_view t = Trim(line);
            if (!t.empty() && t.front() == '[') {
                inSection = t == "[" + std::string(section) + "]";
                continue;
            }
            std::string_view value;
            if (inSection && MatchKey(t, key, value)) return std::string(value);
        }
        return {};
    }

    void Set(std::string_view section, std::string_view key, std::string_view value) {
        const std::string header = "[" + std::string(section) + "]";
        const std::string entry = std::string(key) + "=" + std::string(value);
        bool inSection = false;
        bool seen = false;
        std::size_t insertAt = 0;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const std::string_view t = Trim(lines_[i]);
            if (!t.empty() && t.front() == '[') {
                inSection = t == header;
                if (inSection) insertAt = i + 1;
                seen = seen || inSection;
                continue;
            }
            std::string_view old;
            if (inSection && MatchKey(t, key, old)) {
                lines_[i] = entry;
                return;
            }
            if (inSection && !t.empty()) insertAt = i + 1;
        }
        if (!seen) {
            if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
            lines_.push_back(header);
            lines_.push_back(entry);
            return;
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }

    bool Save() const {
        std::string text;
        for (const auto& line : lines_)
            text += line + "\n";
        return WriteTextFile(path_, text);
    }

  private:
    static bool MatchKey(std::string_view line, std::string_view key, std::string_view& value) {
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || Trim(line.substr(0, eq)) != key) return false;
        value = Trim(line.substr(eq + 1));
        return true;
    }

    fs::path path_;
    std::vector<std::string> lines_;
};

std::string FirstListItem(std::string_view value) {
    while (!value.empty()) {
        const std::size_t semi = value.find(';');
        const std::string_view item = Trim(value.substr(0, semi));
        if (!item.empty()) return std::string(item);
        if (semi == std::string_view::npos) break;
        value.remove_prefix(semi + 1);
    }
    return {};
}

// ours first, then the others that were there, without repeats.
std::string PrependToList(std::string_view value, std::string_view ours) {
    std::string out = std::string(ours) + ";";
    while (!value.empty()) {
        const std::size_t semi = value.find(';');
        const std::string_view item = Trim(value.substr(0, semi));
        if (!item.empty() && item != ours) out += std::string(item) + ";";
        if (semi == std::string_view::npos) break;
        value.remove_prefix(semi + 1);
    }
    return out;
}

std::string FormatQuestion(std::string_view text, std::string_view extension) {
    std::string out(text);
    const std::size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, extension);
    return out;
}

// Binds one MIME type to the program unless another program holds it and
// the user declines. True when the type opens with this program afterwards.
bool BindType(MimeAppsList& apps, std::string_view mimeType, std::string_view extension,
              const FileTypeTexts& texts, FileTypeQuestion& question, bool& changed) {
    const std::string current = FirstListItem(apps.Get("Default Applications", mimeType));
    if (current == kDesktopId) return true;
    if (!current.empty() && !question.AskYesNo(FormatQuestion(texts.inUse, extension))) {
        return false;
    }
    apps.Set("Default Applications", mimeType, std::string(kDesktopId) + ";");
    apps.Set("Added Associations", mimeType,
             PrependToList(apps.Get("Added Associations", mimeType), kDesktopId));
    changed = true;
    return true;
}

std::string HomeSubfolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    // Relative values are invalid and must be ignored.
    if (value != nullptr && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + fallback;
}

}  // namespace

FileTypeRoots FileTypeRoots::FromEnvironment() {
    return {HomeSubfolder("XDG_DATA_HOME", "/.local/share"),
            HomeSubfolder("XDG_CONFIG_HOME", "/.config")};
}

std::string DesktopExec(std::string_view programPath, bool play) {
    if (programPath.empty()) return {};
    std::string program;
    bool quote = false;
    for (const char c : programPath) {
        // No launcher can pass control characters through an Exec line.
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
        quote = quote || IsExecReserved(c);
    }
    for (const char c : programPath) {
        if (c == '%') {
            program += "%%";
        } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            program += '\\';
            program += c;
        } else {
            program += c;
        }
    }
    if (quote) program = "\"" + program + "\"";
    return EscapeDesktopString(program) + (play ? " /p /q %f" : " %f");
}

std::string DesktopEntryText(std::string_view programPath, const FileTypeTexts& texts) {
    const std::string open = DesktopExec(programPath, false);
    const std::string play = DesktopExec(programPath, true);
    if (open.empty()) return {};
    std::string text;
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=Kavelsong\n";
    text += "Icon=kavelsong\n";
    text += "Exec=" + open + "\n";
    text += "Terminal=false\n";
    text += "Categories=AudioVideo;Audio;Midi;Sequencer;\n";
    text += "MimeType=" + std::string(kMidiMimeType) + ";" + std::string(kSysexMimeType) + ";\n";
    text += "Actions=Open;Play;\n";
    text += "\n[Desktop Action Open]\n";
    text += "Name=" + EscapeDesktopString(StripMnemonic(texts.actionOpen)) + "\n";
    text += "Exec=" + open + "\n";
    text += "\n[Desktop Action Play]\n";
    text += "Name=" + EscapeDesktopString(StripMnemonic(texts.actionPlay)) + "\n";
    text += "Exec=" + play + "\n";
    return text;
}

std::string MimePackageText(const FileTypeTexts& texts) {
    std::string text;
    text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    text += "  <mime-type type=\"" + std::string(kMidiMimeType) + "\">\n";
    text += "    <comment>" + EscapeXml(texts.typeMid) + "</comment>\n";
    text += "    <glob pattern=\"*.mid\"/>\n";
    text += "  </mime-type>\n";
    text += "  <mime-type type=\"" + std::string(kSysexMimeType) + "\">\n";
    text += "    <comment>" + EscapeXml(texts.typeSyx) + "</comment>\n";
    text += "    <glob pattern=\"*.syx\"/>\n";
    text += "  </mime-type>\n";
    text += "</mime-info>\n";
    return text;
}

FileTypeOutcome RegisterFileTypes(const std::string& programPath, const FileTypeTexts& texts,
                                  const FileTypeRoots& roots, FileTypeQuestion& question,
                                  const ToolRunner& runTool) {
    FileTypeOutcome outcome;
    if (roots.dataHome.empty() || roots.configHome.empty()) return outcome;
    const std::string entry = DesktopEntryText(programPath, texts);
    if (entry.empty()) return outcome;

    const fs::path applications = fs::path(roots.dataHome) / "applications";
    const fs::path mime = fs::path(roots.dataHome) / "mime";
    if (!WriteTextFile(applications / kDesktopId, entry)) return outcome;
    if (!WriteTextFile(mime / "packages" / "kavelsong.xml", MimePackageText(texts))) {
        return outcome;
    }
    outcome.typesWritten = true;

    MimeAppsList apps(fs::path(roots.configHome) / "mimeapps.list");
    bool midChanged = false;
    bool syxChanged = false;
    outcome.midBound = BindType(apps, kMidiMimeType, ".mid", texts, question, midChanged);
    outcome.syxBound = BindType(apps, kSysexMimeType, ".syx", texts, question, syxChanged);
    if ((midChanged || syxChanged) && !apps.Save()) {
        outcome.midBound = outcome.midBound && !midChanged;
        outcome.syxBound = outcome.syxBound && !syxChanged;
    }

    // The desktop reads these caches, not our files, until they are rebuilt.
    if (runTool) {
        runTool({"update-mime-database", mime.string()});
        runTool({"update-desktop-database", applications.string()});
    }
    return outcome;
}

void RunToolIfPresent(const std::vector<std::string>& argv) {
    if (argv.empty()) return;
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "/usr/bin:/bin";
    bool found = false;
    while (!found) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty()) {
            const std::string candidate = std::string(dir) + "/" + argv[0];
            found = ::access(candidate.c_str(), X_OK) == 0;
        }
        if (colon == std::string_view::npos) break;
        dirs.remove_prefix(colon + 1);
    }
    if (!found) return;

    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0].c_str(), nullptr, nullptr, args.data(), environ) != 0) {
        return;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::string OwnProgramPath() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

}  // namespace kvs

#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {

// The prompt texts registration uses, in the current language.
struct FileTypeTexts {
    std::string typeMid = "MIDI File";              // shell_type_mid
    std::string typeSyx = "System Exclusive File";  // shell_type_syx
    std::string actionOpen = "Open";                // shell_action_open
    std::string actionPlay = "Play";                // shell_action_play
    std::string inUse =                             // shell_type_inuse
        "The file type %s is registered with another program.  Do you want to use KVS instead "
        "to open these files?";
};

// Asks the user a Yes/No question (question icon, program title).
class FileTypeQuestion {
  public:
    virtual ~FileTypeQuestion() = default;
    virtual bool AskYesNo(const std::string& text) = 0;
};

// Where the desktop looks: the entry and MIME package under dataHome, the
// default-application choices in configHome's "mimeapps.list".
struct FileTypeRoots {
    std::string dataHome;    // $XDG_DATA_HOME, else ~/.local/share
    std::string configHome;  // $XDG_CONFIG_HOME, else ~/.config
    static FileTypeRoots FromEnvironment();
};

// Runs a desktop cache tool given as argv; the default skips tools that are
// not installed and waits for the others.
using ToolRunner = std::function<void(const std::vector<std::string>& argv)>;
void RunToolIfPresent(const std::vector<std::string>& argv);

inline constexpr std::string_view kDesktopId = "kavelsong.desktop";
inline constexpr std::string_view kMidiMimeType = "audio/midi";
inline constexpr std::string_view kSysexMimeType = "application/x-sysex";

struct FileTypeOutcome {
    bool typesWritten = false;  // desktop entry and MIME package
    bool midBound = false;      // ".mid" opens with this program (now or already)
    bool syxBound = false;
};

// Registers ".mid" and then ".syx". The program's own entry and types are
// written whatever the user answers; an extension owned by another program is
// taken only after a Yes. Failures end quietly, as the start-up must go on.
FileTypeOutcome RegisterFileTypes(const std::string& programPath, const FileTypeTexts& texts,
                                  const FileTypeRoots& roots, FileTypeQuestion& question,
                                  const ToolRunner& runTool = RunToolIfPresent);

// The executable's own path, as the system reports it; empty if unknown.
std::string OwnProgramPath();

// The "Exec" value that runs programPath on one file, with "/p /q" to play
// it and quit. The launcher hands the file over as one argument, the
// equivalent of quoting it. Empty when the path cannot be written safely.
std::string DesktopExec(std::string_view programPath, bool play);
std::string DesktopEntryText(std::string_view programPath, const FileTypeTexts& texts);
std::string MimePackageText(const FileTypeTexts& texts);

}  // namespace kvs

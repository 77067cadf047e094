#include "ui/file_dialog_request.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "config/settings.h"

namespace kvs {
namespace {

constexpr std::string_view kMidPatterns = "*.mid";
constexpr std::string_view kSyxPatterns = "*.syx";

std::string Text(const PromptTable& prompts, prompt::Id id) {
    return std::string(prompts.Text(id));
}

}  // namespace

FileDialogRequest MakeFileDialogRequest(const PromptTable& prompts, const Settings& settings,
                                        std::uint32_t mode, std::string_view songPath) {
    FileDialogRequest request;
    request.mode = mode;
    request.folder = (mode & kFileDialogLibrary) != 0 ? settings.libDir : settings.songDir;
    if ((mode & kFileDialogSave) != 0) {
        request.title = Text(prompts, prompt::file_save_title);
        request.filters = {
            {Text(prompts, prompt::file_save_typekvs), std::string(kMidPatterns)},
            {Text(prompts, prompt::file_save_typemid1), std::string(kMidPatterns)},
            {Text(prompts, prompt::file_save_typemid0), std::string(kMidPatterns)},
            {Text(prompts, prompt::file_save_typesyx), std::string(kSyxPatterns)},
        };
        request.defaultSuffix = DefaultExtensionOf(0);
        request.initialName = songPath;
    } else {
        request.title = Text(prompts, prompt::file_open_title);
        request.filters = {
            {Text(prompts, prompt::file_open_typemid), std::string(kMidPatterns)},
            {Text(prompts, prompt::file_open_typesyx), std::string(kSyxPatterns)},
            {Text(prompts, prompt::file_open_typeall), "*"},
        };
    }
    return request;
}

std::string FilterString(const FileFilter& filter) {
    // Linux names are case-sensitive, but "*.MID" means SONG.MID and song.mid
    // alike to the user: each glob also in lower and upper case.
    std::vector<std::string> globs;
    std::string_view rest = filter.pattern;
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        const std::string glob(rest.substr(0, space));
        rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
        if (glob.empty()) continue;
        std::string lower = glob;
        std::string upper = glob;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (std::string* g : {&lower, &upper})
            if (std::find(globs.begin(), globs.end(), *g) == globs.end()) globs.push_back(*g);
    }
    std::string text = filter.name + " (";
    for (std::size_t i = 0; i < globs.size(); ++i)
        text += (i == 0 ? "" : " ") + globs[i];
    return text + ")";
}

std::string_view DefaultExtensionOf(std::uint32_t filterIndex) {
    return SaveTypeOfFilter(filterIndex) == SaveType::Sysex ? "syx" : "mid";
}

SaveType SaveTypeOfFilter(std::uint32_t filterIndex) {
    return filterIndex <= static_cast<std::uint32_t>(SaveType::Sysex)
               ? static_cast<SaveType>(filterIndex)
               : SaveType::Full;
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

void RememberFolder(Settings& settings, std::uint32_t mode, std::string_view chosenPath) {
    std::string& folder = (mode & kFileDialogLibrary) != 0 ? settings.libDir : settings.songDir;
    folder = FolderOf(chosenPath);
}

}  // namespace kvs

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/prompt_table.h"
#include "files/song_file.h"
#include "ui/ui_host.h"

namespace kvs {

struct Settings;

// Mode bits of a file dialog.
inline constexpr std::uint32_t kFileDialogOpen = 1;
inline constexpr std::uint32_t kFileDialogSave = 2;
// Start in, and remember, the library folder instead of the song folder.
inline constexpr std::uint32_t kFileDialogLibrary = 4;

// mode without kFileDialogSave opens; kFileDialogLibrary picks the second
// remembered folder.
FileDialogRequest MakeFileDialogRequest(const PromptTable& prompts, const Settings& settings,
                                        std::uint32_t mode, std::string_view songPath = {});

// "name (globs)", the form a Qt file dialog reads a filter in; every glob
// of the pattern in both lower and upper case.
std::string FilterString(const FileFilter& filter);

// The extension a save in that filter gets when the name has none.
std::string_view DefaultExtensionOf(std::uint32_t filterIndex);

// The save type of a Save dialog's filter position; full for one out of range.
SaveType SaveTypeOfFilter(std::uint32_t filterIndex);

// The folder part of a chosen path: the text before its last '/', empty
// when there is none ("/song.mid" keeps "/" so the root stays reachable).
std::string FolderOf(std::string_view path);

// After OK: the dialog's remembered folder becomes the chosen file's folder.
void RememberFolder(Settings& settings, std::uint32_t mode, std::string_view chosenPath);

}  // namespace kvs

#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "files/file_result.h"

namespace kvs {

// What decides where the program keeps its own files. Unset values are
// std::nullopt; FromEnvironment fills them from the running process.
struct DataFolderInputs {
    std::optional<std::string> kvsHome;        // KVS_HOME
    std::optional<std::string> exeFolder;      // folder of the running executable
    std::optional<std::string> xdgConfigHome;  // XDG_CONFIG_HOME
    std::optional<std::string> home;           // HOME, else the password database

    static DataFolderInputs FromEnvironment();
};

struct DataFolder {
    std::string path;  // ends with '/'; empty when no folder could be found or made
    ResultCode error = kResultOk;
};

// KVS_HOME when set; else the executable's folder when it is writable (a
// portable install); else $XDG_CONFIG_HOME/kavelsong, by default
// ~/.config/kavelsong. The chosen folder is created when missing.
DataFolder ResolveDataFolder(const DataFolderInputs& inputs);

// The program's files, all inside the data folder.
struct ProgramPaths {
    std::string folder;
    std::string settings;         // kvs.ini
    std::string language;         // kvs.lng
    std::string newLanguage;      // newkvs.lng
    std::string noteTransforms;   // notexfrm.ini
    std::string userTransforms;   // userxfrm.ini
    std::string help;             // kvs.chm
    std::string instrumentLists;  // folder searched for instrument list files

    static ProgramPaths In(const std::string& folder);
};

// The folder of the running executable, with a trailing '/'; empty when
// the system does not say.
std::string ExecutableFolder();

// Shipped read-only data for an executable in exeFolder: <prefix>/share/kavelsong/
// beside its bin folder, when that exists; empty otherwise.
std::string SharedDataFolder(const std::string& exeFolder);

// Where the shipped data is: SharedDataFolder when there is one, else
// fallback (a source tree's data folder, for a program run where it was
// built) when that exists; empty when neither does.
std::string ShippedDataFolder(const std::string& exeFolder, const std::string& fallback);

// Copies shipped files that are missing in the data folder, never replacing
// one: the instrument lists of shipped/instruments and the preset note
// transforms (notexfrm.ini) beside the settings, the songs of
// shipped/examples into examples/. A shipped folder without them
// copies nothing and is no error. Returns how many were copied; *error (when
// given) receives the first failure.
std::size_t CopyShippedFiles(const std::string& shipped, const std::string& data,
                             ResultCode* error = nullptr);

// Copies every regular file of shared (subfolders included) that is missing
// in data, never replacing one that is there. Returns how many were copied;
// *error (when given) receives the first failure.
std::size_t CopyMissingFiles(const std::string& shared, const std::string& data,
                             ResultCode* error = nullptr);

}  // namespace kvs

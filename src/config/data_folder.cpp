#include "config/data_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <system_error>
#include <vector>

#include "files/byte_writer.h"
#include "files/mapped_file.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> Env(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

ResultCode FromErrorCode(const std::error_code& ec) {
    return SystemError(ec.category() == std::generic_category() ||
                               ec.category() == std::system_category()
                           ? ec.value()
                           : EIO);
}

// Creates the folder (and its parents) when missing.
DataFolder Made(const std::string& folder) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(folder, ec);
    if (ec) return {std::string(), FromErrorCode(ec)};
    fs::create_directories(absolute, ec);
    if (ec) return {std::string(), FromErrorCode(ec)};
    if (!fs::is_directory(absolute, ec)) return {std::string(), SystemError(ENOTDIR)};
    return {WithSlash(absolute.lexically_normal().string()), kResultOk};
}

bool IsWritableFolder(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Copies source to target unless target exists. True when it copied; *error
// receives a failure.
bool CopyIfMissing(const fs::path& source, const fs::path& target, ResultCode* error) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) return false;
    fs::create_directories(target.parent_path(), ec);
    if (ec) {
        *error = FromErrorCode(ec);
        return false;
    }
    MappedFile file;
    const ResultCode opened = file.Open(source.string());
    std::span<const std::uint8_t> bytes;
    if (opened == kResultOk) {
        bytes = file.Bytes();
    } else if (opened != SystemError(ENODATA)) {  // an empty file is still copied
        *error = opened;
        return false;
    }
    // Through a temporary file, so a full disk never leaves half a file.
    *error = WriteFileAtomically(target.string(), bytes);
    return *error == kResultOk;
}

}  // namespace

DataFolderInputs DataFolderInputs::FromEnvironment() {
    DataFolderInputs in;
    in.kvsHome = Env("KVS_HOME");
    const std::string exe = ExecutableFolder();
    if (!exe.empty()) in.exeFolder = exe;
    in.xdgConfigHome = Env("XDG_CONFIG_HOME");
    in.home = Env("HOME");
    if (!in.home) {
        std::vector<char> buf(16384);
        passwd pw{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
            found->pw_dir && *found->pw_dir)
            in.home = std::string(found->pw_dir);
    }
    return in;
}

DataFolder ResolveDataFolder(const DataFolderInputs& inputs) {
    if (inputs.kvsHome && !inputs.kvsHome->empty()) return Made(*inputs.kvsHome);
    if (inputs.exeFolder && !inputs.exeFolder->empty() && IsWritableFolder(*inputs.exeFolder))
        return {WithSlash(*inputs.exeFolder), kResultOk};
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (inputs.xdgConfigHome && !inputs.xdgConfigHome->empty() &&
        inputs.xdgConfigHome->front() == '/')
        return Made(WithSlash(*inputs.xdgConfigHome) + "kavelsong");
    if (inputs.home && !inputs.home->empty())
        return Made(WithSlash(*inputs.home) + ".config/kavelsong");
    return {std::string(), SystemError(ENOENT)};
}

ProgramPaths ProgramPaths::In(const std::string& folder) {
    ProgramPaths p;
    p.folder = folder.empty() ? folder : WithSlash(folder);
    p.settings = p.folder + "kvs.ini";
    p.language = p.folder + "kvs.lng";
    p.newLanguage = p.folder + "newkvs.lng";
    p.noteTransforms = p.folder + "notexfrm.ini";
    p.userTransforms = p.folder + "userxfrm.ini";
    p.help = p.folder + "kvs.chm";
    p.instrumentLists = p.folder;  // the lists live beside the settings file
    return p;
}

std::string ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return std::string();
    return WithSlash(exe.parent_path().string());
}

std::string SharedDataFolder(const std::string& exeFolder) {
    if (exeFolder.empty()) return std::string();
    std::error_code ec;
    const fs::path shared = (fs::path(exeFolder) / ".." / "share" / "kavelsong").lexically_normal();
    return fs::is_directory(shared, ec) ? WithSlash(shared.string()) : std::string();
}

std::size_t CopyMissingFiles(const std::string& shared, const std::string& data,
                             ResultCode* error) {
    std::size_t copied = 0;
    ResultCode first = kResultOk;
    auto fail = [&first](ResultCode rc) {
        if (first == kResultOk) first = rc;
    };
    std::error_code ec;
    fs::recursive_directory_iterator it(shared, ec), end;
    if (ec) fail(FromErrorCode(ec));
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        const fs::path target = fs::path(data) / it->path().lexically_relative(shared);
        ResultCode rc = kResultOk;
        if (CopyIfMissing(it->path(), target, &rc)) ++copied;
        fail(rc);
    }
    if (ec) fail(FromErrorCode(ec));
    if (error) *error = first;
    return copied;
}

std::string ShippedDataFolder(const std::string& exeFolder, const std::string& fallback) {
    const std::string shared = SharedDataFolder(exeFolder);
    if (!shared.empty()) return shared;
    std::error_code ec;
    return !fallback.empty() && fs::is_directory(fallback, ec) ? WithSlash(fallback)
                                                               : std::string();
}

std::size_t CopyShippedFiles(const std::string& shipped, const std::string& data,
                             ResultCode* error) {
    struct Place {
        const char* from;
        const char* to;
    };
    static constexpr Place kPlaces[] = {{"instruments", ""}, {"examples", "examples"}};
    // Single files of the shipped folder's top level, beside the settings.
    static constexpr const char* kFiles[] = {"notexfrm.ini"};
    std::size_t copied = 0;
    ResultCode first = kResultOk;
    for (const Place& place : kPlaces) {
        if (shipped.empty()) break;
        const fs::path from = fs::path(shipped) / place.from;
        std::error_code ec;
        if (!fs::is_directory(from, ec)) continue;
        ResultCode rc = kResultOk;
        copied += CopyMissingFiles(from.string(), (fs::path(data) / place.to).string(), &rc);
        if (first == kResultOk) first = rc;
    }
    for (const char* name : kFiles) {
        if (shipped.empty()) break;
        const fs::path from = fs::path(shipped) / name;
        std::error_code ec;
        if (!fs::is_regular_file(from, ec)) continue;
        ResultCode rc = kResultOk;
        if (CopyIfMissing(from, fs::path(data) / name, &rc)) ++copied;
        if (first == kResultOk) first = rc;
    }
    if (error) *error = first;
    return copied;
}

}  // namespace kvs

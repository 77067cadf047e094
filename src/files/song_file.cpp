#include "files/song_file.h"

#include <cerrno>
#include <new>
#include <string_view>

#include "files/byte_writer.h"
#include "files/mapped_file.h"
#include "files/midi_file_reader.h"
#include "files/midi_file_writer.h"
#include "files/sysex_file.h"

namespace kvs {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char ch) {
            return ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The extension of the file name with its dot, or empty when it has none. A
// dot in a folder name does not count.
std::string_view Extension(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

}  // namespace

ResultCode LoadSongFile(const std::string& path, Song& song, const LoadOptions& options) {
    // Opened before the extension is looked at, so an unreadable file reports
    // the system's error whatever its name.
    MappedFile file;
    if (const ResultCode rc = file.Open(path); rc != kResultOk) return rc;
    const std::string_view ext = Extension(path);
    ResultCode rc = kErrCantLoad;
    if (EqualsIgnoringCase(ext, ".mid"))
        rc = ReadMidiFile(file.Bytes(), song, options);
    else if (EqualsIgnoringCase(ext, ".syx"))
        rc = ReadSysexFile(file.Bytes(), song, options);
    file.Close();
    return rc;
}

ResultCode SaveSongFile(const std::string& path, const Song& song, SaveType type,
                        const std::vector<std::string>& outPorts, std::string* failedPath) {
    if (failedPath != nullptr) *failedPath = path;
    std::vector<std::uint8_t> bytes;
    try {
        switch (type) {
            case SaveType::Full:
                bytes = WriteMidiFile1(song, true, outPorts);
                break;
            case SaveType::Type1:
                bytes = WriteMidiFile1(song, false, outPorts);
                break;
            case SaveType::Type0:
                bytes = WriteMidiFile0(song);
                break;
            case SaveType::Sysex:
                bytes = WriteSysexFile(song);
                break;
            default:
                return SystemError(EINVAL);
        }
    } catch (const std::bad_alloc&) {
        return SystemError(ENOMEM);
    }
    return WriteFileAtomically(path, bytes, failedPath);
}

}  // namespace kvs

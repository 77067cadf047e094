#include "files/file_result.h"

#include <cerrno>
#include <cstring>

namespace kvs {
namespace {

constexpr const char* kProgramMessages[] = {
    "Cannot load this file",
    "Invalid file",
    "Not all MIDI devices could be opened",
    "Error on command line, use KVS /? for help",
    "Invalid value",
    "You must enable at least one port",
    "Not found",
    "Invalid system exclusive",
    "No settings file found.  Using defaults.",
    "Cannot accept command line",
};
constexpr std::uint32_t kProgramMessageCount = sizeof kProgramMessages / sizeof kProgramMessages[0];

// strerror_r comes in two shapes depending on the C library's feature macros;
// overloads pick the right reading of its result.
[[maybe_unused]] std::string FromStrerror(int rc, const char* buf) {
    return rc == 0 ? std::string(buf) : std::string("Unknown error");
}
[[maybe_unused]] std::string FromStrerror(const char* text, const char*) {
    return std::string(text);
}

}  // namespace

ResultCode SystemError(int err) {
    // A failure must never read as success, whatever errno held.
    return err > 0 ? static_cast<ResultCode>(err) : static_cast<ResultCode>(EIO);
}

std::string ResultMessage(ResultCode code) {
    if (IsProgramError(code)) {
        const std::uint32_t n = code & 0x00FFFFFFu;
        if (n >= 1 && n <= kProgramMessageCount) return kProgramMessages[n - 1];
        return "Unknown error";
    }
    char buf[256] = {};
    return FromStrerror(strerror_r(static_cast<int>(code), buf, sizeof buf), buf);
}

}  // namespace kvs

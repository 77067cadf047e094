#pragma once

#include <sys/types.h>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvs {

// What a second start hands to the running program: its command line and
// the folder it started in, so relative names resolve as the user meant.
struct HandOverMessage {
    std::string workingFolder;
    std::vector<std::string> words;
    bool operator==(const HandOverMessage&) const = default;
};

inline constexpr std::size_t kHandOverMaxBytes = 64 * 1024;
inline constexpr std::size_t kHandOverMaxWords = 256;

// "KVH1", then u32 little-endian lengths each followed by that many bytes:
// the folder, the word count, each word.
std::string EncodeHandOver(const HandOverMessage& message);
// Nothing for anything that is not exactly one well-formed message within
// the limits above.
std::optional<HandOverMessage> DecodeHandOver(std::string_view bytes);

// The socket a running program listens on: $XDG_RUNTIME_DIR/kavelsong.sock,
// else kavelsong.sock in /tmp/kavelsong-UID/, created 0700 when missing and
// refused (empty result) unless it is a real folder of ours that no one
// else may open.
std::string HandOverSocketPath();
std::string HandOverSocketPath(const char* runtimeDir, const std::string& tmpRoot, uid_t uid);
// True when path is a folder (not a symlink) owned by uid with mode 0700;
// creates it so when missing.
bool EnsurePrivateFolder(const std::string& path, uid_t uid);

}  // namespace kvs

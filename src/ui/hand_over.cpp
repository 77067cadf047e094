#include "ui/hand_over.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kvs {
namespace {

constexpr std::string_view kMagic = "KVH1";

void PutLength(std::string& out, std::size_t n) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
}

void PutText(std::string& out, std::string_view text) {
    PutLength(out, text.size());
    out.append(text);
}

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    std::optional<std::uint32_t> Length() {
        if (bytes_.size() - pos_ < 4) return std::nullopt;
        std::uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n |= std::uint32_t{static_cast<unsigned char>(bytes_[pos_ + i])} << (8 * i);
        pos_ += 4;
        return n;
    }
    std::optional<std::string> Text() {
        const std::optional<std::uint32_t> n = Length();
        if (!n || *n > bytes_.size() - pos_) return std::nullopt;
        std::string text(bytes_.substr(pos_, *n));
        pos_ += *n;
        // A NUL inside a path would cut it short where the system reads it.
        if (text.find('\0') != std::string::npos) return std::nullopt;
        return text;
    }
    bool AtEnd() const { return pos_ == bytes_.size(); }

  private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string EncodeHandOver(const HandOverMessage& message) {
    std::string out(kMagic);
    PutText(out, message.workingFolder);
    PutLength(out, message.words.size());
    for (const std::string& word : message.words)
        PutText(out, word);
    return out;
}

std::optional<HandOverMessage> DecodeHandOver(std::string_view bytes) {
    if (bytes.size() > kHandOverMaxBytes || bytes.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    Reader in(bytes.substr(kMagic.size()));
    HandOverMessage message;
    std::optional<std::string> folder = in.Text();
    if (!folder) return std::nullopt;
    message.workingFolder = std::move(*folder);
    const std::optional<std::uint32_t> count = in.Length();
    if (!count || *count > kHandOverMaxWords) return std::nullopt;
    for (std::uint32_t i = 0; i < *count; ++i) {
        std::optional<std::string> word = in.Text();
        if (!word) return std::nullopt;
        message.words.push_back(std::move(*word));
    }
    if (!in.AtEnd()) return std::nullopt;
    return message;
}

bool EnsurePrivateFolder(const std::string& path, uid_t uid) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    // lstat: a symlink planted by someone else must not redirect us.
    if (lstat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 0777) == 0700;
}

std::string HandOverSocketPath(const char* runtimeDir, const std::string& tmpRoot, uid_t uid) {
    if (runtimeDir != nullptr && runtimeDir[0] == '/') {
        std::string dir(runtimeDir);
        if (dir.back() != '/') dir.push_back('/');
        return dir + "kavelsong.sock";
    }
    const std::string folder = tmpRoot + "/kavelsong-" + std::to_string(uid);
    if (!EnsurePrivateFolder(folder, uid)) return {};
    return folder + "/kavelsong.sock";
}

std::string HandOverSocketPath() {
    return HandOverSocketPath(std::getenv("XDG_RUNTIME_DIR"), "/tmp", getuid());
}

}  // namespace kvs

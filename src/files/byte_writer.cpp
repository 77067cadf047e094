#include "files/byte_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <memory>

namespace kvs {

void ByteWriter::VarLen(std::uint32_t value) {
    std::uint8_t groups[4];
    bytes_.insert(bytes_.end(), groups, groups + EncodeVarLen(value, groups));
}

void ByteWriter::BE16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(value));
}

void ByteWriter::BE32(std::uint32_t value) {
    const std::uint8_t b[4] = {
        static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    bytes_.insert(bytes_.end(), b, b + 4);
}

void ByteWriter::PatchBE32(std::size_t at, std::uint32_t value) {
    if (at > bytes_.size() || bytes_.size() - at < 4) return;
    bytes_[at] = static_cast<std::uint8_t>(value >> 24);
    bytes_[at + 1] = static_cast<std::uint8_t>(value >> 16);
    bytes_[at + 2] = static_cast<std::uint8_t>(value >> 8);
    bytes_[at + 3] = static_cast<std::uint8_t>(value);
}

namespace {

// Saving through a symbolic link must replace the file it points to, not the
// link itself.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a new file with a unique name in the folder. The mode 0666 goes
// through the umask, so the saved file gets the permissions a plain create
// would have given it (mkstemp would make it private).
int CreateUniqueFile(const std::string& folder, std::string* name) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t seed =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<std::uint64_t>(::getpid()) << 32);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // splitmix64: cheap and well spread, enough to avoid collisions.
        std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull + counter.fetch_add(1) + 1);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        std::string candidate = folder + ".kvs-save-";
        for (int i = 0; i < 8; ++i, z /= 62)
            candidate += kChars[z % 62];
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            *name = std::move(candidate);
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

int WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n != 0) {
        const ssize_t w = ::write(fd, p, n < (1u << 30) ? n : (1u << 30));
        if (w < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (w == 0) return EIO;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return 0;
}

}  // namespace

ResultCode WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string target = ResolveTarget(path);
    const std::string folder = Folder(target);
    std::string temp;
    int fd = CreateUniqueFile(folder, &temp);
    if (fd < 0) return SystemError(errno);

    // Replacing a file keeps its permissions.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        (void)::fchmod(fd, st.st_mode & 07777);

    int err = WriteAll(fd, bytes.data(), bytes.size());
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return SystemError(err);
    }

    // Make the rename itself durable; the data is safe either way.
    const int dir =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return kResultOk;
}

}  // namespace kvs

#include "files/byte_writer.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
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

constexpr int kMaxLinks = 40;  // as the kernel allows in one path

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The path a save must create when nothing exists at the end of the links:
// a link whose file is missing gets that file, not replaced by it.
int FollowDanglingLinks(std::string* path) {
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(path->c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
        const ssize_t n = ::readlink(path->c_str(), link.data(), link.size());
        if (n < 0) return errno;
        link.resize(static_cast<std::size_t>(n));
        *path = !link.empty() && link[0] == '/' ? link : Folder(*path) + link;
    }
    return ELOOP;
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

// A FIFO or a device is written where it stands. Opening without blocking
// makes a FIFO nobody reads an error instead of a hang; the writes then
// block as usual, so a slow reader gets everything.
int WriteInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int flags = ::fcntl(fd, F_GETFL);
    int err = flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? errno : 0;
    // A reader that goes away must make the save fail, not end the program.
    sigset_t pipeSignal, old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    if (err == 0) err = WriteAll(fd, bytes.data(), bytes.size());
    if (err == EPIPE && !sigismember(&old, SIGPIPE)) {
        const timespec now{};
        (void)sigtimedwait(&pipeSignal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

// The standard output or error stream that is the file, or -1.
int OwnStream(const struct stat& file) {
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == file.st_dev &&
            st.st_ino == file.st_ino)
            return fd;
    }
    return -1;
}

// Overwrites a regular file through its own inode, for the one case where a
// replacement could not keep its owner.
int OverwriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = WriteAll(fd, bytes.data(), bytes.size());
    if (err == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    return err;
}

}  // namespace

ResultCode WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                               std::string* failedPath) {
    if (failedPath != nullptr) *failedPath = path;
    // stat follows every link, the kernel's own ones under /proc included.
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return SystemError(errno);
    std::string target = path;
    if (exists) {
        if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
            const int err = WriteInPlace(path, bytes);
            return err == 0 ? kResultOk : SystemError(err);
        }
        if (const int stream = OwnStream(st); stream >= 0) {
            // /dev/stdout redirected to a file: written through our stream,
            // so that appending to a log file keeps what it held.
            const int err = WriteAll(stream, bytes.data(), bytes.size());
            return err == 0 ? kResultOk : SystemError(err);
        }
        if (S_ISDIR(st.st_mode)) return SystemError(EISDIR);
        if (!S_ISREG(st.st_mode)) return SystemError(ENODEV);  // a socket or a disk
        // A file the user may not write stays as it is, though the folder
        // would let a new one take its place.
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return SystemError(errno);
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
        if (!real) return SystemError(errno);
        target = real.get();
    } else if (const int err = FollowDanglingLinks(&target); err != 0) {
        return SystemError(err);
    }

    const std::string folder = Folder(target);
    std::string temp;
    int fd = CreateUniqueFile(folder, &temp);
    if (fd < 0) {
        const int err = errno;
        if (failedPath != nullptr) *failedPath = folder.empty() ? "." : folder;
        return SystemError(err);
    }
    if (exists) {
        // The replacement keeps the file's owner and permissions; where it
        // cannot take the owner over, the file is written in place instead.
        (void)::fchmod(fd, st.st_mode & 07777);
        struct stat made {};
        const bool sameOwner =
            ::fstat(fd, &made) == 0 && made.st_uid == st.st_uid && made.st_gid == st.st_gid;
        if (!sameOwner && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            const int err = OverwriteFile(target, bytes);
            return err == 0 ? kResultOk : SystemError(err);
        }
    }

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

#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <tuple>

#include "files/byte_writer.h"
#include "files_test_support.h"

namespace kvs {
namespace {

using test::Bytes;
using test::ReadAll;
using test::WriteRaw;
const Bytes kData{'M', 'T', 'h', 'd', 0, 0, 0, 6};
const Bytes kOld{'o', 'l', 'd'};

struct stat Lstat(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}
// Owner, group and permissions.
std::tuple<uid_t, gid_t, mode_t> Owner(const std::string& path) {
    const struct stat st = Lstat(path);
    return {st.st_uid, st.st_gid, st.st_mode & 07777};
}
// What one read of the descriptor gives; closes it.
Bytes ReadOnce(int fd) {
    Bytes got(64);
    const ssize_t n = ::read(fd, got.data(), got.size());
    ::close(fd);
    got.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return got;
}
mode_t TypeOf(const std::string& path) {
    return Lstat(path).st_mode & S_IFMT;
}

// Runs f in a child process, as the user nobody when asked and this is root;
// gives f's exit code, or -1 when the user could not be changed.
int InChild(const std::function<int()>& f, bool nonRoot = false) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (nonRoot && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(255);
        ::_exit(f());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

class SaveTargetTest : public test::TempDirTest {};

TEST_F(SaveTargetTest, AFifoIsWrittenInPlaceAndOneNobodyReadsIsAnErrorNotAHang) {
    const std::string fifo = Path("f.mid");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("f.mid", Path("s.mid").c_str()), 0);
    std::string failed;
    EXPECT_EQ(WriteFileAtomically(Path("s.mid"), kData, &failed), SystemError(ENXIO));
    EXPECT_EQ(failed, Path("s.mid"));

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(WriteFileAtomically(Path("s.mid"), kData), kResultOk);
    EXPECT_EQ(ReadOnce(reader), kData);
    EXPECT_EQ(TypeOf(fifo), S_IFIFO);
    EXPECT_EQ(TypeOf(Path("s.mid")), S_IFLNK);

    // A reader that goes away halfway fails the save and leaves us running.
    const int quitter = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(quitter, 0);
    std::thread leave([quitter] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::close(quitter);
    });
    EXPECT_EQ(WriteFileAtomically(fifo, Bytes(1 << 20, 0x90)), SystemError(EPIPE));
    leave.join();
}

TEST_F(SaveTargetTest, DevicesAreWrittenInPlaceAndOtherKindsOfFileAreNeverReplaced) {
    // Nodes of our own, so that nothing of the system's is at stake.
    const std::string null = Path("null.mid"), full = Path("full.mid");
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
        ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        ASSERT_EQ(::symlink(null.c_str(), Path("s.mid").c_str()), 0);
        EXPECT_EQ(WriteFileAtomically(Path("s.mid"), kData), kResultOk);
        EXPECT_EQ(WriteFileAtomically(full, kData), SystemError(ENOSPC));
        EXPECT_EQ(TypeOf(null), S_IFCHR);
        EXPECT_EQ(TypeOf(full), S_IFCHR);
        EXPECT_EQ(TypeOf(Path("s.mid")), S_IFLNK);
    } else {
        std::cout << "[ SKIPPED ] device nodes cannot be made here\n";
    }

    // What /dev/stdout names when the output goes to a pipe.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const std::string out = "/proc/self/fd/" + std::to_string(pipeEnds[1]);
    EXPECT_EQ(WriteFileAtomically(out, kData), kResultOk);
    ::close(pipeEnds[1]);
    EXPECT_EQ(ReadOnce(pipeEnds[0]), kData);

    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, Path("sock.mid").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(WriteFileAtomically(Path("sock.mid"), kData), SystemError(ENODEV));
    EXPECT_EQ(TypeOf(Path("sock.mid")), S_IFSOCK);
    ::close(sock);

    // ... and when it goes to a file, through the stream, so that a log
    // appended to a file keeps what the file held.
    WriteRaw(Path("log.txt"), kOld);
    const auto appendToLog = [&] {
        const int log = ::open(Path("log.txt").c_str(), O_WRONLY | O_APPEND);
        return log >= 0 && ::dup2(log, STDERR_FILENO) == STDERR_FILENO &&
               WriteFileAtomically("/dev/stderr", kData) == kResultOk;
    };
    EXPECT_EQ(InChild([&] { return appendToLog() ? 0 : 1; }), 0);
    EXPECT_EQ(ReadAll(Path("log.txt")), test::Cat({kOld, kData}));

    // A link to a file that does not exist yet creates that file.
    ASSERT_EQ(::symlink("new.mid", Path("dangling.mid").c_str()), 0);
    EXPECT_EQ(WriteFileAtomically(Path("dangling.mid"), kData), kResultOk);
    EXPECT_EQ(TypeOf(Path("dangling.mid")), S_IFLNK);
    EXPECT_EQ(ReadAll(Path("new.mid")), kData);
}

TEST_F(SaveTargetTest, AFileTheUserMayNotWriteStaysAndAReplacedFileKeepsOwnerAndMode) {
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);  // a folder everyone may write in
    WriteRaw(Path("theirs.mid"), kOld, 0444);
    WriteRaw(Path("shared.mid"), kOld, 0666);
    ASSERT_EQ(::mkdir(Path("locked").c_str(), 0755), 0);
    WriteRaw(Path("locked/own.mid"), kOld, 0666);
    const bool root = ::geteuid() == 0;
    if (!root) {
        ASSERT_EQ(::chmod(Path("locked").c_str(), 0555), 0);
    }
    const auto shared = Owner(Path("shared.mid"));

    const int outcome = InChild(
        [&] {
            std::string failed;
            int wrong = 0;
            if (WriteFileAtomically(Path("theirs.mid"), kData) != SystemError(EACCES)) wrong |= 1;
            if (WriteFileAtomically(Path("shared.mid"), kData) != kResultOk) wrong |= 2;
            if (WriteFileAtomically(Path("locked/own.mid"), kData, &failed) != SystemError(EACCES))
                wrong |= 4;
            if (failed != Path("locked/")) wrong |= 8;  // the message names the folder
            return wrong;
        },
        true);
    ::chmod(Path("locked").c_str(), 0755);
    if (outcome < 0) GTEST_SKIP() << "cannot run as a user other than root";
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(ReadAll(Path("theirs.mid")), kOld);
    EXPECT_EQ(std::get<2>(Owner(Path("theirs.mid"))), 0444u);
    EXPECT_EQ(ReadAll(Path("locked/own.mid")), kOld);
    EXPECT_EQ(ReadAll(Path("shared.mid")), kData);
    EXPECT_EQ(Owner(Path("shared.mid")), shared);
    EXPECT_EQ(std::get<2>(shared), 0666u);
    if (!root) {
        std::cout << "[ NOTE ] files owned by another user were not tried (not root)\n";
        return;
    }
    // Root replacing a user's file hands the new one to that user.
    ASSERT_EQ(::chown(Path("theirs.mid").c_str(), 65534, 65534), 0);
    EXPECT_EQ(WriteFileAtomically(Path("theirs.mid"), kData), kResultOk);
    EXPECT_EQ(Owner(Path("theirs.mid")), std::make_tuple(65534u, 65534u, 0444u));
}

}  // namespace
}  // namespace kvs

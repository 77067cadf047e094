#include "ui/qt/hand_over_server.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <thread>

namespace kvs {
namespace {

// Binds a Unix socket at path and closes it without unlinking: what a
// crashed instance leaves behind.
void LeaveStaleSocket(const QString& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::memcpy(addr.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(fd);
}

TEST(HandOverServer, DeliversOnceReplacesStaleSocketsAndRefusesASecondListener) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kvs.sock");
    EXPECT_FALSE(SendHandOver(path, "nobody listens", 200));

    LeaveStaleSocket(path);
    HandOverServer server;
    ASSERT_TRUE(server.Listen(path));
    HandOverServer second;
    EXPECT_FALSE(second.Listen(path)) << "a live instance keeps its socket";

    QSignalSpy received(&server, &HandOverServer::Received);
    QByteArray payload(70000, 'x');  // more than one read's worth
    payload[0] = '\0';
    bool delivered = false;
    // The sender blocks on the answer, so it runs beside the server's loop.
    std::thread sender([&] { delivered = SendHandOver(path, payload); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.count() == 1; }, 5000));
    sender.join();
    EXPECT_TRUE(delivered);
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.front().front().toByteArray(), payload);
}

TEST(HandOverServer, PeerCredentialsTellAnotherUserApart) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
    QTemporaryDir dir;
    chmod(dir.path().toLocal8Bit().constData(), 0777);
    const QByteArray path = dir.filePath("peer.sock").toLocal8Bit();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    chmod(path.constData(), 0777);
    ASSERT_EQ(listen(listener, 2), 0);

    auto connectAs = [&](uid_t uid) {
        const pid_t child = fork();
        if (child == 0) {
            if (uid != getuid() && setuid(uid) != 0) _exit(1);
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            _exit(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 ? 0 : 1);
        }
        pollfd ready{listener, POLLIN, 0};
        if (poll(&ready, 1, 5000) != 1) {
            ADD_FAILURE() << "no connection";
            return false;
        }
        const int accepted = accept(listener, nullptr, nullptr);
        const bool same = PeerIsSameUser(accepted);
        close(accepted);
        int status = 0;
        waitpid(child, &status, 0);
        return same;
    };
    EXPECT_TRUE(connectAs(getuid()));
    EXPECT_FALSE(connectAs(65534));
    close(listener);
}

}  // namespace
}  // namespace kvs

#include "ui/qt/hand_over_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

namespace kvs {
namespace {

constexpr int kHeaderBytes = 4;
// A command line is a few file names and flags; anything larger is not ours.
constexpr quint32 kMaxPayload = 1 << 20;
constexpr char kAck = '1';

QByteArray Frame(const QByteArray& payload) {
    QByteArray framed(kHeaderBytes, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), framed.data());
    return framed + payload;
}

}  // namespace

bool PeerIsSameUser(qintptr socketDescriptor) {
    ucred cred{};
    socklen_t size = sizeof cred;
    if (getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0)
        return false;
    return cred.uid == getuid();
}

HandOverServer::HandOverServer(QObject* parent) : QObject(parent) {}

HandOverServer::~HandOverServer() {
    if (server_) server_->close();
}

QString HandOverServer::Path() const {
    return server_ ? server_->fullServerName() : QString();
}

bool HandOverServer::Listen(const QString& path) {
    {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500)) return false;  // a live instance owns it
    }
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &HandOverServer::Accept);
    return true;
}

void HandOverServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!PeerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
        ReadFrom(socket);
    }
}

void HandOverServer::ReadFrom(QLocalSocket* socket) {
    if (socket->bytesAvailable() < kHeaderBytes) return;
    QByteArray header = socket->peek(kHeaderBytes);
    const quint32 size = qFromBigEndian<quint32>(header.constData());
    if (size > kMaxPayload) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < kHeaderBytes + static_cast<qint64>(size)) return;
    socket->read(kHeaderBytes);
    const QByteArray payload = socket->read(size);
    // Disconnect the reader first: the slot below may open a modal dialog
    // whose event loop would otherwise deliver this socket's data again.
    socket->disconnect(this);
    socket->write(&kAck, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit Received(payload);
}

bool SendHandOver(const QString& path, const QByteArray& payload, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(Frame(payload));
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAck;
}

}  // namespace kvs

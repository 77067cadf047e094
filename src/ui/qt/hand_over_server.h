#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace kvs {

// The receiving end of a second start's command line: a per-user local socket.
// A message is a 4-byte big-endian length and that many bytes; the server
// answers one byte ("1") once the whole message is in, so the sender knows it
// was delivered before it exits.
class HandOverServer final : public QObject {
    Q_OBJECT

  public:
    explicit HandOverServer(QObject* parent = nullptr);
    ~HandOverServer() override;

    // Listens at path. A socket file left by a crashed instance (nobody
    // answers a connect) is removed first; false when another instance is
    // listening there or the socket cannot be made.
    bool Listen(const QString& path);
    QString Path() const;

  signals:
    void Received(const QByteArray& payload);

  private:
    void Accept();
    void ReadFrom(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
};

// The sending end. True only when a running instance confirmed it received
// the whole payload.
bool SendHandOver(const QString& path, const QByteArray& payload, int timeoutMs = 3000);

// Whether the process at the other end of a connected local socket runs as
// this process's user (SO_PEERCRED).
bool PeerIsSameUser(qintptr socketDescriptor);

}  // namespace kvs

// The single-instance lock and the hand-over socket. A hand-over is one
// serialised list of paths; the connection's end marks the end of it.
#include "app/single_instance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <memory>

namespace {

// More than any list of files a desktop hands over; a longer message is dropped.
constexpr qint64 kLongestMessage = 16 * 1024 * 1024;

} // namespace

CSingleInstance::CSingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_path = QDir(folder).filePath(name + QStringLiteral(".lock"));
    m_socketPath = QDir(folder).filePath(name + QStringLiteral(".socket"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: only a lock whose process is gone is taken over.
    m_lock->setStaleLockTime(0);
}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::Acquire()
{
    if (!m_lock->tryLock(0))
        return false;
    // Holding the lock, any socket there is a dead copy's leftover.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    // Without the socket the program still runs; later starts then only end.
    m_server->listen(m_socketPath);
    return true;
}

bool CSingleInstance::HandOver(const QStringList& files, int waitMs) const
{
    QLocalSocket socket;
    const QDeadlineTimer deadline(waitMs);
    // The running copy may hold the lock but not listen yet (it is starting).
    for (;;) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 0))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << files;
    socket.write(message);
    if (!socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1000))))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return true;
}

void CSingleInstance::OnConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, socket, [socket, received] {
            *received += socket->readAll();
            if (received->size() > kLongestMessage)
                socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, received] {
            *received += socket->readAll();
            socket->deleteLater();
            if (received->size() > kLongestMessage)
                return;
            QDataStream in(*received);
            QStringList files;
            in >> files;
            if (in.status() == QDataStream::Ok)
                emit filesHandedOver(files);
        });
    }
}

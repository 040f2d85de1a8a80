// The single-instance lock and the hand-over socket. A hand-over is one
// serialised list of paths; the connection's end marks the end of it.
#include "app/single_instance.h"

#include "product_version.h"
#include "shell/local_path.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

// More than any list of files a desktop hands over; a longer message, or
// one with more paths, is dropped, and so is a connection that stays silent.
constexpr qint64 kLongestMessage = 16 * 1024 * 1024;
constexpr qsizetype kMostPaths = 100000;

#ifdef Q_OS_UNIX

// A folder others cannot swap things in: the user's or root's, and written
// by nobody else unless sticky.
bool IsSafeBase(const std::string& base)
{
    struct stat st { };
    if (base.empty() || base[0] != '/' || ::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid != ::getuid() && st.st_uid != 0)
        return false;
    return (st.st_mode & 022) == 0 || (st.st_mode & S_ISVTX) != 0;
}

// `base`/`name`, made when missing, when it is a real folder (no link) of
// the user's that nobody else may enter; empty otherwise.
QString OwnFolder(const std::string& base, const QString& name)
{
    if (!IsSafeBase(base))
        return {};
    const std::string folder = base + "/" + localpath::ToStd(name);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st { };
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        return {};
    // The socket's whole path has to fit into a socket address.
    if (folder.size() + std::size_t(name.toUtf8().size()) + 9 >= sizeof(sockaddr_un::sun_path))
        return {};
    return localpath::FromStd(folder);
}

// A folder under XDG_RUNTIME_DIR, else under the user's cache or settings
// folder; never a shared one. Empty when none of them will do.
QString PrivateFolder(const QString& name)
{
    auto from = [](const char* variable, const char* fallback) {
        const QByteArray value = qgetenv(variable);
        if (value.startsWith('/'))
            return value.toStdString();
        return fallback ? localpath::ToStd(QDir::homePath()) + fallback : std::string();
    };
    for (const std::string& base :
        { from("XDG_RUNTIME_DIR", nullptr), from("XDG_CACHE_HOME", "/.cache"), from("XDG_CONFIG_HOME", "/.config") }) {
        if (base.empty())
            continue;
        ::mkdir(base.c_str(), 0700); // the cache folder may not be there yet
        const QString folder = OwnFolder(base, name);
        if (!folder.isEmpty())
            return folder;
    }
    return {};
}

// The lock file is a plain file of the user's, not a link.
bool IsOwnFile(const QString& path)
{
    struct stat st { };
    return ::lstat(localpath::ToStd(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid();
}

#else

QString PrivateFolder(const QString&)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

bool IsOwnFile(const QString&)
{
    return true;
}

#endif

void SayAloneOnce()
{
    static bool said = false;
    if (std::exchange(said, true))
        return;
    std::fputs(KVN_PRODUCT_NAME ": no private folder for the running-copy lock; this copy runs on its own and takes "
                                "no files from later starts\n",
        stderr);
}

} // namespace

CSingleInstance::CSingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
{
    const QString folder = PrivateFolder(name);
    if (folder.isEmpty())
        return;
    m_path = QDir(folder).filePath(name + QStringLiteral(".lock"));
    m_socketPath = QDir(folder).filePath(name + QStringLiteral(".socket"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: only a lock whose process is gone is taken over.
    m_lock->setStaleLockTime(0);
}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::Acquire()
{
    if (!m_lock) {
        SayAloneOnce();
        return true;
    }
    if (!m_lock->tryLock(0)) {
        // Only a lock of the user's own, held by a living copy, means one is
        // running; a lock nobody can vouch for is no reason to end.
        if (m_lock->error() == QLockFile::LockFailedError && IsOwnFile(m_path))
            return false;
        m_lock.reset();
        SayAloneOnce();
        return true;
    }
    // Holding the lock, any socket there is a dead copy's leftover.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    // Without the socket the program still runs; later starts then run too.
    m_server->listen(m_socketPath);
    return true;
}

bool CSingleInstance::HandOver(const QStringList& files, int waitMs) const
{
    if (m_socketPath.isEmpty())
        return false;
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
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
        idle->start(m_idleMs);
        connect(socket, &QLocalSocket::readyRead, socket, [socket, received, idle, ms = m_idleMs] {
            if (!socket->isReadable())
                return;
            *received += socket->read(kLongestMessage + 1 - received->size());
            if (received->size() > kLongestMessage)
                socket->abort();
            else
                idle->start(ms);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, received] {
            if (socket->isReadable() && received->size() <= kLongestMessage)
                *received += socket->read(kLongestMessage + 1 - received->size());
            socket->deleteLater();
            if (received->size() > kLongestMessage)
                return;
            // The count comes first: a list claiming more paths than any
            // start hands over is not read at all.
            QDataStream in(*received);
            quint32 count = 0;
            in >> count;
            if (in.status() != QDataStream::Ok || count > quint32(kMostPaths))
                return;
            in.device()->seek(0);
            QStringList files;
            in >> files;
            if (in.status() == QDataStream::Ok)
                emit filesHandedOver(files);
        });
    }
}

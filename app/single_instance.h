// One running copy per user: a lock file decides which copy runs; beside it
// a local socket on which the running copy takes the files a later start was
// given. Both live in a folder of the user's alone (under XDG_RUNTIME_DIR,
// else the cache or settings folder), never in a shared one; without such a
// folder every copy runs on its own. A lock left by a copy that died is taken
// over, and its socket with it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLockFile;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit CSingleInstance(const QString& name, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when this process runs: it now holds the lock (until it ends) and
    // listens for later starts, or there is no lock it could trust (it then
    // says so once, on standard error). False only when a copy of the
    // user's own holds the lock.
    bool Acquire();
    // In a copy that did not get the lock: hands `files` (absolute paths,
    // possibly none) to the running copy, waiting up to `waitMs` for it to
    // listen. False when no copy answered.
    bool HandOver(const QStringList& files, int waitMs = 5000) const;

    // A connection that sends nothing for this long is closed (tests).
    void SetIdleLimit(int milliseconds) { m_idleMs = milliseconds; }

    // Empty when there is no private folder.
    QString LockPath() const { return m_path; }
    QString SocketPath() const { return m_socketPath; }

signals:
    // A later start handed these files over (empty: it was started bare).
    void filesHandedOver(const QStringList& files);

private:
    void OnConnection();

    QString m_path;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    int m_idleMs = 10000;
};

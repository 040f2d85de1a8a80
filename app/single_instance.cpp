// The single-instance lock.
#include "single_instance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

CSingleInstance::CSingleInstance(const QString& name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_path = QDir(folder).filePath(name + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: only a lock whose process is gone is taken over.
    m_lock->setStaleLockTime(0);
}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::Acquire()
{
    return m_lock->tryLock(0);
}

// One running copy per user: a lock file in the runtime folder. A second copy
// finds it held and ends; a lock left by a copy that died is taken over.
#pragma once

#include <QString>
#include <memory>

class QLockFile;

class CSingleInstance {
public:
    explicit CSingleInstance(const QString& name);
    ~CSingleInstance();

    // True when this process now holds the lock (until it ends).
    bool Acquire();
    QString LockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

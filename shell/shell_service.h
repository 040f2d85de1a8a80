// What the program asks of the desktop: open a file or address with its
// default application, move a file to the trash, show a file's properties in
// the file manager, show a folder there. Tests install a recorder instead.
#pragma once

#include <QString>
#include <QUrl>
#include <memory>

class CShellService {
public:
    virtual ~CShellService() = default;

    virtual bool OpenUrl(const QUrl& url);
    // Moves one file to the trash; false with `error` set when it could not.
    virtual bool MoveToTrash(const QString& path, QString* error);
    // The desktop file manager's properties window; false when none answers.
    virtual bool ShowProperties(const QString& path);
    // Opens the folder in the file manager.
    virtual bool ShowFolder(const QString& folder);

    static CShellService& Instance();
    static void SetInstance(std::unique_ptr<CShellService> service);
};

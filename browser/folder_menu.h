// The folder tree's context menu: the desktop's usual actions for one folder,
// and encrypting or decrypting every file below it.
#pragma once

#include <QMenu>
#include <QString>

class CFolderMenu : public QMenu {
    Q_OBJECT
public:
    CFolderMenu(const QString& path, QWidget* parent);

private:
    void Open();
    void OpenInFileManager();
    void CopyPath();
    void ShowProperties();
    void RunOnFolder(const char* command);
    bool StillThere(const QString& caption);
    void ReportNotOpened();
    // The folder as messages and the clipboard show it.
    QString Shown() const;

    QString m_path;
};

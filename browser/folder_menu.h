// The folder tree's context menu: the desktop's usual actions for one folder.
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
    bool StillThere(const QString& caption);
    void ReportNotOpened();

    QString m_path;
};

// A file's properties when no desktop file manager offers its own window:
// name, folder, size in bytes, type, last change and permissions.
#pragma once

#include <QDialog>
#include <QFileDevice>

class CFilePropertiesDlg : public QDialog {
    Q_OBJECT

public:
    CFilePropertiesDlg(const QString& path, QWidget* parent = nullptr);

    // Shows the window without blocking, as a file manager's would be; a file
    // that is gone is reported instead. Returns the window, or null.
    static CFilePropertiesDlg* ShowFor(const QString& path, QWidget* parent);

    static QString PermissionText(QFileDevice::Permissions permissions);
};

// A folder's properties when no desktop file manager shows them: name,
// location, what it holds and when it changed. Closes itself when dismissed.
#pragma once

#include <QDialog>
#include <QString>

class CFolderPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CFolderPropertiesDlg(const QString& path, QWidget* parent = nullptr);
};

// The file list's context menu: its entries in their fixed order, and which
// of them a selection of a given size allows.
#pragma once

#include <QMenu>

class CFileListMenu : public QMenu {
    Q_OBJECT

public:
    explicit CFileListMenu(QWidget* parent = nullptr);

    // Encrypt, Decrypt and Delete need a selection; Properties exactly one file.
    void EnableFor(int selectedCount);

    QAction* m_encrypt;
    QAction* m_decrypt;
    QAction* m_refresh;
    QAction* m_arrangeByName;
    QAction* m_arrangeByType;
    QAction* m_arrangeBySize;
    QAction* m_arrangeByDate;
    QAction* m_arrangeByAttribute;
    QAction* m_selectAll;
    QAction* m_invertSelection;
    QAction* m_delete;
    QAction* m_properties;

private:
    QAction* Add(const char* objectName, const char* text, const char* statusTip = nullptr);
};

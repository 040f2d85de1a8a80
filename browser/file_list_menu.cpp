// Entries of the file list's context menu.
#include "browser/file_list_menu.h"

CFileListMenu::CFileListMenu(QWidget* parent)
    : QMenu(parent)
{
    setObjectName(QStringLiteral("fileListMenu"));
    // The tab and the spaces after it belong to the first two texts: the key
    // names stand apart from the command.
    m_encrypt = Add("encryptFile", "&Encrypt File\t     F5");
    m_decrypt = Add("decryptFile", "&Decrypt File\t     F8");
    addSeparator();
    m_refresh = Add("refreshFilelist", "&Refresh Filelist");
    addSeparator();
    m_arrangeByName = Add("arrangeByName", "Arrange by Name", "Arrange by Name.");
    m_arrangeByType = Add("arrangeByType", "Arrange by Type", "Arrange by Type.");
    m_arrangeBySize = Add("arrangeBySize", "Arrange by Size", "Arrange by Size.");
    m_arrangeByDate = Add("arrangeByDate", "Arrange by Date", "Arrange by Date.");
    m_arrangeByAttribute = Add("arrangeByAttribute", "Arrange by Attribute", "Arrange by Attribute.");
    addSeparator();
    m_selectAll = Add("selectAll", "&Select All", "Selects all items.");
    m_invertSelection
        = Add("invertSelection", "&Invert Selection", "Reverses which items are selected and which are not.");
    addSeparator();
    m_delete = Add("deleteFile", "Delet&e File");
    addSeparator();
    m_properties = Add("properties", "&Properties");
}

QAction* CFileListMenu::Add(const char* objectName, const char* text, const char* statusTip)
{
    QAction* action = addAction(QString::fromLatin1(text));
    action->setObjectName(QString::fromLatin1(objectName));
    if (statusTip)
        action->setStatusTip(QString::fromLatin1(statusTip));
    return action;
}

void CFileListMenu::EnableFor(int selectedCount)
{
    m_encrypt->setEnabled(selectedCount > 0);
    m_decrypt->setEnabled(selectedCount > 0);
    m_delete->setEnabled(selectedCount > 0);
    m_properties->setEnabled(selectedCount == 1);
}

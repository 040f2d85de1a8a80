// Hands the folder to the desktop through the shell service; only the path
// copy and the fallback properties window are the program's own.
#include "browser/folder_menu.h"

#include "browser/folder_properties_dlg.h"
#include "product_version.h"
#include "shell/local_path.h"
#include "shell/message_service.h"
#include "shell/shell_service.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QUrl>

CFolderMenu::CFolderMenu(const QString& path, QWidget* parent)
    : QMenu(parent)
    , m_path(path)
{
    setObjectName(QStringLiteral("folderMenu"));
    const auto add = [this](const char* name, const QString& text, void (CFolderMenu::*slot)()) {
        QAction* action = addAction(text, this, slot);
        action->setObjectName(QLatin1String(name));
    };
    add("openFolder", QStringLiteral("&Open"), &CFolderMenu::Open);
    add("openInFileManager", QStringLiteral("Open in File &Manager"), &CFolderMenu::OpenInFileManager);
    addSeparator();
    addAction(QStringLiteral("&Encrypt Files in Folder..."), this, [this] {
        RunOnFolder("EncryptFolder");
    })->setObjectName(QStringLiteral("encryptFolder"));
    addAction(QStringLiteral("&Decrypt Files in Folder..."), this, [this] {
        RunOnFolder("DecryptFolder");
    })->setObjectName(QStringLiteral("decryptFolder"));
    addSeparator();
    add("copyFolderPath", QStringLiteral("&Copy Path"), &CFolderMenu::CopyPath);
    addSeparator();
    add("folderProperties", QStringLiteral("&Properties"), &CFolderMenu::ShowProperties);
}

QString CFolderMenu::Shown() const
{
    return localpath::Display(QDir::toNativeSeparators(m_path));
}

void CFolderMenu::Open()
{
    if (StillThere(QString::fromLatin1(KVN_PRODUCT_NAME)) && !CShellService::Instance().OpenUrl(localpath::Url(m_path)))
        ReportNotOpened();
}

void CFolderMenu::OpenInFileManager()
{
    if (StillThere(QString::fromLatin1(KVN_PRODUCT_NAME)) && !CShellService::Instance().ShowFolder(m_path))
        ReportNotOpened();
}

void CFolderMenu::CopyPath()
{
    QGuiApplication::clipboard()->setText(Shown());
}

void CFolderMenu::ShowProperties()
{
    if (!StillThere(QStringLiteral("Properties")) || CShellService::Instance().ShowProperties(m_path))
        return;
    // No file manager answered: our own window, which does not block either.
    auto* dlg = new CFolderPropertiesDlg(m_path, parentWidget() ? parentWidget()->window() : nullptr);
    dlg->show();
}

// The main window runs the batch (with its key and its batch window), after
// the menu has closed.
void CFolderMenu::RunOnFolder(const char* command)
{
    QWidget* window = parentWidget() ? parentWidget()->window() : nullptr;
    if (window && StillThere(QString::fromLatin1(KVN_PRODUCT_NAME)))
        QMetaObject::invokeMethod(window, command, Qt::QueuedConnection, Q_ARG(QString, m_path));
}

// The tree lists a folder once, so it may have gone since.
bool CFolderMenu::StillThere(const QString& caption)
{
    if (localpath::FactsOf(m_path).folder)
        return true;
    CMessageService::Show(parentWidget(), QStringLiteral("\"%1\" no longer exists.").arg(Shown()), caption,
        QMessageBox::Ok, QMessageBox::Warning);
    return false;
}

void CFolderMenu::ReportNotOpened()
{
    CMessageService::Show(parentWidget(), QStringLiteral("\"%1\" could not be opened.").arg(Shown()),
        QString::fromLatin1(KVN_PRODUCT_NAME), QMessageBox::Ok, QMessageBox::Warning);
}

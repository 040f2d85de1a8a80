// The desktop's services through the Windows shell: the Recycle Bin and the
// shell's own properties sheets.
#include "shell/shell_service.h"

#include "shell/trash_can.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <shellapi.h>

namespace {

std::unique_ptr<CShellService>& instance()
{
    static std::unique_ptr<CShellService> service;
    return service;
}

} // namespace

bool CShellService::OpenUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool CShellService::MoveToTrash(const QString& path, QString* error)
{
    return trashcan::MoveToTrash(path, error);
}

bool CShellService::ShowProperties(const QString& path)
{
    const std::wstring file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The verb belongs to the item's shortcut menu, not to a program.
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"properties";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) != FALSE;
}

bool CShellService::ShowFolder(const QString& folder)
{
    return OpenUrl(QUrl::fromLocalFile(folder));
}

CShellService& CShellService::Instance()
{
    auto& service = instance();
    if (!service)
        service = std::make_unique<CShellService>();
    return *service;
}

void CShellService::SetInstance(std::unique_ptr<CShellService> service)
{
    instance() = std::move(service);
}

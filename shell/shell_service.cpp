// The desktop's services through Qt and the freedesktop file-manager interface.
#include "shell/shell_service.h"

#include "shell/local_path.h"
#include "shell/trash_can.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>

namespace {

std::unique_ptr<CShellService>& instance()
{
    static std::unique_ptr<CShellService> service;
    return service;
}

// Calls a method of the desktop file manager's interface, if one is running.
bool call_file_manager(const QString& method, const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service).value())
        return false;
    QDBusMessage call
        = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"), service, method);
    call << QStringList{ localpath::Url(path).toString(QUrl::FullyEncoded) } << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
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
    return call_file_manager(QStringLiteral("ShowItemProperties"), path);
}

bool CShellService::ShowFolder(const QString& folder)
{
    return call_file_manager(QStringLiteral("ShowFolders"), folder) || OpenUrl(localpath::Url(folder));
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

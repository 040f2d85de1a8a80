// The update server's address and the addresses made from it.
#include "update/update_server.h"

namespace {

QString& overridden()
{
    static QString server;
    return server;
}

QUrl OnServer(const QString& path)
{
    QUrl url(QStringLiteral("http://") + UpdateServer::Server());
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

} // namespace

namespace UpdateServer {

QString Server()
{
    if (!overridden().isEmpty())
        return overridden();
    const QString fromEnvironment = qEnvironmentVariable("KVN_UPDATE_SERVER").trimmed();
    return fromEnvironment.isEmpty() ? QStringLiteral(KVN_UPDATE_HOST) : fromEnvironment;
}

void SetServer(const QString& hostAndPort)
{
    overridden() = hostAndPort;
}

QUrl VersionAddress()
{
    return OnServer(QStringLiteral("/version.txt"));
}

QUrl SetupAddress(const QString& latest)
{
    return OnServer(QStringLiteral("/kv") + latest + QStringLiteral("setup.exe"));
}

} // namespace UpdateServer

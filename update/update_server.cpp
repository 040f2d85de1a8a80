// The update server's address and the addresses made from it.
#include "update/update_server.h"

namespace {

QString& overridden()
{
    static QString server;
    return server;
}

// https unless the server is named with "http://" in front (a test server
// on the loopback): over plain http anyone on the way could set the version
// shown and what the Upgrade link serves.
QUrl OnServer(const QString& path)
{
    const QString server = UpdateServer::Server();
    const bool schemeGiven = server.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || server.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    QUrl url(schemeGiven ? server : QStringLiteral("https://") + server);
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

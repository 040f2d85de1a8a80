// Where the update check asks for the latest version and where the setup
// program is downloaded from: one host, fixed at build time unless
// KVN_UPDATE_SERVER or SetServer names another, asked over https unless it
// is named as "http://host:port".
#pragma once

#include <QString>
#include <QUrl>

namespace UpdateServer {

// "host" or "host:port", either possibly after "http://" or "https://".
QString Server();
// Overrides the build's server and KVN_UPDATE_SERVER (tests); an empty text
// restores them.
void SetServer(const QString& hostAndPort);

QUrl VersionAddress();
// "https://<server>/kv<latest>setup.exe"; the version is taken as data, so a
// stray "?" or "#" from the server cannot change the address's meaning.
QUrl SetupAddress(const QString& latest);

} // namespace UpdateServer

// Paths as the file system spells them. A name there is a string of bytes that
// need not be UTF-8; the program carries such a path in a QString in which
// every byte that is not part of a valid UTF-8 sequence stands as one code
// unit U+DC80..U+DCFF, so that turning it back gives the very same bytes.
// QFile::encodeName/decodeName would put U+FFFD in its place and lose it.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QUrl>

#include <string>

namespace localpath {

QString FromBytes(const char* bytes, qsizetype size);
inline QString FromBytes(const QByteArray& bytes)
{
    return FromBytes(bytes.constData(), bytes.size());
}
inline QString FromStd(const std::string& bytes)
{
    return FromBytes(bytes.data(), qsizetype(bytes.size()));
}
QByteArray ToBytes(const QString& path);
inline std::string ToStd(const QString& path)
{
    const QByteArray b = ToBytes(path);
    return std::string(b.constData(), std::size_t(b.size()));
}

// What the file system says of a path (links followed).
struct Facts {
    bool exists = false;
    bool folder = false;
    qint64 size = 0;
    qint64 modified = 0; // seconds since the epoch
    QFileDevice::Permissions permissions;
};
Facts FactsOf(const QString& path);

// The last part of a path.
QString NameOf(const QString& path);

// For showing: each byte that is no character becomes U+FFFD.
QString Display(const QString& path);
// A file: address that names exactly these bytes.
QUrl Url(const QString& path);

} // namespace localpath

// Byte-exact conversion between file-system paths and the program's strings.
#include "shell/local_path.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace localpath {

#ifdef Q_OS_UNIX

namespace {

constexpr char16_t kEscape = 0xDC00; // U+DC80..U+DCFF: bytes 0x80..0xFF

// The length of the valid UTF-8 sequence at `p`, or 0 when there is none
// (overlong forms, surrogates and code points beyond U+10FFFF included).
int SequenceAt(const unsigned char* p, const unsigned char* end, char32_t& cp)
{
    const unsigned char c = p[0];
    int n;
    char32_t min;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (end - p < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

QString FromBytes(const char* bytes, qsizetype size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = p + size;
    QString out;
    out.reserve(size);
    while (p < end) {
        if (*p < 0x80) {
            out.append(QChar(char16_t(*p++)));
            continue;
        }
        char32_t cp = 0;
        const int n = SequenceAt(p, end, cp);
        if (n == 0) {
            out.append(QChar(char16_t(kEscape + *p++)));
            continue;
        }
        if (cp < 0x10000) {
            out.append(QChar(char16_t(cp)));
        } else {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        }
        p += n;
    }
    return out;
}

QByteArray ToBytes(const QString& path)
{
    QByteArray out;
    out.reserve(path.size());
    const char16_t* s = reinterpret_cast<const char16_t*>(path.utf16());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u < 0x80) {
            out.append(char(u));
        } else if (u >= 0xDC80 && u <= 0xDCFF && !(i > 0 && QChar::isHighSurrogate(s[i - 1]))) {
            out.append(char(u - kEscape));
        } else {
            char32_t cp = u;
            if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
                cp = QChar::surrogateToUcs4(u, s[++i]);
            if (cp < 0x800) {
                out.append(char(0xC0 | (cp >> 6)));
            } else if (cp < 0x10000) {
                out.append(char(0xE0 | (cp >> 12)));
                out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            } else {
                out.append(char(0xF0 | (cp >> 18)));
                out.append(char(0x80 | ((cp >> 12) & 0x3F)));
                out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            }
            out.append(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

#else

QString FromBytes(const char* bytes, qsizetype size)
{
    return QFile::decodeName(QByteArray(bytes, size));
}
QByteArray ToBytes(const QString& path)
{
    return QFile::encodeName(path);
}

#endif

Facts FactsOf(const QString& path)
{
    Facts f;
#ifdef Q_OS_UNIX
    struct stat st { };
    // A link to nothing is still there, as itself.
    const QByteArray bytes = ToBytes(path);
    if (::stat(bytes.constData(), &st) != 0 && ::lstat(bytes.constData(), &st) != 0)
        return f;
    f.exists = true;
    f.folder = S_ISDIR(st.st_mode);
    f.size = qint64(st.st_size);
    f.modified = qint64(st.st_mtime);
    // Owner, group, others: read, write, execute, as QFileDevice numbers them.
    const unsigned bits[9] = { S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH };
    const QFileDevice::Permission flags[9] = { QFileDevice::ReadOwner, QFileDevice::WriteOwner, QFileDevice::ExeOwner,
        QFileDevice::ReadGroup, QFileDevice::WriteGroup, QFileDevice::ExeGroup, QFileDevice::ReadOther,
        QFileDevice::WriteOther, QFileDevice::ExeOther };
    for (int i = 0; i < 9; ++i)
        if (st.st_mode & bits[i])
            f.permissions |= flags[i];
#else
    const QFileInfo info(path);
    f.exists = info.exists();
    f.folder = info.isDir();
    f.size = info.size();
    f.modified = info.lastModified().toSecsSinceEpoch();
    f.permissions = info.permissions();
#endif
    return f;
}

QString NameOf(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

QString Display(const QString& path)
{
    QString out = path;
    const char16_t* s = reinterpret_cast<const char16_t*>(path.utf16());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const bool paired = (i > 0 && QChar::isHighSurrogate(s[i - 1]));
        if (s[i] >= 0xDC80 && s[i] <= 0xDCFF && !paired)
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

QUrl Url(const QString& path)
{
#ifdef Q_OS_UNIX
    return QUrl::fromEncoded("file://" + ToBytes(path).toPercentEncoding("/"), QUrl::StrictMode);
#else
    return QUrl::fromLocalFile(path);
#endif
}

} // namespace localpath

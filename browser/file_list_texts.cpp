// Row texts of the file list and the byte order of its sort.
#include "browser/file_list_texts.h"

#include <ctime>

namespace filelist {

QString SizeText(qint64 bytes)
{
    return QString::number(SizeKey(bytes)) + QStringLiteral(" KB");
}

qint64 SizeKey(qint64 bytes)
{
    return bytes < 0 ? 0 : bytes / 1024;
}

QString ModifiedText(qint64 secondsSinceEpoch)
{
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
#ifdef Q_OS_WIN
    if (localtime_s(&local, &t) != 0)
        return {};
#else
    if (!localtime_r(&t, &local))
        return {};
#endif
    // The clock part is spelled out rather than taken from "%X": the program
    // runs in the user's locale, where "%X" may read "09:00:00 AM" and would
    // no longer sort by time.
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return QString::fromLatin1(text, qsizetype(n));
}

QString AttributeText(const Attributes& a)
{
    QString text = a.archive ? QStringLiteral(" A   ") : QStringLiteral(" ");
    if (a.system)
        text += QLatin1Char('S');
    if (a.hidden)
        text += QLatin1Char('H');
    if (a.readOnly)
        text += QLatin1Char('R');
    return text;
}

int CompareBytes(const QString& a, const QString& b)
{
    const qsizetype n = qMin(a.size(), b.size());
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ca = pa[i].unicode();
        char16_t cb = pb[i].unicode();
        if (ca == cb)
            continue;
        // Surrogates (U+D800..U+DFFF) encode code points above U+FFFF: move
        // them above U+E000..U+FFFF so code units order like UTF-8 bytes.
        if (ca >= 0xD800 && cb >= 0xD800) {
            ca = char16_t(ca >= 0xE000 ? ca - 0x800 : ca + 0x2000);
            cb = char16_t(cb >= 0xE000 ? cb - 0x800 : cb + 0x2000);
        }
        return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace filelist

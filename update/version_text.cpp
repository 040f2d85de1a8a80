// Reading and showing the update server's version numbers.
#include "update/version_text.h"

#include <algorithm>
#include <climits>

namespace VersionText {

int LeadingDecimal(const QString& text)
{
    qsizetype i = 0;
    const auto isCSpace = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (i < text.size() && isCSpace(text.at(i)))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        negative = text.at(i++) == u'-';
    long long value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

bool IsNewer(const QString& latest, const QString& current)
{
    return LeadingDecimal(current) < LeadingDecimal(latest);
}

QString Dotted(const QString& version)
{
    if (version.size() != 4 && version.size() != 5)
        return version;
    // A five-character number keeps its first two characters together.
    const qsizetype first = version.size() - 3;
    QString dotted = version.left(first) + u'.';
    for (qsizetype i = first; i < version.size(); ++i)
        dotted += version.at(i) + QStringLiteral(".");
    return dotted;
}

bool IsVersion(const QString& text)
{
    return (text.size() == 4 || text.size() == 5)
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString FirstLine(const QByteArray& body)
{
    const qsizetype end = body.indexOf('\n');
    QByteArray line = end < 0 ? body : body.first(end);
    // A file saved on Windows ends its lines with CR LF; the CR would
    // otherwise land in the label and in the setup program's address.
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace VersionText

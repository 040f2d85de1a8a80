// Version numbers as the update server writes them: four digits without
// dots ("3321" is 3.3.2.1), compared by their leading decimal value.
#pragma once

#include <QByteArray>
#include <QString>

namespace VersionText {

// The value of the leading decimal in `text` as the C library's atoi reads
// it, except that a number too long for an int saturates instead of being
// undefined.
int LeadingDecimal(const QString& text);
bool IsNewer(const QString& latest, const QString& current);
// A dot after each digit of a four-character version, after the 2nd to 5th
// character of a five-character one; any other length is left as it is.
QString Dotted(const QString& version);
// Four or five decimal digits, nothing else: the only answer the server
// gives that the window shows.
bool IsVersion(const QString& text);
// The first line of a reply body, without its line end.
QString FirstLine(const QByteArray& body);

} // namespace VersionText

// The texts a file-list row shows, and the order its sort puts them in. Kept
// apart from the widgets so the rules can be checked on their own.
#pragma once

#include <QString>
#include <QtGlobal>

namespace filelist {

struct Attributes {
    bool archive = false;
    bool system = false;
    bool hidden = false;
    bool readOnly = false;
};

// "N KB", N the byte count divided by 1024 and rounded down.
QString SizeText(qint64 bytes);
// What the size column sorts by: the number its text starts with.
qint64 SizeKey(qint64 bytes);
// Local time as "YYYY-MM-DD HH:MM:SS"; empty when the time cannot be shown.
QString ModifiedText(qint64 secondsSinceEpoch);
// " " or " A   ", then "S", "H", "R" for those present.
QString AttributeText(const Attributes& attributes);

// Orders two texts as their UTF-8 bytes compare: -1, 0 or 1. UTF-16 code
// units alone would put characters beyond U+FFFF before U+E000..U+FFFF.
int CompareBytes(const QString& a, const QString& b);

} // namespace filelist

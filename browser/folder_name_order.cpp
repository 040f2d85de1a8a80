// Name order through the locale's collation.
#include "browser/folder_name_order.h"

#include <QLocale>

namespace {

// The C locale compares code points and ignores the numeric mode, so there
// the neutral English collation stands in.
QLocale CollationLocale()
{
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

} // namespace

CFolderNameOrder::CFolderNameOrder()
    : m_collator(CollationLocale())
{
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

bool CFolderNameOrder::operator()(const QString& a, const QString& b) const
{
    const int order = m_collator.compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

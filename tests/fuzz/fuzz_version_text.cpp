// The update check's reading of the server's reply: the first line, its
// leading number, the comparison and the dotted form, over arbitrary bytes.
#include "update/version_text.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString latest = VersionText::FirstLine(body);
    (void)VersionText::LeadingDecimal(latest);
    // Newer is a strict order: never both ways.
    if (VersionText::IsNewer(latest, QStringLiteral("3321")) && VersionText::IsNewer(QStringLiteral("3321"), latest))
        __builtin_trap();
    (void)VersionText::Dotted(latest);
    return 0;
}

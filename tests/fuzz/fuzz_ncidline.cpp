// Any text as a received feed line (what konvelo-cli feed reads), and as the
// number and name of a call line: no value may break the line's fields, and
// each field carries the cleaned text cut to its length.
#include "feed/TNcidLine.h"
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const TNcidLine::TParsed any = TNcidLine::Parse(text);
    if (any.Valid && any.Label.isEmpty() && (any.Code < 0 || any.Code > 999))
        abort();

    const TDateTime start(46000.5);
    const QString line = TNcidLine::Call(QStringLiteral("CID"), text, text, start);
    const QByteArray wire = TNcidLine::Wire(line);
    if (wire.indexOf('\n') != wire.size() - 1 || wire.indexOf('\r') != wire.size() - 2)
        abort();
    const TNcidLine::TParsed p = TNcidLine::Parse(line);
    if (!p.Valid || p.Label != QLatin1String("CID") || p.Fields.size() != 6)
        abort();
    const QString clean = TNcidLine::Capped(TNcidLine::Clean(text), TNcidLine::FieldChars);
    if (!text.trimmed().isEmpty() && (p.Fields.at(3).second != clean || p.Fields.at(5).second != clean))
        abort();

    const TNcidLine::TParsed end = TNcidLine::Parse(TNcidLine::End(true, false, text, text, start, start));
    if (!end.Valid || end.Fields.size() != 9)
        abort();
    return 0;
}

// Any bytes read as vCards: every contact handed over has numbers that are
// not blank, no text holds control characters, and the reader ends.
#include "common/TTextLineReader.h"
#include "import/TVCardReader.h"
#include <QBuffer>
#include <cstdlib>

namespace {
void checkText(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            abort();
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    TTextLineReader reader(buf);
    TVCardReader::Read(reader, [](const TContact &c) {
        if (c.Numbers.isEmpty())
            abort();
        checkText(c.Name);
        checkText(c.Notes);
        for (const TContactNumber &n : c.Numbers) {
            if (n.Number.isEmpty())
                abort();
            checkText(n.Number);
            checkText(n.Address);
        }
        return true;
    });
    if (reader.Position() != bytes.size())
        abort();
    return 0;
}

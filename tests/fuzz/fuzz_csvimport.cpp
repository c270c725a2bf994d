// Any bytes read as an Outlook Express export: every contact handed over has
// at least one and at most three numbers, none of them blank, and the reader ends.
#include "import/TCsvContactReader.h"
#include "common/TTextLineReader.h"
#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    TTextLineReader reader(buf);
    TCsvContactReader::Read(reader, [](const TContact &c) {
        if (c.Numbers.isEmpty() || c.Numbers.size() > 3)
            abort();
        for (const TContactNumber &n : c.Numbers)
            if (n.Number.trimmed().isEmpty())
                abort();
        return true;
    });
    return 0;
}

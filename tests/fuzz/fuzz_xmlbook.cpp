// The text form of an old address book: any bytes parse or fail cleanly, and every
// parsed row types into the address book's fields.
#include "records/TXmlDataPacket.h"
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TXmlDataPacket packet;
    if (!packet.parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        return 0;
    const TTableSchema &schema = TTableSchema::addressBook();
    for (int r = 0; r < packet.rowCount(); ++r) {
        const QVariantList row = packet.typedRow(r, schema);
        if (row.size() != schema.Fields.size())
            __builtin_trap();
    }
    return 0;
}

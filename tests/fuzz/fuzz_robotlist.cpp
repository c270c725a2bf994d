// Any robot list file reads without a crash, and what it gives is written and
// read back without losing a row, a number, a name or a count.
#include "robot/TRobotList.h"
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    const QList<TRobotRow> first = TRobotList::ParseList(content);
    for (const TRobotRow &r : first)
        if (r.Number.isEmpty() || r.Number != r.Number.trimmed() || r.Count < 0
            || (r.Mark != u'=' && r.Mark != u'+'))
            abort();
    const QList<TRobotRow> second = TRobotList::ParseList(TRobotList::FormatList(first));
    if (second.size() != first.size())
        abort();
    const QList<TRobotRow> third = TRobotList::ParseList(TRobotList::FormatList(second));
    if (third != second)
        abort();
    for (int i = 0; i < first.size(); ++i)
        if (second[i].Count != first[i].Count)
            abort();
    return 0;
}

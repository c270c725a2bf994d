#include "TDialList.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <algorithm>
#include <vector>

namespace {
// Adds digit-only numbers of the journal's view, from its first row in its order,
// while fewer than Limit were added. Rows are read in batches by key, so the
// journal's current row stays where it is.
void takeNumbers(TDialList &list, const TRecordTable &book, int limit)
{
    const int phoneColumn = book.schema().fieldIndex(QStringLiteral("Phone"));
    const int rows = book.recordCount();
    constexpr int Batch = 256;
    std::vector<qint64> keys;
    int added = 0;
    for (int pos = 0; pos < rows && added < limit; pos += Batch) {
        const int n = std::min(Batch, rows - pos);
        keys.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            keys[size_t(i)] = book.keyAt(pos + i);
        const QList<QVariantList> values = book.rowsByKeys(keys.data(), n);
        for (const QVariantList &row : values) {
            if (added >= limit)
                break;
            if (phoneColumn < 0 || phoneColumn >= row.size())
                continue;
            const QString phone = row.at(phoneColumn).toString();
            if (TDialList::IsDigitsOnly(phone) && list.Add(phone))
                ++added;
        }
    }
}
}

void TDialList::Build(const TOutgoingCallBook &Out, const TIncomingCallBook &In)
{
    FItems.clear();
    const qint64 outRows = Out.recordCount();
    const qint64 inRows = In.recordCount();
    const qint64 all = outRows + inRows;
    const qint64 n = std::min<qint64>(MaxBuildCount, all);
    if (n == 0)
        return;
    // trunc(N * share) - 1 in whole numbers, free of rounding.
    takeNumbers(*this, Out, int(n * outRows / all - 1));
    takeNumbers(*this, In, int(n * inRows / all - 1));
}

bool TDialList::Add(const QString &Number)
{
    if (Number.isEmpty())
        return false;
    const auto it = std::lower_bound(FItems.begin(), FItems.end(), Number);
    if (it != FItems.end() && *it == Number)
        return false;
    FItems.insert(it, Number);
    return true;
}

bool TDialList::AddCallNumber(const QString &Number)
{
    return IsDigitsOnly(Number) && Add(Number);
}

QString TDialList::Complete(const QString &Typed) const
{
    if (Typed.isEmpty())
        return QString();
    // In sorted order every entry beginning with Typed follows Typed directly.
    const auto it = std::lower_bound(FItems.begin(), FItems.end(), Typed);
    if (it != FItems.end() && it->startsWith(Typed))
        return *it;
    return QString();
}

bool TDialList::Contains(const QString &Number) const
{
    return std::binary_search(FItems.begin(), FItems.end(), Number);
}

bool TDialList::IsDigitsOnly(const QString &Number)
{
    if (Number.isEmpty())
        return false;
    for (QChar c : Number)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

#pragma once
// What the benchmarks share: timing figures, resident memory and the bulk
// loading of generated rows into a table.
#include "records/TRecordTable.h"
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <sqlite3.h>
#include <vector>

namespace BenchSupport {

inline double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// p in 0..1; the nearest rank.
inline double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[size_t(std::min<double>(double(v.size() - 1), p * double(v.size() - 1) + 0.5))];
}

inline long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Generated rows go in as one transaction without log or syncs (they need no
// crash safety) and with the indexes dropped: building them once after the
// rows are in is much cheaper than 10^6 index inserts. The destructor
// rebuilds them, commits and puts the table's own settings back.
class TBulkLoad {
public:
    explicit TBulkLoad(TRecordTable &t) : FTable(t), FDb(t.connection()), FIndexes(t.schema().indexSql())
    {
        exec("PRAGMA cache_size=-400000; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
        exec("BEGIN");
        for (const QString &name : t.schema().Indexed)
            exec(QStringLiteral("DROP INDEX \"%1_%2\"").arg(t.schema().TableName, name).toUtf8().constData());
    }
    ~TBulkLoad()
    {
        for (const QString &index : FIndexes)
            exec(index.toUtf8().constData());
        exec("COMMIT");
        exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA cache_size=-2000");
    }
    TBulkLoad(const TBulkLoad &) = delete;
    TBulkLoad &operator=(const TBulkLoad &) = delete;

    sqlite3 *db() const { return FDb; }

private:
    void exec(const char *sql) { sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr); }

    TRecordTable &FTable;
    sqlite3 *FDb;
    QStringList FIndexes;
};

}

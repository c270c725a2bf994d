#pragma once
// What the benchmarks share: timing figures, resident memory and the bulk
// loading of generated rows into a table.
#include "records/TRecordTable.h"
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
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

constexpr int CallerRows = 1000000;
constexpr int CallerCalls = 1000;
inline const char *const Callers[] = {"55512345", "55512346"};

// A 10^6-row journal of random seven-digit numbers with the two Callers' calls
// (CallerCalls each over both journals: 60 % incoming, 40 % outgoing) spread
// through the rows.
inline void FillCallerJournal(TRecordTable &t, bool incoming)
{
    QRandomGenerator r(incoming ? 11 : 12);
    TBulkLoad bulk(t);
    sqlite3 *db = bulk.db();
    const char *sql = incoming
        ? "INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer, FileName, MessageFileName, Field_1)"
          " VALUES (?, 1, ?, ?, 0, ?, NULL, ?)"
        : "INSERT INTO OutCalls (Phone, Time, Length, Attributes, FileName, Field_1) VALUES (?, ?, ?, 1, ?, ?)";
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    const int callerRows = incoming ? CallerCalls * 6 / 10 : CallerCalls * 4 / 10;
    const int every = CallerRows / callerRows;
    double time = 43000;
    for (int i = 0; i < CallerRows; ++i) {
        time += r.bounded(600) / 86400.0;
        QByteArray p = QByteArray::number(1000000 + r.bounded(9000000));
        if (i % every == 0 && i / every < callerRows)
            p = Callers[0];
        else if (i % every == 1 && i / every < callerRows)
            p = Callers[1];
        const QByteArray file = QStringLiteral("/home/user/records/In_%1.wav").arg(i).toUtf8();
        sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, time);
        sqlite3_bind_double(st, 3, r.bounded(3600) / 86400.0);
        if (i % 3 == 0)
            sqlite3_bind_text(st, 4, file.constData(), int(file.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(st, 4);
        if (i % 10 == 0)
            sqlite3_bind_text(st, 5, "заметка", -1, SQLITE_STATIC);
        else
            sqlite3_bind_null(st, 5);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// The median, p99 and maximum of timed runs against a target.
inline void ReportTimes(const char *what, const std::vector<double> &times, int targetMs)
{
    std::printf("%s: median %.2f ms, p99 %.2f ms, max %.2f ms (target < %d ms)\n", what, percentile(times, 0.5),
                percentile(times, 0.99), percentile(times, 1.0), targetMs);
}

}

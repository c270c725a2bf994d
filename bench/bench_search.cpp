// Search and statistics over two 10^6-row journals: a call search, all sixteen
// groupings, and the two journals' chart series, each the median of a few runs.
//   bench_search [DIR]   (DIR keeps the generated files; a temporary folder otherwise)
#include "BenchSupport.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "search/TCallSearch.h"
#include "search/TCallStatistics.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sqlite3.h>

namespace {
using namespace BenchSupport;
constexpr int Rows = 1000000;
constexpr double FirstDay = 39000;   // 23.10.2006

// 50 000 callers; Field_1 on 30 % of the rows from 300 topics in two spellings,
// Field_2 on 10 %, the other fields on 2 %; calls every 0..10 minutes.
void fillJournal(TRecordTable &t, bool incoming)
{
    QRandomGenerator r(incoming ? 21 : 22);
    TBulkLoad bulk(t);
    sqlite3 *db = bulk.db();
    const char *sql = incoming
        ? "INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer, FileName, MessageFileName, Field_1, Field_2,"
          " Field_3, Field_4, Field_5, Field_6, Field_7) VALUES (?, 1, ?, ?, 0, NULL, NULL, ?, ?, ?, ?, ?, ?, ?)"
        : "INSERT INTO OutCalls (Phone, Time, Length, Attributes, FileName, Field_1, Field_2, Field_3, Field_4,"
          " Field_5, Field_6, Field_7) VALUES (?, ?, ?, 1, NULL, ?, ?, ?, ?, ?, ?, ?)";
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    double time = FirstDay;
    for (int i = 0; i < Rows; ++i) {
        time += r.bounded(600) / 86400.0;
        const QByteArray p = QByteArray::number(4950000 + r.bounded(50000));
        sqlite3_bind_text(st, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, time);
        sqlite3_bind_double(st, 3, (r.bounded(4) == 0 ? 0 : r.bounded(1800)) / 86400.0);
        for (int f = 1; f <= 7; ++f) {
            const int percent = f == 1 ? 30 : f == 2 ? 10 : 2;
            if (int(r.bounded(100)) < percent) {
                const int topic = r.bounded(300);
                const QByteArray text = (topic % 2 ? QStringLiteral("Тема заказа %1") : QStringLiteral("ТЕМА ЗАКАЗА %1"))
                                            .arg(topic / 2)
                                            .toUtf8();
                sqlite3_bind_text(st, 3 + f, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(st, 3 + f);
            }
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// The median wall time; the median processor time goes to LastCpu (on a
// shared machine the wall time includes waiting for a core).
double LastCpu = 0;
double median(const std::function<void()> &fn, int runs = 5)
{
    std::vector<double> times, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const std::clock_t c0 = std::clock();
        fn();
        cpu.push_back(double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
        times.push_back(ms(t));
    }
    LastCpu = percentile(cpu, 0.5);
    return percentile(times, 0.5);
}

const char *Fields[] = {"Phone", "Field_1", "Field_2", "Field_3", "Field_4", "Field_5", "Field_6", "Field_7"};
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    TIncomingCallBook in(dir + QStringLiteral("/InCalls"));
    TOutgoingCallBook out(dir + QStringLiteral("/OutCalls"));
    if (in.totalCount() < Rows) {
        fprintf(stderr, "filling two journals of %d rows in %s\n", Rows, qPrintable(dir));
        fillJournal(in, true);
        fillJournal(out, false);
        in.SortBy(QString());
        out.SortBy(QString());
    }
    const TPeriod year{TDateTime(FirstDay + 400), TDateTime(FirstDay + 765), pkInterval};
    const TPeriod month{TDateTime(FirstDay + 500), TDateTime(FirstDay + 530.99999), pkMonth};
    qint64 found = 0;

    TCallCriteria prefix;
    prefix.Number = QStringLiteral("4951*");
    prefix.Period = month;
    printf("search, number prefix in a month:        %8.1f ms (target < 300)\n", median([&] {
               found = TCallSearch::SearchCalls(in, prefix).size();
           }));
    printf("  cpu %.1f ms, rows found: %lld\n", LastCpu, found);
    TCallCriteria number;
    number.Number = QStringLiteral("4975000");
    printf("search, one number, whole journal:       %8.1f ms (target < 300)\n", median([&] {
               found = TCallSearch::SearchCalls(in, number).size();
           }));
    printf("  cpu %.1f ms, rows found: %lld\n", LastCpu, found);
    TCallCriteria longCalls;
    longCalls.NumberOn = false;
    longCalls.LengthOn = true;
    longCalls.LengthSeconds = 1500;
    longCalls.Period = month;
    printf("search, longer than 0:25:00 in a month:  %8.1f ms (target < 300)\n", median([&] {
               found = TCallSearch::SearchCalls(out, longCalls).size();
           }));
    printf("  cpu %.1f ms, rows found: %lld\n", LastCpu, found);

    for (const auto &[name, period] : {std::make_pair("no period", TPeriod()), std::make_pair("one year", year)}) {
        qint64 keys = 0;
        const double t = median(
            [&, period = period] {
                keys = 0;
                QStringList fields;
                for (const char *f : Fields)
                    fields << QString::fromLatin1(f);
                for (TRecordTable *table : {static_cast<TRecordTable *>(&in), static_cast<TRecordTable *>(&out)})
                    for (const TStatResults &r : TCallStatistics::CollectAll(*table, fields, period))
                        keys += r.Keys.size();
            },
            3);
        printf("sixteen groupings, %-10s:           %8.1f ms (target < 2000), cpu %.1f ms, %lld keys\n", name, t, LastCpu, keys);
        const double c = median([&, period = period] {
            TCallStatistics::CollectChart(in, period);
            TCallStatistics::CollectChart(out, period);
        });
        printf("both charts, %-10s:                 %8.1f ms (target < 300), cpu %.1f ms\n", name, c, LastCpu);
    }
    printf("resident memory: %ld kB\n", residentKb());
    return 0;
}

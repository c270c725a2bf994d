// The incoming-call alert with 10^6 rows in each journal and 1000 earlier calls
// of the caller's number: ShowCaller with its history, and ShowCaller until the
// window is shown and painted.
//   bench_alert [DIR]   (DIR keeps the generated files; a temporary folder otherwise)
#include "BenchSupport.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TAlert.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

using namespace BenchSupport;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir tmp;
    const QString data = (args.size() > 1 ? args.at(1) : tmp.path()) + QStringLiteral("/Data");
    QDir().mkpath(data);
    setvbuf(stdout, nullptr, _IONBF, 0);

    if (!QFile::exists(data + QStringLiteral("/InCalls.cds"))) {
        QElapsedTimer t;
        t.start();
        TIncomingCallBook in(data + QStringLiteral("/InCalls"));
        FillCallerJournal(in, true);
        TOutgoingCallBook out(data + QStringLiteral("/OutCalls"));
        FillCallerJournal(out, false);
        std::printf("generating 2 x 10^6 rows: %.0f ms\n", ms(t));
    }

    TIncomingCallBook in(data + QStringLiteral("/InCalls"));
    TOutgoingCallBook out(data + QStringLiteral("/OutCalls"));
    in.SortBy(QStringLiteral("Time"));
    out.SortBy(QStringLiteral("Time"));
    TAlert alert(&in, &out, nullptr);

    // The two callers alternate, so that every call fills the window anew.
    std::vector<double> fill;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        alert.ShowCaller(QString::fromLatin1(Callers[i % 2]), QStringLiteral("Абонент"), QString(), QString());
        fill.push_back(ms(t));
    }
    std::printf("history rows shown: %d\n", alert.HistoryRowCount());
    ReportTimes("ShowCaller with its history (10^6 rows per journal, 1000 calls of the number)", fill, 100);

    std::vector<double> shown;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        alert.ShowCaller(QString::fromLatin1(Callers[i % 2]), QStringLiteral("Абонент"), QString(), QString());
        alert.show();
        alert.repaint();
        QApplication::processEvents();
        shown.push_back(ms(t));
        alert.close();
        QApplication::processEvents();
    }
    ReportTimes("ShowCaller, shown and painted (offscreen)", shown, 100);

    // What the history replaces: walking every row of both journals for the number.
    QElapsedTimer t;
    t.start();
    int found = 0;
    for (TRecordTable *book : {static_cast<TRecordTable *>(&in), static_cast<TRecordTable *>(&out)}) {
        TSqliteStatement q(book->connection(),
                           QStringLiteral("SELECT \"Phone\" FROM \"%1\"").arg(book->schema().TableName));
        while (q.step())
            found += q.value(0).toString() == QLatin1String(Callers[0]);
    }
    std::printf("for comparison, one scan of both journals for the number: %.0f ms (%d calls)\n", ms(t), found);
    return 0;
}

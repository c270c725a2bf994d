// The listings at 10^6 rows: the search window's first rows and full count,
// konvelo-cli search / journal list / stats / export against sqlite3 -json
// reading the same rows in the same run, the statistics in one pass against
// one pass per grouping, and the journal export.
//   bench_listing [--dir DIR] [--cli PATH]...   (each --cli is timed; the built one by default)
#include "BenchSupport.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TJournalTextExport.h"
#include "records/TOutgoingCallBook.h"
#include "search/TCallSearch.h"
#include "search/TCallStatistics.h"
#include "search/TFoundRowsModel.h"
#include "ui/TFindCall.h"
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {
using namespace BenchSupport;

// Wall time of a process whose standard output goes to /dev/null.
double timed(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(' ')));
    return ms(t);
}

double sqliteJson(const QString &file, const QString &sql)
{
    return timed(QStringLiteral("sqlite3"), {QStringLiteral("-json"), QStringLiteral("-readonly"), file, sql});
}
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    QString home = tmp.path();
    QStringList clis;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--dir"))
            home = args.at(++i);
        else if (args.at(i) == QLatin1String("--cli"))
            clis << args.at(++i);
    }
    if (clis.isEmpty())
        clis << QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli");
    QDir().mkpath(home + QStringLiteral("/Data"));
    const QString inFile = home + QStringLiteral("/Data/InCalls.cds");
    {
        TIncomingCallBook in(home + QStringLiteral("/Data/InCalls"));
        if (in.totalCount() < CallerRows) {
            std::fprintf(stderr, "filling a journal of %d rows in %s\n", CallerRows, qPrintable(home));
            FillCallerJournal(in, true);
        }
    }

    // The CLI listings, each against sqlite3 -json printing the same rows.
    const QString searchSql = QStringLiteral("SELECT Call_ID, Phone, Time FROM InCalls ORDER BY Call_ID");
    const QString listSql = QStringLiteral("SELECT * FROM InCalls ORDER BY Time DESC, Call_ID DESC");
    const QString exportSql = QStringLiteral("SELECT Phone, Time, Length FROM InCalls ORDER BY Time DESC, Call_ID DESC");
    const QString statsSql = QStringLiteral("SELECT Phone, Length, Field_1, Field_2, Field_3, Field_4, Field_5, Field_6, "
                                            "Field_7 FROM InCalls");
    const double sqSearch = sqliteJson(inFile, searchSql);
    const double sqList = sqliteJson(inFile, listSql);
    const double sqExport = sqliteJson(inFile, exportSql);
    const double sqStats = sqliteJson(inFile, statsSql);
    std::printf("sqlite3 -json: search rows %.0f ms, list rows %.0f ms, export rows %.0f ms, stats columns %.0f ms\n",
                sqSearch, sqList, sqExport, sqStats);
    const QString out = tmp.filePath(QStringLiteral("export.txt"));
    for (const QString &cli : clis) {
        const QStringList h{QStringLiteral("--home"), home};
        std::printf("%s\n", qPrintable(cli));
        const double s = timed(cli, h + QStringList{"search", "in"});
        std::printf("  search in, no condition: %8.0f ms = %.2f x sqlite3 (target <= 2)\n", s, s / sqSearch);
        const double l = timed(cli, h + QStringList{"journal", "list", "in"});
        std::printf("  journal list in:         %8.0f ms = %.2f x sqlite3 (target <= 2)\n", l, l / sqList);
        const double st = timed(cli, h + QStringList{"stats", "in"});
        std::printf("  stats in, 8 groupings:   %8.0f ms = %.2f x sqlite3 of the rows listed (target <= 0.4)\n", st,
                    st / sqList);
        const double e = timed(cli, h + QStringList{"journal", "export", "in", "--format", "text", "--output", out});
        std::printf("  journal export in, text: %8.0f ms = %.2f x sqlite3 of the rows listed (target <= 0.4), "
                    "%.2f x sqlite3 of its columns\n",
                    e, e / sqList, e / sqExport);
    }

    TIncomingCallBook in(home + QStringLiteral("/Data/InCalls"));
    TOutgoingCallBook outCalls(tmp.filePath(QStringLiteral("OutCalls")));
    TAddressBook book(tmp.filePath(QStringLiteral("AddressBook")));
    in.SortBy(QStringLiteral("Time"));

    // Statistics: one pass for all groupings against one pass per grouping.
    QStringList fields{QStringLiteral("Phone")};
    for (int i = 1; i <= 7; ++i)
        fields << QStringLiteral("Field_%1").arg(i);
    QElapsedTimer t;
    t.start();
    for (const QString &f : fields)
        TCallStatistics::CollectStats(in, f, TPeriod());
    const double perGrouping = ms(t);
    t.restart();
    TCallStatistics::CollectAll(in, fields, TPeriod());
    std::printf("statistics, 8 groupings: one pass per grouping %.0f ms, one pass %.0f ms\n", perGrouping, ms(t));

    // The export of the window and the CLI.
    {
        QFile f(out);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        t.restart();
        TJournalTextExport::Write(in, f);
        const double e = ms(t);
        std::printf("journal export, library:  %8.0f ms = %.2f x sqlite3 of the rows listed (target <= 0.4)\n", e,
                    e / sqList);
    }

    // The search window without conditions: first rows shown, and every hit listed.
    TFindCall find(&in, &outCalls, &book, nullptr);
    find.Prepare(bkIncoming);
    find.show();
    find.findChild<QCheckBox *>(QStringLiteral("NumSearchCheck"))->setChecked(false);
    QApplication::processEvents();
    double first = -1;
    QObject::connect(find.ResultModel(), &QAbstractItemModel::rowsInserted, &find, [&] {
        if (first < 0) {
            find.ResultView()->viewport()->repaint();   // the rows drawn, their texts read
            first = ms(t);
        }
    });
    t.restart();
    find.SearchBtnClick();
    const double all = ms(t);
    std::printf("search window, %d hits: first rows shown %.0f ms (target < 300), all listed %.0f ms\n",
                find.ResultModel()->Count(), first, all);
    std::printf("  resident memory with the list: %ld kB\n", residentKb());
    find.ClearResult();

    // What the window did before: every hit an item of a QListWidget.
    t.restart();
    TCallCriteria none;
    none.NumberOn = false;
    const QList<TFoundRow> rows = TCallSearch::SearchCalls(in, none);
    QListWidget widget;
    widget.setUniformItemSizes(true);
    for (const TFoundRow &r : rows) {
        auto *item = new QListWidgetItem(r.Text);
        item->setData(Qt::UserRole, r.Id);
        widget.addItem(item);
    }
    widget.show();
    QApplication::processEvents();
    std::printf("search window before (an item per hit): first rows shown %.0f ms\n", ms(t));
    std::printf("  resident memory: %ld kB\n", residentKb());
    return 0;
}

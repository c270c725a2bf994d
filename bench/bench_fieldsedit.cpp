// The information-fields editor with 10^6 rows in each journal and 1000 calls
// of the number: LoadCall (subscriber, history over both journals, fields of
// the newest call), and LoadCall until the window is shown and painted.
//   bench_fieldsedit [DIR]   (DIR keeps the generated files; a temporary folder otherwise)
#include "BenchSupport.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TFormFieldsEdit.h"
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

namespace {
using namespace BenchSupport;
constexpr int Rows = 1000000;
constexpr int CallerCalls = 1000;   // of each of the two callers, over both journals
const char *Callers[] = {"55512345", "55512346"};

// Random seven-digit numbers, with the callers' calls spread through the rows:
// 60 % of them incoming, 40 % outgoing.
void fillJournal(TRecordTable &t, bool incoming)
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
    const int every = Rows / callerRows;
    double time = 43000;
    for (int i = 0; i < Rows; ++i) {
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

void report(const char *what, const std::vector<double> &times)
{
    std::printf("%s: median %.2f ms, p99 %.2f ms, max %.2f ms (target < 50 ms)\n", what, percentile(times, 0.5),
                percentile(times, 0.99), percentile(times, 1.0));
}
}

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
        fillJournal(in, true);
        TOutgoingCallBook out(data + QStringLiteral("/OutCalls"));
        fillJournal(out, false);
        std::printf("generating 2 x 10^6 rows: %.0f ms\n", ms(t));
    }

    TIncomingCallBook in(data + QStringLiteral("/InCalls"));
    TOutgoingCallBook out(data + QStringLiteral("/OutCalls"));
    TAddressBook book(data + QStringLiteral("/AddressBook"));
    if (book.isEmpty())
        book.AddPerson(QString::fromLatin1(Callers[0]), QStringLiteral("Абонент"), 0, QStringLiteral("Адрес"),
                       QStringLiteral("Заметки"), QString(), -1, false);
    in.SortBy(QStringLiteral("Time"));
    out.SortBy(QStringLiteral("Time"));
    TFormFieldsEdit editor(&in, &out, &book, nullptr, nullptr);

    // The two numbers alternate, so that every call prepares the window anew.
    std::vector<double> load;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        editor.LoadCall(QString::fromLatin1(Callers[i % 2]), i % 4 < 2 ? ckIncoming : ckOutgoing);
        load.push_back(ms(t));
    }
    std::printf("history rows shown: %d\n", editor.HistoryRowCount());
    report("LoadCall with its history (10^6 rows per journal, 1000 calls of the number)", load);

    // Its part in the database: the indexed history query of both journals.
    std::vector<double> query;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        const auto rows = TNumberHistory::Load(&in, &out, QString::fromLatin1(Callers[i % 2]));
        query.push_back(ms(t));
    }
    report("the history query alone", query);

    std::vector<double> shown;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        editor.LoadCall(QString::fromLatin1(Callers[i % 2]), ckIncoming);
        editor.show();
        editor.repaint();
        QApplication::processEvents();
        shown.push_back(ms(t));
        editor.close();
        QApplication::processEvents();
    }
    report("LoadCall, shown and painted (offscreen)", shown);
    return 0;
}

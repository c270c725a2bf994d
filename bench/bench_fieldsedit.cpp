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
    ReportTimes("LoadCall with its history (10^6 rows per journal, 1000 calls of the number)", load, 50);

    // Its part in the database: the indexed history query of both journals.
    std::vector<double> query;
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        const auto rows = TNumberHistory::Load(&in, &out, QString::fromLatin1(Callers[i % 2]));
        query.push_back(ms(t));
    }
    ReportTimes("the history query alone", query, 50);

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
    ReportTimes("LoadCall, shown and painted (offscreen)", shown, 50);
    return 0;
}

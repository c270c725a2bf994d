// With 10^6 rows in each journal, 1000 calls of one number and 100 reminders:
// the number information window's ShowNumber, the reminder list's rebuild and
// the text export of a whole journal.
//   bench_calldetails [DIR]   (DIR keeps the generated files; a temporary folder otherwise)
#include "BenchSupport.h"
#include "audio/TMediaPlayer.h"
#include "audio/TPulseMixer.h"
#include "audio/TQtTickTimer.h"
#include "audio/TSoundControl.h"
#include "audio/TVolumeSettings.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TJournalTextExport.h"
#include "records/TOutgoingCallBook.h"
#include "ui/TFormNumberInfo.h"
#include "ui/TReminderPanel.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {
using namespace BenchSupport;
constexpr int Rows = 1000000;
constexpr int NumberCalls = 1000;   // over both journals
constexpr int Reminders = 100;      // over both journals, all due today or later
const char *Number = "55512345";
constexpr double Start = 43000;

class FixedVolume : public TVolumeSettings {
public:
    int CurrentVolume() const override { return 40; }
    void SetCurrentVolume(int) override {}
    bool Creschendo() const override { return false; }
    QString SoundFileName() const override { return {}; }
    bool AdjustSoundSettings() const override { return false; }
    void SetCanPlayWhileRecording(bool) override {}
};

// Random seven-digit numbers; the number's calls and the reminders spread
// through the rows, 60 % of them incoming.
void fillJournal(TRecordTable &t, bool incoming, double today)
{
    QRandomGenerator r(incoming ? 21 : 22);
    TBulkLoad bulk(t);
    sqlite3 *db = bulk.db();
    const char *sql = incoming
        ? "INSERT INTO InCalls (Phone, Category, Time, Length, AutoAnswer, FileName, MessageFileName, Field_1, Field_8)"
          " VALUES (?, 1, ?, ?, 0, ?, NULL, ?, ?)"
        : "INSERT INTO OutCalls (Phone, Time, Length, Attributes, FileName, Field_1, Field_8) VALUES (?, ?, ?, 1, ?, ?, ?)";
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    const int numberRows = incoming ? NumberCalls * 6 / 10 : NumberCalls * 4 / 10;
    const int reminderRows = incoming ? Reminders * 6 / 10 : Reminders * 4 / 10;
    const int every = Rows / numberRows;
    const int everyReminder = Rows / reminderRows;
    double time = Start;
    for (int i = 0; i < Rows; ++i) {
        time += r.bounded(600) / 86400.0;
        QByteArray p = QByteArray::number(1000000 + r.bounded(9000000));
        if (i % every == 0 && i / every < numberRows)
            p = Number;
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
        // Reminders due today or later, and as many long past ones that the list leaves out.
        if (i % everyReminder == 7)
            sqlite3_bind_double(st, 6, today + r.bounded(30));
        else if (i % everyReminder == 9)
            sqlite3_bind_double(st, 6, Start + r.bounded(300));
        else
            sqlite3_bind_null(st, 6);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

void report(const char *what, const std::vector<double> &times, const char *target)
{
    std::printf("%s: median %.2f ms, p99 %.2f ms, max %.2f ms (target %s)\n", what, percentile(times, 0.5),
                percentile(times, 0.99), percentile(times, 1.0), target);
}
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir tmp;
    const QString dir = args.size() > 1 ? args.at(1) : tmp.path();
    const QString data = dir + QStringLiteral("/Data");
    QDir().mkpath(data);
    setvbuf(stdout, nullptr, _IONBF, 0);
    const double today = TDateTime::now().days();

    if (!QFile::exists(data + QStringLiteral("/InCalls.cds"))) {
        QElapsedTimer t;
        t.start();
        TIncomingCallBook in(data + QStringLiteral("/InCalls"));
        fillJournal(in, true, today);
        TOutgoingCallBook out(data + QStringLiteral("/OutCalls"));
        fillJournal(out, false, today);
        std::printf("generating 2 x 10^6 rows: %.0f ms\n", ms(t));
    }

    TIncomingCallBook in(data + QStringLiteral("/InCalls"));
    TOutgoingCallBook out(data + QStringLiteral("/OutCalls"));
    TAddressBook book(data + QStringLiteral("/AddressBook"));
    if (book.isEmpty())
        book.AddPerson(QString::fromLatin1(Number), QStringLiteral("Абонент"), 0, QStringLiteral("Адрес"),
                       QStringLiteral("Заметки"), {}, -1, false);
    in.SortBy(QStringLiteral("Time"));
    out.SortBy(QStringLiteral("Time"));

    TPulseMixer mixer;
    TMediaPlayer player;
    FixedVolume volume;
    TQtTickTimer timer;
    TSoundControl sound(mixer, player, volume, timer);
    TFormNumberInfo info(&in, &out, &book, nullptr, player, sound);
    const qint64 someCall = in.keyAt(in.recordCount() / 2);
    std::vector<double> times;
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer t;
        t.start();
        info.ShowNumber(QString::fromLatin1(Number), i % 2 ? someCall : -1, nullptr, 0);
        times.push_back(ms(t));
        info.hide();
    }
    std::printf("calls listed: %d\n", info.HistoryRowCount());
    report("ShowNumber (10^6 rows per journal, 1000 calls of the number)", times, "< 50 ms");

    TReminderPanel panel(&in, &out);
    times.clear();
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer t;
        t.start();
        panel.RebuildReminders();
        times.push_back(ms(t));
    }
    std::printf("reminders listed: %d\n", panel.Count());
    report("RebuildReminders (10^6 rows per journal)", times, "< 50 ms");

    times.clear();
    const QString file = dir + QStringLiteral("/export.txt");
    for (int i = 0; i < 3; ++i) {
        QFile f(file);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QElapsedTimer t;
        t.start();
        TJournalTextExport::Write(in, f);
        f.close();
        times.push_back(ms(t));
    }
    std::printf("export size: %lld bytes\n", static_cast<long long>(QFile(file).size()));
    report("text export of 10^6 rows (newest first)", times, "< 3000 ms");
    QFile::remove(file);
    return 0;
}

// The reminder list and the journal text export over real
// journal files; konvelo-cli journal export --format text writes the same text.
#include "records/TIncomingCallBook.h"
#include "records/TJournalTextExport.h"
#include "records/TOutgoingCallBook.h"
#include "records/TReminderList.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
// 09.12.2026 is day 46365.
constexpr double Today = 46365;

class CallDetails : public ::testing::Test {
protected:
    QString base(const char *name) const { return QDir(FTmp.path()).filePath(QStringLiteral("Data/") + QLatin1String(name)); }
    static TInCall in(const QString &phone, double time, double seconds = 60, double reminder = 0)
    {
        TInCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(seconds / 86400);
        c.Field_8 = TDateTime(reminder);
        return c;
    }
    static TOutCall out(const QString &phone, double time, double seconds = 60, double reminder = 0)
    {
        TOutCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(seconds / 86400);
        c.Attributes = 1;
        c.Field_8 = TDateTime(reminder);
        return c;
    }
    static QStringList phones(const std::vector<TReminder> &list)
    {
        QStringList l;
        for (const TReminder &r : list)
            l << r.Phone;
        return l;
    }
    QTemporaryDir FTmp;
};
}

TEST_F(CallDetails, RemindersListTodayAndLaterOrderedByReminderDayThenCallDay)
{
    TIncomingCallBook inBook(base("InCalls"));
    TOutgoingCallBook outBook(base("OutCalls"));
    inBook.AddCall(in(QStringLiteral("yesterday"), Today - 3, 60, Today - 1));
    inBook.AddCall(in(QStringLiteral("none"), Today - 3));
    inBook.AddCall(in(QStringLiteral("week"), Today - 1, 60, Today + 7 + 0.5));
    // Two reminders on the same day: the older call first, across the journals.
    outBook.AddCall(out(QStringLiteral("newer"), Today - 1 + 0.9, 60, Today + 0.75));
    inBook.AddCall(in(QStringLiteral("older"), Today - 2 + 0.1, 60, Today + 0.25));
    // A filter on the journal hides nothing from the list and stays on.
    inBook.setFilter(QStringLiteral("Phone = 'none'"));
    inBook.setFiltered(true);

    const TDateTime now(Today + 0.5);
    std::vector<TReminder> list = TReminderList::Query(&inBook, &outBook, false, now);
    EXPECT_EQ(phones(list), (QStringList{"older", "newer", "week"}));
    EXPECT_TRUE(inBook.filtered());
    EXPECT_EQ(inBook.recordCount(), 1);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_FALSE(list[1].Incoming);
    EXPECT_EQ(list[2].ReminderDays, int(Today) + 7);
    EXPECT_EQ(list[0].CallDays, int(Today) - 2);

    // Every reminder: yesterday's too, first.
    list = TReminderList::Query(&inBook, &outBook, true, now);
    EXPECT_EQ(phones(list), (QStringList{"yesterday", "older", "newer", "week"}));

    // Removing: the call's Field_8 is cleared whatever the filter; a deleted call changes nothing.
    const qint64 week = list[3].CallId;
    EXPECT_TRUE(TReminderList::Remove(inBook, week));
    EXPECT_TRUE(inBook.rowByKey(week).at(15).isNull());
    EXPECT_EQ(phones(TReminderList::Query(&inBook, &outBook, false, now)), (QStringList{"older", "newer"}));
    EXPECT_FALSE(TReminderList::Remove(inBook, 999));
    EXPECT_EQ(inBook.totalCount(), 4);
}

TEST_F(CallDetails, MidnightIntervalAndTheReminderIndex)
{
    EXPECT_EQ(TReminderList::MsecsToMidnight(TDateTime(Today + 86399.0 / 86400)), 1000);
    EXPECT_EQ(TReminderList::MsecsToMidnight(TDateTime(Today)), 86400000);
    EXPECT_EQ(TReminderList::MsecsToMidnight(TDateTime(Today + 0.5)), 43200000);

    // Files made before the reminder index get it when opened.
    {
        TIncomingCallBook j(base("InCalls"));
        sqlite3_exec(j.connection(), "DROP INDEX \"InCalls_Field_8\"", nullptr, nullptr, nullptr);
    }
    TIncomingCallBook j(base("InCalls"));
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(j.connection(),
                       "SELECT count(*) FROM sqlite_master WHERE type='index' AND name IN ('InCalls_Field_8','InCalls_Phone')",
                       -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 2);
    sqlite3_finalize(st);
}

TEST_F(CallDetails, TextExportIsTheViewInWindows1251WithCrLf)
{
    TIncomingCallBook inBook(base("InCalls"));
    TOutgoingCallBook outBook(base("OutCalls"));
    // The empty journal: the title ends in ", 0", then the heading, nothing else.
    EXPECT_EQ(TJournalTextExport::Text(inBook),
              QByteArray("\xD1\xEF\xE8\xF1\xEE\xEA \xE2\xF5\xEE\xE4\xFF\xF9\xE8\xF5 \xE7\xE2\xEE\xED\xEA\xEE\xE2, 0\r\n"
                         "\xCD\xEE\xEC\xE5\xF0 \t\xC2\xF0\xE5\xEC\xFF \t\t\xC4\xEB\xE8\xF2\xE5\xEB\xFC\xED\xEE\xF1\xF2\xFC \r\n"));

    outBook.AddCall(out(QStringLiteral("111"), Today + 0.5, 30));
    outBook.AddCall(out(QStringLiteral("222"), Today + 0.25, 3725));
    outBook.AddCall(out(QStringLiteral("333"), Today + 0.75, 5));
    outBook.SortBy(QStringLiteral("Length"));   // longest first
    outBook.locate(3);
    const QByteArray head = TJournalTextExport::ToCp1251(TJournalTextExport::OutTitle) + "3\r\n"
                            + TJournalTextExport::ToCp1251(TJournalTextExport::Heading) + "\r\n";
    EXPECT_EQ(TJournalTextExport::Text(outBook), head + "222\t09.12.2026 6:00:00\t1:02:05\r\n"
                                                        "111\t09.12.2026 12:00:00\t0:00:30\r\n"
                                                        "333\t09.12.2026 18:00:00\t0:00:05\r\n");
    EXPECT_EQ(outBook.currentKey(), 3);   // the current row stays

    // A filter: only its rows, counted in the title.
    outBook.setFilter(QStringLiteral("Phone = '3*' or Phone = '1*'"));
    outBook.setFiltered(true);
    EXPECT_EQ(TJournalTextExport::Text(outBook), TJournalTextExport::ToCp1251(TJournalTextExport::OutTitle) + "2\r\n"
                                                     + TJournalTextExport::ToCp1251(TJournalTextExport::Heading) + "\r\n"
                                                     + "111\t09.12.2026 12:00:00\t0:00:30\r\n"
                                                       "333\t09.12.2026 18:00:00\t0:00:05\r\n");

    // Enough rows for several pages keep the view's order.
    inBook.SortBy(QStringLiteral("Time"));
    for (int i = 0; i < 503; ++i)
        inBook.AddCall(in(QString::number(i), Today + i / 2000.0));
    const QList<QByteArray> lines = TJournalTextExport::Text(inBook).split('\n');
    ASSERT_EQ(lines.size(), 503 + 3);
    EXPECT_TRUE(lines.at(2).startsWith("502\t"));   // newest first
    EXPECT_TRUE(lines.at(504).startsWith("0\t"));
    EXPECT_TRUE(lines.at(505).isEmpty());

    // Characters beyond the code page become "?"; Ё and № have their own bytes.
    EXPECT_EQ(TJournalTextExport::ToCp1251(QStringLiteral("Ёё№€日")), QByteArray("\xA8\xB8\xB9\x88?"));
}

TEST_F(CallDetails, CliExportsTheSameText)
{
    const QString cliPath = QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli");
    if (!QFile::exists(cliPath))
        GTEST_SKIP() << "konvelo-cli is not built";
    const QString dataBase = QDir(FTmp.path()).filePath(QStringLiteral("Data/InCalls"));
    QByteArray expected;
    {
        TIncomingCallBook j(dataBase);
        j.AddCall(in(QStringLiteral("Иванов"), Today + 0.5, 61));
        j.AddCall(in(QStringLiteral("2"), Today + 0.6, 62));
        j.SortBy(QStringLiteral("Phone"));
        expected = TJournalTextExport::Text(j);
    }
    const QString file = QDir(FTmp.path()).filePath(QStringLiteral("in.txt"));
    QProcess p;
    p.start(cliPath, {"journal", "export", "in", "--format", "text", "--sort", "Phone", "--output", file, "--home",
                      FTmp.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), expected);
    EXPECT_TRUE(p.readAllStandardError().contains("export: 100%"));

    p.start(cliPath, {"journal", "export", "book", "--format", "text", "--home", FTmp.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
}

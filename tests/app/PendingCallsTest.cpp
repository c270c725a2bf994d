// A call row the journal refuses (here a full file) is never lost: the user is
// told, the row waits, and it is written as soon as the journal takes it, also
// by the next run.
#include "CallTestLine.h"
#include <QFile>
#include <QSignalSpy>
#include <sqlite3.h>

namespace {

class PendingCallsTest : public CallTestLine {
protected:
    void exec(const QByteArray &sql) { sqlite3_exec(FIn->connection(), sql.constData(), nullptr, nullptr, nullptr); }
    // The file may grow no more; rows are added until the journal refuses one.
    int fillJournal()
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(FIn->connection(), "PRAGMA page_count", -1, &st, nullptr);
        sqlite3_step(st);
        const int pages = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        exec("PRAGMA max_page_count=" + QByteArray::number(pages));
        // Large rows first, then the smallest there are, so that no call row fits.
        int added = 0;
        for (const int text : {100, 0}) {
            for (;; ++added) {
                TInCall c;
                c.Phone = QStringLiteral("filler");
                c.Field_1 = QString(text, QLatin1Char('x'));
                try {
                    FIn->AddCall(c);
                } catch (const std::exception &) {
                    break;
                }
                if (added > 100000)
                    return -1;
            }
        }
        return added;
    }
    void freeJournal() { exec("PRAGMA max_page_count=1000000000"); }
    QStringList calls() const
    {
        QStringList r;
        for (const QVariantMap &m : inRows())
            if (m.value("Phone").toString() != QLatin1String("filler"))
                r << m.value("Phone").toString();
        return r;
    }
    bool playCall(const QString &lines)
    {
        const int ends = endCalls(), frees = lineFrees();
        return play(lines, [&] { return endCalls() > ends && lineFrees() > frees; });
    }
    QString pendingFile() const { return FIn->fileName() + QStringLiteral(".pending"); }
};

TEST_F(PendingCallsTest, FullJournalKeepsTheCallsUntilItTakesThem)
{
    ASSERT_TRUE(startLine());
    ASSERT_GE(fillJournal(), 0);
    QSignalSpy told(FHandler.get(), &TCallHandler::CallNotWritten);

    ASSERT_TRUE(playCall(QStringLiteral("number 2 5559876\nring\nwait 0.2\nhangup")));
    ASSERT_EQ(told.size(), 1);
    const QString text = told.first().first().toString();
    EXPECT_TRUE(text.contains(QStringLiteral("Входящий звонок 5559876"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("full"))) << text.toStdString();
    EXPECT_EQ(FHandler->PendingCalls(), 1);
    EXPECT_TRUE(FHandler->PendingTimer.isActive());
    EXPECT_EQ(FHandler->PendingTimer.interval(), 60000);
    EXPECT_TRUE(QFile::exists(pendingFile()));

    // The next call tries the waiting one first; both wait, in order.
    ASSERT_TRUE(playCall(QStringLiteral("number 2 5551111\nring\nwait 0.2\nhangup")));
    EXPECT_EQ(told.size(), 2);
    EXPECT_EQ(FHandler->PendingCalls(), 2);
    EXPECT_TRUE(calls().isEmpty());

    // Space again: the minute's retry writes both, oldest first.
    freeJournal();
    FHandler->WritePendingCalls();
    EXPECT_EQ(calls(), QStringList({"5559876", "5551111"}));
    EXPECT_EQ(FHandler->PendingCalls(), 0);
    EXPECT_FALSE(FHandler->PendingTimer.isActive());
    EXPECT_FALSE(QFile::exists(pendingFile()));

    // And the next call goes straight in.
    ASSERT_TRUE(playCall(QStringLiteral("number 2 5552222\nring\nwait 0.2\nhangup")));
    EXPECT_EQ(calls(), QStringList({"5559876", "5551111", "5552222"}));
    EXPECT_EQ(told.size(), 2);
}

TEST_F(PendingCallsTest, RowsLeftAtExitGoIntoTheJournalFirstAtTheNextStart)
{
    ASSERT_TRUE(startLine());
    ASSERT_GE(fillJournal(), 0);
    ASSERT_TRUE(playCall(QStringLiteral("number 2 5559876\nring\nwait 0.2\nhangup")));
    ASSERT_EQ(FHandler->PendingCalls(), 1);

    // The program ends with the row still waiting.
    FHandler.reset();
    ASSERT_TRUE(QFile::exists(pendingFile()));
    freeJournal();

    // The next run: the row is written before the newest calls are taken.
    FHandler = std::make_unique<TCallHandler>(*FPhone, FSession, *FConfig, *FBook, *FIn, *FOut, *FRecorder, *FSound,
                                              FView);
    FHandler->Attach(*FPhone);
    FHandler->TakeNewestCalls();
    EXPECT_EQ(calls(), QStringList({"5559876"}));
    EXPECT_EQ(FHandler->PendingCalls(), 0);
    EXPECT_FALSE(QFile::exists(pendingFile()));
    EXPECT_EQ(FHandler->NewestInCall.Number, QStringLiteral("5559876"));
}

} // namespace

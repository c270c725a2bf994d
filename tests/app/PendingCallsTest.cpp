// A call row the journal refuses (here a full file) is never lost: the user is
// told, the row waits, and it is written as soon as the journal takes it, also
// by the next run.
#include "CallTestLine.h"
#include "MainTestSupport.h"
#include "ui/TFormFieldsEdit.h"
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
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

TEST_F(PendingCallsTest, WaitingCallIsAnnouncedOnceAndOneNoFileTakesIsSaidToBeInMemoryOnly)
{
    ASSERT_TRUE(startLine());
    ASSERT_GE(fillJournal(), 0);
    QList<TCallAttributes> ended;
    QObject::connect(FHandler.get(), &TCallHandler::InCallEnded,
                     [&](const TInCall &, TCallAttributes a) { ended << a; });
    QSignalSpy told(FHandler.get(), &TCallHandler::CallNotWritten);

    ASSERT_TRUE(playCall(QStringLiteral("number 2 5559876\nring\nwait 0.2\nlift-parallel\nwait 0.3\nhangup")));
    ASSERT_EQ(ended.size(), 1);
    EXPECT_TRUE(ended.first().has(caParallel));
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.last().first().toString().contains(QStringLiteral("Звонок сохранён")));
    EXPECT_TRUE(FHandler->UnkeptCallsText().isEmpty());

    // A folder where the backlog file goes: the next call is kept in memory
    // only, and the user is told so.
    ASSERT_TRUE(QFile::remove(pendingFile()));
    ASSERT_TRUE(QDir().mkpath(pendingFile()));
    ASSERT_TRUE(playCall(QStringLiteral("number 2 5551111\nring\nwait 0.2\nhangup")));
    ASSERT_EQ(told.size(), 2);
    const QString text = told.last().first().toString();
    EXPECT_TRUE(text.contains(QStringLiteral("только в памяти программы до её завершения"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Звонок сохранён"))) << text.toStdString();
    const QString unkept = FHandler->UnkeptCallsText();
    EXPECT_TRUE(unkept.contains(QStringLiteral("5551111")) && unkept.contains(QStringLiteral("5559876")))
        << unkept.toStdString();

    // The minute's retry writes the file as soon as it can.
    ASSERT_TRUE(QDir().rmdir(pendingFile()));
    FHandler->WritePendingCalls();
    EXPECT_TRUE(QFile::exists(pendingFile()));
    EXPECT_TRUE(FHandler->UnkeptCallsText().isEmpty());

    // The journal takes them: written, and not announced a second time.
    freeJournal();
    FHandler->WritePendingCalls();
    EXPECT_EQ(calls(), QStringList({"5559876", "5551111"}));
    EXPECT_EQ(ended.size(), 2);
}

// The real editor, opened when a talk starts, still showing when the call ends.
class PendingNotesTest : public PendingCallsTest {
protected:
    void SetUp() override
    {
        PendingCallsTest::SetUp();
        FConfig->RecordIncomingCalls = false;
        FConfig->DisplayMessage = true;
        FConfig->ShowInputFormOnInCall = true;
        FConfig->InFieldYes[2] = true;
        FEditor = std::make_unique<TFormFieldsEdit>(FIn.get(), FOut.get(), FBook.get(), FConfig.get(), FPhone.get());
        FHandler->SetFieldsEditor(FEditor.get());
    }
    void TearDown() override
    {
        FHandler->SetFieldsEditor(nullptr);
        FEditor.reset();
        PendingCallsTest::TearDown();
    }
    void typeAndConfirm(const QString &text)
    {
        QLineEdit *field = FEditor->findChild<QLineEdit *>(QStringLiteral("Field2Edit"));
        ASSERT_NE(field, nullptr);
        QTest::keyClicks(field, text);
        QTest::mouseClick(FEditor->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
    }
    std::unique_ptr<TFormFieldsEdit> FEditor;
};

TEST_F(PendingNotesTest, NotesForAWaitingRowReachItAndOkThatWritesNothingKeepsTheEditor)
{
    ASSERT_TRUE(startLine());
    ASSERT_GE(fillJournal(), 0);
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_TRUE(FEditor->isVisible());
    ASSERT_EQ(FHandler->PendingCalls(), 1);
    typeAndConfirm(QStringLiteral("call back on Friday"));
    EXPECT_FALSE(FEditor->isVisible());

    // The backlog writes the row with the notes.
    freeJournal();
    FHandler->WritePendingCalls();
    ASSERT_EQ(calls(), QStringList({"5553412"}));
    EXPECT_EQ(inRows().last().value("Field_2").toString(), QStringLiteral("call back on Friday"));

    // A row deleted while the editor shows: OK writes nothing, says so and
    // leaves the values on screen.
    ASSERT_TRUE(playCall(QStringLiteral("number 1 5553412\nring\nwait 0.2\nlift\nwait 0.3\nhangup")));
    ASSERT_TRUE(FEditor->isVisible());
    ASSERT_TRUE(FIn->FindCall(FEditor->CallId()));
    FIn->DeleteCurrent(false);
    MainTestSupport::MessageWatch watch;
    typeAndConfirm(QStringLiteral("note"));
    EXPECT_TRUE(FEditor->isVisible());
    EXPECT_EQ(watch.Texts, QStringList({TFormFieldsEdit::NotWrittenText}));
    EXPECT_EQ(FEditor->findChild<QLineEdit *>(QStringLiteral("Field2Edit"))->text(), QStringLiteral("note"));
}

} // namespace

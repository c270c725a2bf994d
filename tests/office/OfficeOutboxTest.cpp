// The outbox in the table files: what is recorded, in the same transaction
// as the change, and the Guid column added to an existing book.
#include "OfficeTestUtil.h"
#include "office/TOfficeOutbox.h"
#include "office/TOfficeSync.h"
#include "records/TSqliteDatabase.h"
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
QList<TOfficeOutbox::TEntry> entries(TRecordTable &t)
{
    return TOfficeOutbox::Peek(t.connection(), 100000);
}

QString kinds(TRecordTable &t)
{
    QString s;
    for (const auto &e : entries(t))
        s += QLatin1Char(e.Kind);
    return s;
}
}

TEST(OfficeOutbox, ExistingBookGetsGuidsKeepsRowsAndQueuesThemForJoining)
{
    TWorkstationFiles w;
    w.addPerson(QStringLiteral("111"), QStringLiteral("Иванов"));
    w.addPerson(QStringLiteral("222"), QStringLiteral("Петров"));
    EXPECT_EQ(TOfficeOutbox::Count(w.Book->connection()), 0);   // no office: nothing queued
    TOfficeSync::Install(w.Data);
    TOfficeSync::Install(w.Data);   // twice: no second join
    w.reopen();   // the added column does not make the file unreadable
    EXPECT_TRUE(w.Book->openMessage().isEmpty()) << w.Book->openMessage().toStdString();
    ASSERT_EQ(w.Book->totalCount(), 2);
    EXPECT_EQ(kinds(*w.Book), QStringLiteral("JJ"));
    const QRegularExpression uuid(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"));
    QSet<QString> guids;
    for (const auto &e : entries(*w.Book)) {
        EXPECT_TRUE(uuid.match(e.Guid).hasMatch()) << e.Guid.toStdString();
        guids.insert(e.Guid);
    }
    EXPECT_EQ(guids.size(), 2);
    ASSERT_TRUE(w.Book->FindPhone(QStringLiteral("222")));
    EXPECT_EQ(w.Book->fieldValue(QStringLiteral("Name")).toString(), QStringLiteral("Петров"));
}

TEST(OfficeOutbox, RecordsEveryChangeTheOfficeHearsOf)
{
    TWorkstationFiles w;
    TOfficeSync::Install(w.Data);
    w.reopen();
    const qint64 p = w.addPerson(QStringLiteral("333"), QStringLiteral("Сидоров"));
    w.Book->UpdatePerson(p, QStringLiteral("333"), QStringLiteral("Сидоров А."), 0, QString(), QString(), QString(), 50, false);
    ASSERT_TRUE(w.Book->FindPerson(p));
    w.Book->DeleteCurrent();
    const auto book = entries(*w.Book);
    ASSERT_EQ(kinds(*w.Book), QStringLiteral("UUD"));
    EXPECT_FALSE(book.at(0).Guid.isEmpty());
    EXPECT_EQ(book.at(0).Guid, book.at(2).Guid);   // the deletion names the subscriber

    const qint64 call = w.addCall(QStringLiteral("333"));
    w.In->UpdateFields(call, QStringLiteral("333"), {{1, QStringLiteral("перезвонить")}}, TDateTime(46001));
    w.In->SetReminder(call, TDateTime());
    w.In->ClearMarkers(call);   // not an information field: not sent
    EXPECT_EQ(kinds(*w.In), QStringLiteral("CCC"));
    for (const auto &e : entries(*w.In))
        EXPECT_EQ(e.Key, call);
    ASSERT_TRUE(w.In->FindCall(call));
    w.In->DeleteCurrent(false);
    EXPECT_EQ(kinds(*w.In), QStringLiteral("CCCX"));
}

TEST(OfficeOutbox, ChangeRolledBackLeavesNoEntry)
{
    TWorkstationFiles w;
    TOfficeSync::Install(w.Data);
    w.reopen();
    {
        TAddressBook::TBatch batch(*w.Book);
        batch.AddPerson(QStringLiteral("444"), QStringLiteral("Не сохранён"), 0, QString(), QString(), QString(), 0, false);
    }   // no Commit: rolled back
    EXPECT_EQ(w.Book->totalCount(), 0);
    EXPECT_EQ(kinds(*w.Book), QString());
    {
        TAddressBook::TBatch batch(*w.Book);
        batch.AddPerson(QStringLiteral("555"), QStringLiteral("Один"), 0, QString(), QString(), QString(), 0, false);
        batch.AddPerson(QStringLiteral("556"), QStringLiteral("Два"), 0, QString(), QString(), QString(), 0, false);
        batch.Commit();
    }
    EXPECT_EQ(kinds(*w.Book), QStringLiteral("UU"));
}

TEST(OfficeOutbox, UninstalledOfficeQueuesNothingMore)
{
    TWorkstationFiles w;
    TOfficeSync::Install(w.Data);
    w.addCall(QStringLiteral("1"));
    TOfficeOutbox::Uninstall(w.In->connection(), QStringLiteral("InCalls"));
    w.addCall(QStringLiteral("2"));
    EXPECT_EQ(kinds(*w.In), QStringLiteral("C"));
}

// Publishing and catching up against a real server: stored once, later change
// wins, tombstones stay, a joining book is merged by number, the server down.
#include "OfficeTestUtil.h"
#include "PgTestServer.h"
#include "office/TOfficeOutbox.h"
#include "office/TOfficeServer.h"
#include "office/TOfficeSync.h"
#include <gtest/gtest.h>

namespace {
class OfficeSync : public ::testing::Test {
protected:
    void SetUp() override
    {
        PgTestServer &pg = PgTestServer::instance();
        ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
        ASSERT_TRUE(pg.start());
        const QString name = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()).toLower();
        Db = name;
        Conn = pg.newDatabase(name);
    }
    // One sync pass of a workstation, as the link does it.
    bool sync(TWorkstationFiles &w, const QString &ws, int *applied = nullptr)
    {
        TOfficeSync::Install(w.Data);
        TOfficeSync s(w.Data, ws);
        TOfficeServer server;
        const bool ok = s.Open() && server.Connect(Conn, 3000) && server.InitSchema() > 0 && s.Publish(server)
                        && s.CatchUp(server, applied);
        w.Book->refreshView();
        return ok;
    }
    QStringList q(const QString &sql) { return PgTestServer::instance().query(Db, sql); }
    QString nameOf(TWorkstationFiles &w, const QString &phone) { return w.Book->NameOfPhone(phone); }

    QString Db, Conn;
};
}

TEST_F(OfficeSync, SchemaIsCreatedOnceAndReportsItsVersion)
{
    TOfficeServer a, b;
    ASSERT_TRUE(a.Connect(Conn, 3000)) << a.LastError().toStdString();
    ASSERT_TRUE(b.Connect(Conn, 3000));
    EXPECT_EQ(a.InitSchema(), TOfficeServer::SchemaVersion);
    EXPECT_EQ(b.InitSchema(), TOfficeServer::SchemaVersion);
    EXPECT_EQ(q(QStringLiteral("SELECT count(*) FROM konvelo_schema")), QStringList{QStringLiteral("1")});
}

TEST_F(OfficeSync, CallsAndTheirNotesAreStoredOnceAndTheOutboxEmpties)
{
    TWorkstationFiles a;
    TOfficeSync::Install(a.Data);
    a.reopen();
    const qint64 call = a.addCall(QStringLiteral("5551234"));
    a.addCall(QStringLiteral("5559999"));
    ASSERT_TRUE(sync(a, QStringLiteral("Приёмная")));
    a.In->UpdateFields(call, QStringLiteral("5551234"), {{2, QStringLiteral("счёт выслан")}}, TDateTime());
    ASSERT_TRUE(sync(a, QStringLiteral("Приёмная")));
    EXPECT_EQ(TOfficeOutbox::Count(a.In->connection()), 0);
    EXPECT_EQ(q(QStringLiteral("SELECT count(*) FROM konvelo_calls")), QStringList{QStringLiteral("2")});
    EXPECT_EQ(q(QStringLiteral("SELECT workstation || '/' || journal || '/' || call_id || '/' || field_2 FROM konvelo_calls"
                               " WHERE phone = '5551234'")),
              QStringList{QStringLiteral("Приёмная/in/%1/счёт выслан").arg(call)});
    TOfficeServer server;
    ASSERT_TRUE(server.Connect(Conn, 3000));
    QList<TOfficeServer::TCall> calls;
    TOfficeServer::TCallFilter f;
    f.Number = QStringLiteral("5551234");
    ASSERT_TRUE(server.Calls(f, calls));
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.at(0).Fields.value(1), QStringLiteral("счёт выслан"));
    // New file names move the row to a new Call_ID: still one call on the server.
    const qint64 moved = a.In->ReplaceFileNames(call, QStringLiteral("talk.wav"), QString());
    ASSERT_NE(moved, 0);
    ASSERT_TRUE(sync(a, QStringLiteral("Приёмная")));
    EXPECT_EQ(q(QStringLiteral("SELECT call_id || '/' || field_2 FROM konvelo_calls WHERE phone = '5551234'")),
              QStringList{QStringLiteral("%1/счёт выслан").arg(moved)});
    f.ExceptWorkstation = QStringLiteral("Приёмная");
    calls.clear();
    ASSERT_TRUE(server.Calls(f, calls));
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(OfficeSync, TwoWorkstationsConvergeOnTheLaterEditAndDeletionsStay)
{
    TWorkstationFiles a, b;
    TOfficeSync::Install(a.Data);
    a.reopen();
    const qint64 pa = a.addPerson(QStringLiteral("7001"), QStringLiteral("Орлов"));
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    ASSERT_TRUE(sync(b, QStringLiteral("B")));
    EXPECT_EQ(nameOf(b, QStringLiteral("7001")), QStringLiteral("Орлов"));
    ASSERT_TRUE(b.Book->FindPhone(QStringLiteral("7001")));
    const qint64 pb = b.Book->currentKey();

    // Both edit; B's edit reaches the server later and wins everywhere.
    a.Book->UpdatePerson(pa, QStringLiteral("7001"), QStringLiteral("Орлов (A)"), 0, QString(), QString(), QString(), 50, false);
    b.Book->UpdatePerson(pb, QStringLiteral("7001"), QStringLiteral("Орлов (B)"), 0, QString(), QString(), QString(), 50, false);
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    ASSERT_TRUE(sync(b, QStringLiteral("B")));
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    EXPECT_EQ(nameOf(a, QStringLiteral("7001")), QStringLiteral("Орлов (B)"));
    EXPECT_EQ(nameOf(b, QStringLiteral("7001")), QStringLiteral("Орлов (B)"));
    EXPECT_EQ(a.Book->totalCount(), 1);
    EXPECT_EQ(b.Book->totalCount(), 1);

    // A deletes while B is offline and edits the same subscriber: it stays deleted.
    ASSERT_TRUE(a.Book->FindPerson(pa));
    a.Book->DeleteCurrent();
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    b.Book->UpdatePerson(pb, QStringLiteral("7001"), QStringLiteral("Орлов снова"), 0, QString(), QString(), QString(), 50, false);
    ASSERT_TRUE(sync(b, QStringLiteral("B")));
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    EXPECT_EQ(b.Book->totalCount(), 0);
    EXPECT_EQ(a.Book->totalCount(), 0);
    EXPECT_EQ(q(QStringLiteral("SELECT deleted FROM konvelo_persons")), QStringList{QStringLiteral("t")});
}

TEST_F(OfficeSync, JoiningBookIsMergedWithoutDoublingTheOfficesNumbers)
{
    TWorkstationFiles a, b;
    TOfficeSync::Install(a.Data);
    a.reopen();
    a.addPerson(QStringLiteral("100"), QStringLiteral("Офисный"));
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    // B kept a book of its own before joining.
    b.addPerson(QStringLiteral("100"), QStringLiteral("Свой"));
    b.addPerson(QStringLiteral("200"), QStringLiteral("Только у B"));
    ASSERT_TRUE(sync(b, QStringLiteral("B")));
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    EXPECT_EQ(q(QStringLiteral("SELECT count(*) FROM konvelo_persons WHERE NOT deleted")), QStringList{QStringLiteral("2")});
    EXPECT_EQ(b.Book->totalCount(), 2);
    EXPECT_EQ(a.Book->totalCount(), 2);
    EXPECT_EQ(nameOf(b, QStringLiteral("100")), QStringLiteral("Офисный"));
    EXPECT_EQ(nameOf(a, QStringLiteral("200")), QStringLiteral("Только у B"));
}

TEST_F(OfficeSync, ServerDownKeepsTheOutboxAndSendsItOnceWhenBack)
{
    TWorkstationFiles a;
    TOfficeSync::Install(a.Data);
    a.reopen();
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    ASSERT_TRUE(PgTestServer::instance().stop(true));
    for (int i = 0; i < 5; ++i)
        a.addCall(QStringLiteral("900%1").arg(i));
    EXPECT_FALSE(sync(a, QStringLiteral("A")));
    EXPECT_EQ(TOfficeOutbox::Count(a.In->connection()), 5);
    ASSERT_TRUE(PgTestServer::instance().start());
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    ASSERT_TRUE(sync(a, QStringLiteral("A")));
    EXPECT_EQ(TOfficeOutbox::Count(a.In->connection()), 0);
    EXPECT_EQ(q(QStringLiteral("SELECT count(*) FROM konvelo_calls")), QStringList{QStringLiteral("5")});
}

TEST_F(OfficeSync, WrongPasswordIsReportedNotRetriedAsSuccess)
{
    PgTestServer &pg = PgTestServer::instance();
    TOfficeServer server;
    EXPECT_FALSE(server.Connect(pg.conninfo(QStringLiteral("no_such_db")), 3000));
    EXPECT_FALSE(server.LastError().isEmpty());
    EXPECT_FALSE(server.Connected());
}

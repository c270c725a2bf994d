// The link's worker thread: two workstations in one process, each with its
// own base folder, against the same office database; and a server that
// accepts the connection and never answers.
#include "OfficeTestUtil.h"
#include "PgTestServer.h"
#include "office/TOfficeLink.h"
#include "office/TOfficeStatusLabel.h"
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {
struct TStation {
    TWorkstationFiles Files;
    TOfficeLink Link;
    explicit TStation(const QString &conninfo, const QString &name)
    {
        QObject::connect(&Link, &TOfficeLink::bookChanged, Files.Book.get(), &TRecordTable::refreshView);
        QObject::connect(Files.Book.get(), &TRecordTable::changed, &Link, &TOfficeLink::Wake);
        QObject::connect(Files.In.get(), &TRecordTable::changed, &Link, &TOfficeLink::Wake);
        Link.Start(conninfo, name, Files.Data);
    }
};
}

TEST(OfficeLink, SubscriberAddedOnOneWorkstationIsFoundOnTheOtherWithinTwoSeconds)
{
    PgTestServer &pg = PgTestServer::instance();
    ASSERT_TRUE(pg.ok()) << pg.error().toStdString();
    ASSERT_TRUE(pg.start());
    const QString conn = pg.newDatabase(QStringLiteral("link_two"));
    TStation a(conn, QStringLiteral("A")), b(conn, QStringLiteral("B"));
    ASSERT_TRUE(waitFor([&] { return a.Link.State().Connected && b.Link.State().Connected; }, 10000));
    TOfficeStatusLabel panel(&a.Link);
    EXPECT_TRUE(waitFor([&] { return panel.text() == QStringLiteral("Офис: подключено"); }, 2000));

    a.Files.addPerson(QStringLiteral("8123"), QStringLiteral("Кузнецов"));
    // FindPhone, as at ring time: the row is in the book's view.
    ASSERT_TRUE(waitFor([&] { return b.Files.Book->FindPhone(QStringLiteral("8123")); }, 2000));
    EXPECT_EQ(b.Files.Book->fieldValue(QStringLiteral("Name")).toString(), QStringLiteral("Кузнецов"));
    // And back: B's edit reaches A; the replica does not echo it to the office again.
    b.Files.Book->UpdatePerson(b.Files.Book->currentKey(), QStringLiteral("8123"), QStringLiteral("Кузнецов И."), 0,
                               QString(), QString(), QString(), 50, false);
    EXPECT_TRUE(waitFor([&] { return a.Files.Book->NameOfPhone(QStringLiteral("8123")) == QStringLiteral("Кузнецов И."); }, 2000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(waitFor([&] { return a.Link.State().Queued == 0 && b.Link.State().Queued == 0; }, 3000));
    EXPECT_EQ(pg.query(QStringLiteral("link_two"), QStringLiteral("SELECT count(*) FROM konvelo_persons")),
              QStringList{QStringLiteral("1")});

    // A call on A is in the office at once.
    a.Files.addCall(QStringLiteral("8123"));
    EXPECT_TRUE(waitFor([&] {
        return pg.query(QStringLiteral("link_two"), QStringLiteral("SELECT count(*) FROM konvelo_calls"))
               == QStringList{QStringLiteral("1")};
    }, 3000));
}

TEST(OfficeLink, ServerThatNeverAnswersLeavesTheCallerFreeAndTheStatusSaysSo)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket *> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *s = silent.nextPendingConnection())
            held << s;   // accepted, never answered
    });
    TWorkstationFiles w;
    TOfficeLink link;
    link.setTimeout(1000);
    const QElapsedTimer started = [] { QElapsedTimer t; t.start(); return t; }();
    link.Start(QStringLiteral("host=127.0.0.1 port=%1 dbname=office user=konvelo").arg(silent.serverPort()),
               QStringLiteral("A"), w.Data);
    EXPECT_LT(started.elapsed(), 500);   // Start does not wait for the server
    w.addCall(QStringLiteral("1"));
    w.addCall(QStringLiteral("2"));
    ASSERT_TRUE(waitFor([&] { return !link.State().Error.isEmpty() && link.State().Queued == 2; }, 8000))
        << link.State().Error.toStdString();
    TOfficeStatusLabel panel(&link);
    EXPECT_EQ(panel.text(), QStringLiteral("Офис: нет связи, в очереди 2"));
    EXPECT_FALSE(panel.toolTip().isEmpty());   // why: the last error
    EXPECT_FALSE(held.isEmpty());
    QElapsedTimer stop;
    stop.start();
    link.Stop();
    EXPECT_LT(stop.elapsed(), 3000);
}

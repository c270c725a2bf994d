// The office link on loopback: a row committed locally until it is on the
// server, an address-book change on one workstation until the replica on
// another, and a catch-up of 10^5 book changes.
//   bench_office [ROUNDS] [CONNINFO]   (without CONNINFO a private server is started)
#include "BenchSupport.h"
#include "PgTestServer.h"
#include "office/TOfficeLink.h"
#include "office/TOfficeServer.h"
#include "office/TOfficeSync.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <libpq-fe.h>
#include <memory>

using namespace BenchSupport;

namespace {
struct TStation {
    QTemporaryDir Base;
    QString Data = Base.path() + QStringLiteral("/Data");
    TAddressBook Book{Data + QStringLiteral("/AddressBook")};
    TIncomingCallBook In{Data + QStringLiteral("/InCalls")};
    TOutgoingCallBook Out{Data + QStringLiteral("/OutCalls")};
    TOfficeLink Link;
    TStation(const QString &conn, const QString &name)
    {
        Link.Attach(Book, In, Out);
        Link.Start(conn, name, Data);
    }
};

bool spin(const std::function<bool()> &pred, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

void report(const char *what, std::vector<double> v, const char *target)
{
    std::printf("%-52s median %8.2f ms  p90 %8.2f ms  max %8.2f ms  (%zu rounds; target %s)\n", what,
                percentile(v, 0.5), percentile(v, 0.9), percentile(v, 1.0), v.size(), target);
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    QString conn = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (conn.isEmpty()) {
        PgTestServer &pg = PgTestServer::instance();
        if (!pg.ok()) {
            std::fprintf(stderr, "no server: %s\n", qPrintable(pg.error()));
            return 1;
        }
        conn = pg.newDatabase(QStringLiteral("bench"));
    }
    {
        TStation a(conn, QStringLiteral("A")), b(conn, QStringLiteral("B"));
        if (!spin([&] { return a.Link.State().Connected && b.Link.State().Connected; })) {
            std::fprintf(stderr, "not connected: %s\n", qPrintable(a.Link.State().Error));
            return 1;
        }
        PGconn *watch = PQconnectdb(conn.toUtf8().constData());
        std::vector<double> commit;
        for (int i = 0; i < rounds; ++i) {
            TInCall c;
            c.Phone = QStringLiteral("7%1").arg(i);
            c.Time = TDateTime::now();
            QElapsedTimer t;
            t.start();
            const qint64 id = a.In.AddCall(c);
            const QByteArray key = QByteArray::number(id);
            const char *params[] = {key.constData()};
            spin([&] {
                PGresult *r = PQexecParams(watch, "SELECT 1 FROM konvelo_calls WHERE workstation = 'A' AND call_id = $1",
                                           1, nullptr, params, nullptr, nullptr, 0);
                const bool there = PQntuples(r) == 1;
                PQclear(r);
                return there;
            });
            commit.push_back(ms(t));
        }
        report("row committed locally -> on the server", commit, "median < 50 ms");

        std::vector<double> replica;
        const qint64 p = a.Book.AddPerson(QStringLiteral("5550000"), QStringLiteral("v0"), 0, QString(), QString(),
                                          QString(), 0, false);
        spin([&] { return !b.Book.NameOfPhone(QStringLiteral("5550000")).isEmpty(); });
        for (int i = 1; i <= std::min(rounds, 50); ++i) {
            const QString name = QStringLiteral("v%1").arg(i);
            QElapsedTimer t;
            t.start();
            a.Book.UpdatePerson(p, QStringLiteral("5550000"), name, 0, QString(), QString(), QString(), 0, false);
            spin([&] { return b.Book.NameOfPhone(QStringLiteral("5550000")) == name; });
            replica.push_back(ms(t));
        }
        report("book change on A -> replica on B", replica, "median < 2 s, goal 200 ms");
        PQfinish(watch);
    }
    {
        // 10^5 changes made elsewhere, caught up by a workstation joining now.
        PGconn *c = PQconnectdb(conn.toUtf8().constData());
        PQclear(PQexec(c, "INSERT INTO konvelo_persons (guid, phone, name, workstation, seq)"
                          " SELECT gen_random_uuid(), '8' || g, 'Абонент ' || g, 'X', nextval('konvelo_book_seq')"
                          " FROM generate_series(1, 100000) g"));
        PQfinish(c);
        TStation fresh(conn, QStringLiteral("C"));
        fresh.Link.Stop();
        TOfficeSync::Install(fresh.Data);
        TOfficeSync sync(fresh.Data, QStringLiteral("C"));
        TOfficeServer server;
        sync.Open();
        server.Connect(conn, 5000);
        QElapsedTimer t;
        t.start();
        int applied = 0;
        const bool ok = sync.CatchUp(server, &applied);
        std::printf("%-52s %8.0f ms  (%d rows%s; target < 10 s)\n", "catch-up of 10^5 book changes", ms(t), applied,
                    ok ? "" : ", FAILED");
    }
    PgTestServer::shutdown();
    return 0;
}

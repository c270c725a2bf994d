#include "TOfficeServer.h"
#include <QElapsedTimer>
#include <libpq-fe.h>
#include <poll.h>

namespace {
// The server's schema, one step per version; each runs in one transaction.
const char *const Upgrades[] = {
    // 1: the office's book with its change sequence, and the calls of every workstation.
    "CREATE SEQUENCE konvelo_book_seq;"
    "CREATE TABLE konvelo_persons (guid uuid PRIMARY KEY, phone text NOT NULL, name text, attributes integer NOT NULL DEFAULT 0,"
    " address text, notes text, deleted boolean NOT NULL DEFAULT false, workstation text,"
    " changed_at timestamptz NOT NULL DEFAULT clock_timestamp(), seq bigint NOT NULL UNIQUE);"
    "CREATE INDEX konvelo_persons_phone ON konvelo_persons (phone) WHERE NOT deleted;"
    "CREATE FUNCTION konvelo_book_notify() RETURNS trigger LANGUAGE plpgsql AS"
    " $$BEGIN PERFORM pg_notify('konvelo_book', ''); RETURN NULL; END$$;"
    "CREATE TRIGGER konvelo_persons_notify AFTER INSERT OR UPDATE ON konvelo_persons"
    " FOR EACH STATEMENT EXECUTE FUNCTION konvelo_book_notify();"
    "CREATE TABLE konvelo_calls (workstation text NOT NULL, journal text NOT NULL, call_id bigint NOT NULL,"
    " phone text NOT NULL, time double precision NOT NULL, length double precision NOT NULL DEFAULT 0,"
    " field_1 text, field_2 text, field_3 text, field_4 text, field_5 text, field_6 text, field_7 text,"
    " reminder double precision, stored_at timestamptz NOT NULL DEFAULT clock_timestamp(),"
    " PRIMARY KEY (workstation, journal, call_id));"
    "CREATE INDEX konvelo_calls_phone ON konvelo_calls (phone, time);"
    "CREATE INDEX konvelo_calls_time ON konvelo_calls (time);",
};

QVariant text(PGresult *r, int row, int col)
{
    if (PQgetisnull(r, row, col))
        return QVariant();
    return QVariant(QString::fromUtf8(PQgetvalue(r, row, col)));
}

QVariant opt(const QString &s)
{
    return s.isEmpty() ? QVariant() : QVariant(s);
}

TOfficeServer::TPerson person(const QVariantList &r)
{
    TOfficeServer::TPerson p;
    p.Guid = r.value(0).toString();
    p.Deleted = r.value(1).toString() == QLatin1String("t");
    p.Phone = r.value(2).toString();
    p.Name = r.value(3).toString();
    p.Attributes = r.value(4).toInt();
    p.Address = r.value(5).toString();
    p.Notes = r.value(6).toString();
    p.Seq = r.value(7).toLongLong();
    return p;
}
}

TOfficeServer::~TOfficeServer()
{
    Disconnect();
}

bool TOfficeServer::Connect(const QString &conninfo, int timeoutMs)
{
    Disconnect();
    FTimeoutMs = timeoutMs;
    const QByteArray info = conninfo.toUtf8();
    const QByteArray timeout = QByteArray::number(std::max(1, (timeoutMs + 999) / 1000));
    // The string's own values come first; connect_timeout only when it has none.
    const char *keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char *values[] = {timeout.constData(), "konvelo", info.constData(), nullptr};
    PGconn *c = PQconnectdbParams(keys, values, 1);
    if (!c || PQstatus(c) != CONNECTION_OK) {
        QString err = c ? QString::fromUtf8(PQerrorMessage(c)).trimmed() : QStringLiteral("out of memory");
        if (c)
            PQfinish(c);
        return fail(err);
    }
    PQsetnonblocking(c, 1);
    FConn = c;
    FError.clear();
    return run(QStringLiteral("SET TIME ZONE 'UTC'"), {});
}

void TOfficeServer::Disconnect()
{
    if (FConn) {
        PQfinish(FConn);
        FConn = nullptr;
    }
}

int TOfficeServer::Socket() const
{
    return FConn ? PQsocket(FConn) : -1;
}

bool TOfficeServer::fail(const QString &error)
{
    FError = error.isEmpty() ? QStringLiteral("connection lost") : error;
    Disconnect();
    return false;
}

bool TOfficeServer::run(const QString &sql, const QVariantList &params, QList<QVariantList> *rows)
{
    if (!FConn)
        return fail(FError.isEmpty() ? QStringLiteral("not connected") : FError);
    QList<QByteArray> data;
    std::vector<const char *> values;
    data.reserve(params.size());
    for (const QVariant &v : params)
        data << (v.isNull() ? QByteArray() : v.toString().toUtf8());
    for (int i = 0; i < params.size(); ++i)
        values.push_back(params.at(i).isNull() ? nullptr : data.at(i).constData());
    const QByteArray q = sql.toUtf8();
    const int sent = params.isEmpty() ? PQsendQuery(FConn, q.constData())
                                      : PQsendQueryParams(FConn, q.constData(), int(params.size()), nullptr,
                                                          values.data(), nullptr, nullptr, 0);
    if (!sent)
        return fail(QString::fromUtf8(PQerrorMessage(FConn)).trimmed());
    QElapsedTimer clock;
    clock.start();
    const int fd = PQsocket(FConn);
    for (;;) {
        const int flushed = PQflush(FConn);
        if (flushed < 0)
            return fail(QString::fromUtf8(PQerrorMessage(FConn)).trimmed());
        if (flushed == 0 && !PQisBusy(FConn))
            break;
        const qint64 left = FTimeoutMs - clock.elapsed();
        if (left <= 0)
            return fail(QStringLiteral("the server did not answer in %1 s").arg(FTimeoutMs / 1000.0));
        pollfd p{fd, short(POLLIN | (flushed == 1 ? POLLOUT : 0)), 0};
        if (poll(&p, 1, int(left)) < 0 && errno != EINTR)
            return fail(QStringLiteral("poll failed"));
        if ((p.revents & (POLLIN | POLLERR | POLLHUP)) && !PQconsumeInput(FConn))
            return fail(QString::fromUtf8(PQerrorMessage(FConn)).trimmed());
    }
    bool ok = true;
    QString error;
    while (PGresult *r = PQgetResult(FConn)) {
        const ExecStatusType st = PQresultStatus(r);
        if (st == PGRES_FATAL_ERROR || st == PGRES_BAD_RESPONSE) {
            ok = false;
            error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        } else if (rows && st == PGRES_TUPLES_OK) {
            const int n = PQntuples(r), cols = PQnfields(r);
            for (int i = 0; i < n; ++i) {
                QVariantList row;
                for (int c = 0; c < cols; ++c)
                    row << text(r, i, c);
                rows->append(row);
            }
        }
        PQclear(r);
    }
    if (!ok) {
        FError = error;
        // A statement error keeps the connection; a broken one is dropped.
        if (PQstatus(FConn) != CONNECTION_OK)
            Disconnect();
        return false;
    }
    return true;
}

int TOfficeServer::InitSchema()
{
    if (!run(QStringLiteral("CREATE TABLE IF NOT EXISTS konvelo_schema (version integer NOT NULL)"), {}))
        return -1;
    const int target = int(std::size(Upgrades));
    for (;;) {
        QList<QVariantList> rows;
        if (!run(QStringLiteral("BEGIN"), {}))
            return -1;
        // One workstation upgrades at a time; the others wait and find it done.
        if (!run(QStringLiteral("SELECT pg_advisory_xact_lock(48151623)"), {})
            || !run(QStringLiteral("SELECT coalesce(max(version), 0) FROM konvelo_schema"), {}, &rows)) {
            run(QStringLiteral("ROLLBACK"), {});
            return -1;
        }
        const int version = rows.value(0).value(0).toInt();
        if (version >= target) {
            run(QStringLiteral("COMMIT"), {});
            return version;
        }
        if (!run(QString::fromUtf8(Upgrades[version]), {})
            || !run(QStringLiteral("DELETE FROM konvelo_schema"), {})
            || !run(QStringLiteral("INSERT INTO konvelo_schema VALUES ($1)"), {version + 1})
            || !run(QStringLiteral("COMMIT"), {})) {
            const QString err = FError;
            run(QStringLiteral("ROLLBACK"), {});
            FError = err;
            return -1;
        }
    }
}

bool TOfficeServer::PutCall(const QString &workstation, const TCall &c)
{
    QVariantList p{workstation, c.Journal, c.CallId, c.Phone, c.Time, c.Length};
    for (int i = 0; i < 7; ++i)
        p << opt(c.Fields.value(i));
    p << (c.Reminder == 0 ? QVariant() : QVariant(c.Reminder));
    return run(QStringLiteral(
                   "INSERT INTO konvelo_calls (workstation, journal, call_id, phone, time, length, field_1, field_2,"
                   " field_3, field_4, field_5, field_6, field_7, reminder) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9,"
                   " $10, $11, $12, $13, $14) ON CONFLICT (workstation, journal, call_id) DO UPDATE SET"
                   " phone = EXCLUDED.phone, time = EXCLUDED.time, length = EXCLUDED.length, field_1 = EXCLUDED.field_1,"
                   " field_2 = EXCLUDED.field_2, field_3 = EXCLUDED.field_3, field_4 = EXCLUDED.field_4,"
                   " field_5 = EXCLUDED.field_5, field_6 = EXCLUDED.field_6, field_7 = EXCLUDED.field_7,"
                   " reminder = EXCLUDED.reminder, stored_at = clock_timestamp()"),
               p);
}

bool TOfficeServer::DeleteCall(const QString &workstation, const QString &journal, qint64 callId)
{
    return run(QStringLiteral("DELETE FROM konvelo_calls WHERE workstation = $1 AND journal = $2 AND call_id = $3"),
               {workstation, journal, callId});
}

bool TOfficeServer::PutPerson(const QString &workstation, const TPerson &x)
{
    return run(QStringLiteral(
                   "INSERT INTO konvelo_persons (guid, phone, name, attributes, address, notes, workstation, seq)"
                   " VALUES ($1, $2, $3, $4, $5, $6, $7, nextval('konvelo_book_seq')) ON CONFLICT (guid) DO UPDATE SET"
                   " phone = EXCLUDED.phone, name = EXCLUDED.name, attributes = EXCLUDED.attributes,"
                   " address = EXCLUDED.address, notes = EXCLUDED.notes, workstation = EXCLUDED.workstation,"
                   " changed_at = clock_timestamp(), seq = EXCLUDED.seq WHERE NOT konvelo_persons.deleted"),
               {x.Guid, x.Phone, opt(x.Name), x.Attributes, opt(x.Address), opt(x.Notes), workstation});
}

bool TOfficeServer::DeletePerson(const QString &workstation, const QString &guid, const QString &phone)
{
    return run(QStringLiteral(
                   "INSERT INTO konvelo_persons (guid, phone, deleted, workstation, seq)"
                   " VALUES ($1, $2, true, $3, nextval('konvelo_book_seq')) ON CONFLICT (guid) DO UPDATE SET"
                   " deleted = true, workstation = EXCLUDED.workstation, changed_at = clock_timestamp(),"
                   " seq = EXCLUDED.seq WHERE NOT konvelo_persons.deleted"),
               {guid, phone, workstation});
}

bool TOfficeServer::JoinPerson(const QString &workstation, const TPerson &x, QString &officeGuid)
{
    QList<QVariantList> rows;
    const bool ok = run(QStringLiteral(
                            "WITH known AS (SELECT guid, deleted FROM konvelo_persons WHERE guid = $1::uuid"
                            "  UNION ALL SELECT guid, deleted FROM (SELECT guid, deleted FROM konvelo_persons"
                            "  WHERE phone = $2 AND NOT deleted ORDER BY seq LIMIT 1) same),"
                            " ins AS (INSERT INTO konvelo_persons (guid, phone, name, attributes, address, notes,"
                            "  workstation, seq) SELECT $1::uuid, $2, $3, $4, $5, $6, $7, nextval('konvelo_book_seq')"
                            "  WHERE NOT EXISTS (SELECT 1 FROM known) ON CONFLICT (guid) DO NOTHING RETURNING guid)"
                            " SELECT guid::text, deleted FROM known UNION ALL SELECT guid::text, false FROM ins"),
                        {x.Guid, x.Phone, opt(x.Name), x.Attributes, opt(x.Address), opt(x.Notes), workstation}, &rows);
    if (!ok)
        return false;
    officeGuid.clear();
    for (const QVariantList &r : rows)
        if (r.value(1).toString() != QLatin1String("t")) {
            officeGuid = r.value(0).toString();
            break;
        }
    return true;
}

bool TOfficeServer::Changes(qint64 afterSeq, int limit, QList<TPerson> &out)
{
    QList<QVariantList> rows;
    if (!run(QStringLiteral("SELECT guid::text, deleted, phone, name, attributes, address, notes, seq"
                            " FROM konvelo_persons WHERE seq > $1 ORDER BY seq LIMIT $2"),
             {afterSeq, limit}, &rows))
        return false;
    for (const QVariantList &r : rows)
        out << person(r);
    return true;
}

bool TOfficeServer::Calls(const TCallFilter &f, QList<TCall> &out)
{
    QStringList where{QStringLiteral("true")};
    QVariantList p;
    auto add = [&](const QString &cond, const QVariant &v) {
        p << v;
        where << QString(cond).arg(p.size());
    };
    if (f.From != 0)
        add(QStringLiteral("time >= $%1"), f.From);
    if (f.To != 0)
        add(QStringLiteral("time < $%1"), f.To);
    if (!f.Number.isEmpty())
        add(QStringLiteral("phone = $%1"), f.Number);
    if (!f.Workstation.isEmpty())
        add(QStringLiteral("workstation = $%1"), f.Workstation);
    if (!f.ExceptWorkstation.isEmpty())
        add(QStringLiteral("workstation <> $%1"), f.ExceptWorkstation);
    QString sql = QStringLiteral("SELECT workstation, journal, call_id, phone, time, length, field_1, field_2, field_3,"
                                 " field_4, field_5, field_6, field_7, reminder FROM konvelo_calls WHERE %1"
                                 " ORDER BY time, workstation, journal, call_id")
                      .arg(where.join(QStringLiteral(" AND ")));
    if (f.Limit > 0)
        sql = QStringLiteral("SELECT * FROM (%1 DESC LIMIT %2) last ORDER BY time")
                  .arg(sql.left(sql.lastIndexOf(QStringLiteral(" ORDER BY"))) + QStringLiteral(" ORDER BY time"))
                  .arg(f.Limit);
    QList<QVariantList> rows;
    if (!run(sql, p, &rows))
        return false;
    for (const QVariantList &r : rows) {
        TCall c;
        c.Workstation = r.value(0).toString();
        c.Journal = r.value(1).toString();
        c.CallId = r.value(2).toLongLong();
        c.Phone = r.value(3).toString();
        c.Time = r.value(4).toDouble();
        c.Length = r.value(5).toDouble();
        for (int i = 0; i < 7; ++i)
            c.Fields << r.value(6 + i).toString();
        c.Reminder = r.value(13).toDouble();
        out << c;
    }
    return true;
}

bool TOfficeServer::Listen()
{
    return run(QStringLiteral("LISTEN konvelo_book"), {});
}

bool TOfficeServer::TakeNotifications()
{
    if (!FConn)
        return false;
    if (!PQconsumeInput(FConn)) {
        fail(QString::fromUtf8(PQerrorMessage(FConn)).trimmed());
        return false;
    }
    bool any = false;
    while (PGnotify *n = PQnotifies(FConn)) {
        any = true;
        PQfreemem(n);
    }
    return any;
}

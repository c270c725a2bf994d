#include "TOfficeSync.h"
#include "TOfficeOutbox.h"
#include "records/TTableError.h"
#include <QFileInfo>
#include <QSet>
#include <sqlite3.h>

namespace {
const QString BookTable = QStringLiteral("AddressBook");

QString file(const QString &dir, const QString &table)
{
    return dir + QLatin1Char('/') + table + QStringLiteral(".cds");
}

void openFile(TSqliteDatabase &db, const QString &path)
{
    if (db.isOpen() || !QFileInfo::exists(path))
        return;
    db.open(path, false);
    db.exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

qint64 stateValue(TSqliteDatabase &db, const QString &name)
{
    TSqliteStatement st = db.prepare(QStringLiteral("SELECT \"Value\" FROM \"OfficeState\" WHERE \"Name\" = ?"));
    st.bind(1, name);
    return st.step() ? st.int64(0) : 0;
}

void setState(TSqliteDatabase &db, const QString &name, qint64 value)
{
    TSqliteStatement st = db.prepare(QStringLiteral("INSERT OR REPLACE INTO \"OfficeState\" VALUES (?, ?)"));
    st.bind(1, name).bindInt64(2, value);
    st.exec();
}
}

TOfficeSync::TOfficeSync(const QString &dataDir, const QString &workstation)
    : FData(dataDir), FWorkstation(workstation)
{
}

void TOfficeSync::Install(const QString &dataDir)
{
    for (const QString &table : {BookTable, QStringLiteral("InCalls"), QStringLiteral("OutCalls")}) {
        const QString path = file(dataDir, table);
        if (!QFileInfo::exists(path))
            continue;
        TSqliteDatabase db;
        db.open(path, false);
        TOfficeOutbox::Install(db.handle(), table);
    }
}

void TOfficeSync::Uninstall(const QString &dataDir)
{
    for (const QString &table : {BookTable, QStringLiteral("InCalls"), QStringLiteral("OutCalls")}) {
        const QString path = file(dataDir, table);
        if (!QFileInfo::exists(path))
            continue;
        TSqliteDatabase db;
        db.open(path, false);
        if (TOfficeOutbox::Installed(db.handle(), table))
            TOfficeOutbox::Uninstall(db.handle(), table);
    }
}

bool TOfficeSync::Open()
{
    try {
        openFile(FBook, file(FData, BookTable));
        openFile(FIn, file(FData, QStringLiteral("InCalls")));
        openFile(FOut, file(FData, QStringLiteral("OutCalls")));
        return true;
    } catch (const TTableError &e) {
        FError = e.message();
        return false;
    }
}

qint64 TOfficeSync::Pending()
{
    qint64 n = 0;
    for (TSqliteDatabase *db : {&FBook, &FIn, &FOut})
        if (db->isOpen())
            n += TOfficeOutbox::Count(db->handle());
    return n;
}

bool TOfficeSync::readCall(TSqliteDatabase &db, const QString &journal, qint64 key, TOfficeServer::TCall &c)
{
    TSqliteStatement st = db.prepare(QStringLiteral(
        "SELECT \"Phone\", \"Time\", \"Length\", \"Field_1\", \"Field_2\", \"Field_3\", \"Field_4\", \"Field_5\","
        " \"Field_6\", \"Field_7\", \"Field_8\" FROM \"%1\" WHERE \"Call_ID\" = ?")
                                         .arg(journal == QLatin1String("in") ? QStringLiteral("InCalls")
                                                                             : QStringLiteral("OutCalls")));
    st.bindInt64(1, key);
    if (!st.step())
        return false;
    c.Journal = journal;
    c.CallId = key;
    c.Phone = st.value(0).toString();
    c.Time = st.value(1).toDouble();
    c.Length = st.value(2).toDouble();
    for (int i = 0; i < 7; ++i)
        c.Fields << (st.isNull(3 + i) ? QString() : st.value(3 + i).toString());
    c.Reminder = st.isNull(10) ? 0 : st.value(10).toDouble();
    return true;
}

bool TOfficeSync::readPerson(qint64 key, TOfficeServer::TPerson &p)
{
    TSqliteStatement st = FBook.prepare(QStringLiteral(
        "SELECT \"Guid\", \"Phone\", \"Name\", \"Attributes\", \"Address\", \"Notes\" FROM \"AddressBook\""
        " WHERE \"Person_ID\" = ?"));
    st.bindInt64(1, key);
    if (!st.step() || st.isNull(0))
        return false;
    p.Guid = st.value(0).toString();
    p.Phone = st.value(1).toString();
    p.Name = st.isNull(2) ? QString() : st.value(2).toString();
    p.Attributes = int(st.int64(3));
    p.Address = st.isNull(4) ? QString() : st.value(4).toString();
    p.Notes = st.isNull(5) ? QString() : st.value(5).toString();
    return true;
}

bool TOfficeSync::publishFile(TSqliteDatabase &db, const QString &journal, TOfficeServer &server, int *sent)
{
    if (!db.isOpen())
        return true;
    for (;;) {
        QList<TOfficeOutbox::TEntry> batch;
        try {
            batch = TOfficeOutbox::Peek(db.handle(), Batch);
        } catch (const TTableError &) {
            return true;   // no outbox in this file
        }
        if (batch.isEmpty())
            return true;
        // Subscribers a joined row takes over from the office: key -> office Guid.
        QList<QPair<qint64, QString>> adopted;
        if (!server.Connected())
            return false;
        // Each entry is stored by its key on the server; a repeat after a crash is harmless.
        QString batchError;
        bool ok = true;
        auto step = [&](bool done) {
            if (done)
                return;
            if (!server.Connected()) {
                ok = false;
                return;
            }
            // A statement the server refuses (bad data) is skipped, not retried forever.
            batchError = server.LastError();
        };
        for (const TOfficeOutbox::TEntry &e : batch) {
            if (!ok)
                break;
            if (e.Kind == TOfficeOutbox::okCall) {
                TOfficeServer::TCall call;
                if (readCall(db, journal, e.Key, call))
                    step(server.PutCall(FWorkstation, call));
            } else if (e.Kind == TOfficeOutbox::okCallDeleted) {
                step(server.DeleteCall(FWorkstation, journal, e.Key));
            } else if (e.Kind == TOfficeOutbox::okDelete) {
                step(server.DeletePerson(FWorkstation, e.Guid, QString()));
            } else {
                TOfficeServer::TPerson p;
                if (!readPerson(e.Key, p))
                    continue;   // deleted since; its deletion follows
                if (e.Kind == TOfficeOutbox::okJoin) {
                    QString officeGuid;
                    const bool done = server.JoinPerson(FWorkstation, p, officeGuid);
                    step(done);
                    if (done && officeGuid != p.Guid)
                        adopted << qMakePair(e.Key, officeGuid);
                } else {
                    step(server.PutPerson(FWorkstation, p));
                }
            }
        }
        if (!ok) {
            FError = server.LastError();
            return false;
        }
        if (!batchError.isEmpty())
            FError = batchError;
        try {
            TSqliteDatabase::Transaction tr(db);
            const qint64 before = TOfficeOutbox::LastSeq(db.handle());
            for (const auto &a : adopted) {
                TSqliteStatement has = db.prepare(QStringLiteral("SELECT 1 FROM \"AddressBook\" WHERE \"Guid\" = ?"));
                has.bind(1, a.second);
                if (a.second.isEmpty() || has.step()) {
                    has = TSqliteStatement();
                    TSqliteStatement del = db.prepare(QStringLiteral("DELETE FROM \"AddressBook\" WHERE \"Person_ID\" = ?"));
                    del.bindInt64(1, a.first);
                    del.exec();
                } else {
                    has = TSqliteStatement();
                    TSqliteStatement up = db.prepare(QStringLiteral("UPDATE \"AddressBook\" SET \"Guid\" = ? WHERE \"Person_ID\" = ?"));
                    up.bind(1, a.second).bindInt64(2, a.first);
                    up.exec();
                }
            }
            TOfficeOutbox::DropAbove(db.handle(), before);
            TOfficeOutbox::Remove(db.handle(), batch.last().Seq);
            tr.commit();
        } catch (const TTableError &e) {
            FError = e.message();
            return false;
        }
        if (sent)
            *sent += int(batch.size());
        if (!adopted.isEmpty())
            FAdopted = true;
    }
}

bool TOfficeSync::Publish(TOfficeServer &server, int *sent)
{
    if (sent)
        *sent = 0;
    FAdopted = false;
    return publishFile(FBook, QString(), server, sent) && publishFile(FIn, QStringLiteral("in"), server, sent)
           && publishFile(FOut, QStringLiteral("out"), server, sent);
}

bool TOfficeSync::CatchUp(TOfficeServer &server, int *applied)
{
    if (applied)
        *applied = 0;
    if (!FBook.isOpen())
        return true;
    for (;;) {
        qint64 last = 0;
        try {
            last = stateValue(FBook, QStringLiteral("LastSeq"));
        } catch (const TTableError &e) {
            FError = e.message();
            return false;
        }
        QList<TOfficeServer::TPerson> changes;
        if (!server.Changes(last, 2000, changes)) {
            FError = server.LastError();
            return false;
        }
        if (changes.isEmpty())
            return true;
        try {
            TSqliteDatabase::Transaction tr(FBook);
            const qint64 before = TOfficeOutbox::LastSeq(FBook.handle());
            // Subscribers with a change of this workstation still to send keep it:
            // it reaches the office later, so it is the later one.
            QSet<QString> pending;
            {
                TSqliteStatement st = FBook.prepare(QStringLiteral(
                    "SELECT \"Guid\" FROM \"OfficeOutbox\" WHERE \"Guid\" IS NOT NULL"));
                while (st.step())
                    pending.insert(st.value(0).toString());
            }
            TSqliteStatement find = FBook.prepare(QStringLiteral("SELECT \"Person_ID\" FROM \"AddressBook\" WHERE \"Guid\" = ?"));
            TSqliteStatement del = FBook.prepare(QStringLiteral("DELETE FROM \"AddressBook\" WHERE \"Person_ID\" = ?"));
            TSqliteStatement up = FBook.prepare(QStringLiteral(
                "UPDATE \"AddressBook\" SET \"Phone\" = ?, \"Name\" = ?, \"Attributes\" = ?, \"Address\" = ?, \"Notes\" = ?"
                " WHERE \"Person_ID\" = ? AND (\"Phone\" IS NOT ? OR \"Name\" IS NOT ? OR \"Attributes\" IS NOT ?"
                " OR \"Address\" IS NOT ? OR \"Notes\" IS NOT ?)"));
            TSqliteStatement ins = FBook.prepare(QStringLiteral(
                "INSERT INTO \"AddressBook\" (\"Phone\", \"Name\", \"Attributes\", \"Address\", \"Notes\", \"Volume\","
                " \"Creschendo\", \"Guid\") VALUES (?, ?, ?, ?, ?, 0, 0, ?)"));
            int count = 0;
            for (const TOfficeServer::TPerson &p : changes) {
                last = std::max(last, p.Seq);
                find.reset();
                find.bind(1, p.Guid);
                const qint64 key = find.step() ? find.int64(0) : 0;
                find.reset();
                auto opt = [](const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); };
                if (p.Deleted) {
                    if (key) {
                        del.reset();
                        del.bindInt64(1, key);
                        del.exec();
                        ++count;
                    }
                    continue;
                }
                if (pending.contains(p.Guid))
                    continue;
                const QVariantList values{p.Phone, opt(p.Name), p.Attributes, opt(p.Address), opt(p.Notes)};
                if (key) {
                    up.reset();
                    up.bindAll(values);
                    up.bindInt64(6, key);
                    up.bindAll(values, 7);
                    up.exec();
                    count += sqlite3_changes(FBook.handle());
                } else {
                    ins.reset();
                    ins.bindAll(values);
                    ins.bind(6, p.Guid);
                    ins.exec();
                    ++count;
                }
            }
            find = TSqliteStatement();
            del = TSqliteStatement();
            up = TSqliteStatement();
            ins = TSqliteStatement();
            // What came from the office does not go back to it.
            TOfficeOutbox::DropAbove(FBook.handle(), before);
            setState(FBook, QStringLiteral("LastSeq"), last);
            tr.commit();
            if (applied)
                *applied += count;
        } catch (const TTableError &e) {
            FError = e.message();
            return false;
        }
    }
}

#pragma once
// One connection to the office's PostgreSQL server. Every call waits at most
// its time-out for the server (a server that accepts and never answers is
// dropped), so the thread using it never hangs; it is never the UI thread.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

struct pg_conn;

class TOfficeServer {
public:
    // A subscriber as the office holds it.
    struct TPerson {
        QString Guid;
        bool Deleted = false;
        QString Phone, Name, Address, Notes;
        int Attributes = 0;
        qint64 Seq = 0;
    };
    // A call as the office holds it.
    struct TCall {
        QString Workstation;
        QString Journal;   // "in" or "out"
        qint64 CallId = 0;
        QString Phone;
        double Time = 0;     // days since 30.12.1899
        double Length = 0;   // days
        QStringList Fields;  // Field_1..Field_7
        double Reminder = 0;
    };
    struct TCallFilter {
        double From = 0, To = 0;   // 0: open
        QString Number, Workstation, ExceptWorkstation;
        int Limit = 0;
    };

    static constexpr int SchemaVersion = 1;
    static constexpr const char *Channel = "konvelo_book";

    TOfficeServer() = default;
    ~TOfficeServer();
    TOfficeServer(const TOfficeServer &) = delete;
    TOfficeServer &operator=(const TOfficeServer &) = delete;

    // Connects within timeoutMs (libpq's own connect_timeout bounds each host).
    bool Connect(const QString &conninfo, int timeoutMs);
    void Disconnect();
    bool Connected() const { return FConn != nullptr; }
    QString LastError() const { return FError; }
    int Socket() const;

    // Creates or upgrades the office's tables, each step in one transaction; the version.
    int InitSchema();

    // Each returns false (and drops the connection) on a failure.
    bool PutCall(const QString &workstation, const TCall &call);
    bool DeleteCall(const QString &workstation, const QString &journal, qint64 callId);
    bool PutPerson(const QString &workstation, const TPerson &p);   // later arrival wins; tombstones stay
    bool DeletePerson(const QString &workstation, const QString &guid, const QString &phone);
    // Joins a subscriber of a workstation's own book: the office's Guid for the
    // number (p's own when the office did not have it; empty when it was deleted there).
    bool JoinPerson(const QString &workstation, const TPerson &p, QString &officeGuid);
    bool Changes(qint64 afterSeq, int limit, QList<TPerson> &out);
    bool Calls(const TCallFilter &f, QList<TCall> &out);
    bool Listen();
    // Reads what arrived on the socket; true when a change notification came.
    bool TakeNotifications();

private:
    bool run(const QString &sql, const QVariantList &params, QList<QVariantList> *rows = nullptr);
    bool fail(const QString &error);

    pg_conn *FConn = nullptr;
    QString FError;
    int FTimeoutMs = 5000;
};

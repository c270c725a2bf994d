#pragma once
// One workstation's side of the office link over its data folder: sends the
// outboxes of the three table files in order and removes what the server
// confirmed, and brings the office's book changes into the local address book.
// Works on its own connections to the files, so it may run on any thread.
#include "TOfficeServer.h"
#include "records/TSqliteDatabase.h"
#include <QString>

class TOfficeSync {
public:
    TOfficeSync(const QString &dataDir, const QString &workstation);

    // Creates the outboxes and triggers in the files that exist. Throws TTableError.
    static void Install(const QString &dataDir);
    // Drops the triggers (the office turned off); what is queued stays.
    static void Uninstall(const QString &dataDir);

    // Opens the files (those that exist); false with Error() when one cannot be opened.
    bool Open();
    // Entries still to send, over the three files.
    qint64 Pending();
    // Sends every entry; false when the server failed (what was confirmed is gone from the outbox).
    bool Publish(TOfficeServer &server, int *sent = nullptr);
    // Applies the office's book changes made since the last catch-up; applied counts rows written.
    bool CatchUp(TOfficeServer &server, int *applied = nullptr);
    QString Error() const { return FError; }
    // The last Publish changed local rows (a joined subscriber took the office's id).
    bool Adopted() const { return FAdopted; }

    static constexpr int Batch = 200;

private:
    bool publishFile(TSqliteDatabase &db, const QString &journal, TOfficeServer &server, int *sent);
    bool readCall(TSqliteDatabase &db, const QString &journal, qint64 key, TOfficeServer::TCall &call);
    bool readPerson(qint64 key, TOfficeServer::TPerson &p);

    QString FData;
    QString FWorkstation;
    TSqliteDatabase FBook, FIn, FOut;
    QString FError;
    bool FAdopted = false;
};

#pragma once
// What the office tests share: a workstation's base folder with its three
// table files, and a call row.
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <functional>
#include <memory>

struct TWorkstationFiles {
    QTemporaryDir Base;
    QString Data = Base.path() + QStringLiteral("/Data");
    std::unique_ptr<TAddressBook> Book = std::make_unique<TAddressBook>(Data + QStringLiteral("/AddressBook"));
    std::unique_ptr<TIncomingCallBook> In = std::make_unique<TIncomingCallBook>(Data + QStringLiteral("/InCalls"));
    std::unique_ptr<TOutgoingCallBook> Out = std::make_unique<TOutgoingCallBook>(Data + QStringLiteral("/OutCalls"));

    void reopen()
    {
        Book = std::make_unique<TAddressBook>(Data + QStringLiteral("/AddressBook"));
        In = std::make_unique<TIncomingCallBook>(Data + QStringLiteral("/InCalls"));
        Out = std::make_unique<TOutgoingCallBook>(Data + QStringLiteral("/OutCalls"));
    }
    qint64 addPerson(const QString &phone, const QString &name)
    {
        return Book->AddPerson(phone, name, 0, QString(), QString(), QString(), 50, false);
    }
    qint64 addCall(const QString &phone, double time = 46000.5)
    {
        TInCall c;
        c.Phone = phone;
        c.Time = TDateTime(time);
        c.Length = TDateTime(30.0 / 86400);
        return In->AddCall(c);
    }
};

// Runs the event loop until pred holds or ms pass.
inline bool waitFor(const std::function<bool()> &pred, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

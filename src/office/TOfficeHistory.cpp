#include "TOfficeHistory.h"

TOfficeHistory::TOfficeHistory(const QString &conninfo, const QString &workstation, QObject *owner)
    : QObject(owner), FConninfo(conninfo), FWorkstation(workstation)
{
    FThread = std::thread(&TOfficeHistory::run, this);
}

TOfficeHistory::~TOfficeHistory()
{
    {
        std::lock_guard<std::mutex> g(FLock);
        FStop = true;
    }
    FWake.notify_all();
    FThread.join();
}

int TOfficeHistory::Request(const QString &number)
{
    int id;
    {
        std::lock_guard<std::mutex> g(FLock);
        id = ++FNextId;
        FPendingId = id;
        FPendingNumber = number;
    }
    FWake.notify_all();
    return id;
}

void TOfficeHistory::run()
{
    TOfficeServer server;
    for (;;) {
        int id;
        QString number;
        {
            std::unique_lock<std::mutex> g(FLock);
            FWake.wait(g, [this] { return FStop || FPendingId != 0; });
            if (FStop)
                return;
            id = FPendingId;
            number = FPendingNumber;
            FPendingId = 0;
        }
        QList<TOfficeServer::TCall> calls;
        TOfficeServer::TCallFilter f;
        f.Number = number;
        f.ExceptWorkstation = FWorkstation;
        f.Limit = Limit;
        const bool wasConnected = server.Connected();
        bool ok = (wasConnected || server.Connect(FConninfo, TimeoutMs)) && server.Calls(f, calls);
        if (!ok && wasConnected && !server.Connected())   // the kept connection had broken: once more
            ok = server.Connect(FConninfo, TimeoutMs) && server.Calls(f, calls);
        QMetaObject::invokeMethod(
            this, [this, id, number, calls, ok] { emit arrived(id, number, calls, ok); }, Qt::QueuedConnection);
    }
}

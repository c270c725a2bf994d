#pragma once
// The office's calls of a number from the other workstations, read from the
// server on a thread of its own. Only the newest request is served (an older
// one still waiting is dropped); the answer comes as a queued signal.
#include "TOfficeServer.h"
#include <QObject>
#include <condition_variable>
#include <mutex>
#include <thread>

class TOfficeHistory : public QObject {
    Q_OBJECT
public:
    TOfficeHistory(const QString &conninfo, const QString &workstation, QObject *owner = nullptr);
    ~TOfficeHistory() override;

    // Asks for the number's calls of every other workstation; returns the request's id.
    int Request(const QString &number);
    QString Workstation() const { return FWorkstation; }

    // Milliseconds a window waits for the answer before it says the office is unreachable.
    static constexpr int TimeoutMs = 1000;
    static constexpr int Limit = 200;

signals:
    void arrived(int id, const QString &number, const QList<TOfficeServer::TCall> &calls, bool ok);

private:
    void run();

    QString FConninfo;
    QString FWorkstation;
    std::thread FThread;
    std::mutex FLock;
    std::condition_variable FWake;
    bool FStop = false;
    int FNextId = 0;
    int FPendingId = 0;   // 0: none
    QString FPendingNumber;
};

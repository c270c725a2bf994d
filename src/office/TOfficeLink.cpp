#include "TOfficeLink.h"
#include "TOfficeServer.h"
#include "TOfficeSync.h"
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

TOfficeLink::TOfficeLink(QObject *owner) : QObject(owner)
{
    if (pipe2(FWake, O_NONBLOCK | O_CLOEXEC) != 0)
        FWake[0] = FWake[1] = -1;
}

TOfficeLink::~TOfficeLink()
{
    Stop();
    for (int fd : FWake)
        if (fd >= 0)
            close(fd);
}

void TOfficeLink::Start(const QString &conninfo, const QString &workstation, const QString &dataDir)
{
    Stop();
    TOfficeSync::Install(dataDir);
    FStop = false;
    FThread = std::thread(&TOfficeLink::run, this, conninfo, workstation, dataDir);
}

void TOfficeLink::Stop()
{
    if (!FThread.joinable())
        return;
    FStop = true;
    Wake();
    FThread.join();
}

void TOfficeLink::Attach(TRecordTable &Book, TRecordTable &InCalls, TRecordTable &OutCalls)
{
    connect(this, &TOfficeLink::bookChanged, &Book, &TRecordTable::refreshView);
    for (TRecordTable *t : {&Book, &InCalls, &OutCalls})
        connect(t, &TRecordTable::changed, this, &TOfficeLink::Wake);
}

void TOfficeLink::Wake()
{
    if (FWake[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] ssize_t n = write(FWake[1], &c, 1);
    }
}

TOfficeLink::TState TOfficeLink::State() const
{
    std::lock_guard<std::mutex> g(FLock);
    return FState;
}

QString TOfficeLink::StatusText(const TState &s)
{
    if (s.Connected)
        return QStringLiteral("Офис: подключено");
    return QStringLiteral("Офис: нет связи, в очереди %1").arg(s.Queued);
}

void TOfficeLink::report(bool connected, qint64 queued, const QString &error)
{
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FState.Connected == connected && FState.Queued == queued && FState.Error == error)
            return;
        FState = {connected, queued, error};
    }
    emit stateChanged();
}

// Waits for the server's socket (fd, -1 for none), a wake-up or ms.
void TOfficeLink::wait(int fd, int ms)
{
    pollfd p[2] = {{FWake[0], POLLIN, 0}, {fd, POLLIN, 0}};
    poll(p, fd >= 0 ? 2 : 1, ms);
    char buf[64];
    while (read(FWake[0], buf, sizeof buf) > 0) {
    }
}

void TOfficeLink::run(QString conninfo, QString workstation, QString dataDir)
{
    TOfficeSync sync(dataDir, workstation);
    TOfficeServer server;
    int retryMs = 500;
    bool opened = false;
    while (!FStop) {
        if (!opened && !(opened = sync.Open())) {
            report(false, 0, sync.Error());
            wait(-1, 5000);
            continue;
        }
        if (!server.Connected()) {
            if (!server.Connect(conninfo, FTimeoutMs) || server.InitSchema() < 0 || !server.Listen()) {
                report(false, sync.Pending(), server.LastError());
                server.Disconnect();
                wait(-1, retryMs);
                retryMs = std::min(retryMs * 2, 10000);
                continue;
            }
            retryMs = 500;
        }
        // Own changes first, so that a catch-up never overwrites one not yet sent.
        int applied = 0;
        const bool published = sync.Publish(server);
        if (published && sync.Adopted())
            emit bookChanged();
        if (!published || !sync.CatchUp(server, &applied)) {
            report(false, sync.Pending(), sync.Error().isEmpty() ? server.LastError() : sync.Error());
            server.Disconnect();
            continue;
        }
        if (applied > 0)
            emit bookChanged();
        report(true, sync.Pending(), QString());
        // Woken by a local change, a notification, or once a second for changes
        // other programs (konvelo-cli) committed to the files.
        wait(server.Socket(), 1000);
        server.TakeNotifications();
    }
    server.Disconnect();
}

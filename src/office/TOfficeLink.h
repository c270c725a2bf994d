#pragma once
// The office link of a running program: a worker thread that keeps a
// connection to the office's server, sends the outboxes as soon as a change
// is committed, listens for the office's book changes and catches up after a
// start or a reconnect. Nothing here ever blocks the thread that owns it.
#include <QObject>
#include "records/TRecordTable.h"
#include <QString>
#include <atomic>
#include <mutex>
#include <thread>

class TOfficeLink : public QObject {
    Q_OBJECT
public:
    struct TState {
        bool Connected = false;
        qint64 Queued = 0;
        QString Error;
    };

    explicit TOfficeLink(QObject *owner = nullptr);
    ~TOfficeLink() override;

    // Installs the outboxes in dataDir's table files and starts the thread.
    // Throws TTableError when a file cannot be prepared.
    void Start(const QString &conninfo, const QString &workstation, const QString &dataDir);
    void Stop();
    bool Running() const { return FThread.joinable(); }
    // A change was committed: send it now.
    void Wake();
    // Wakes on every change of the tables; the book's view follows the office's changes.
    void Attach(TRecordTable &Book, TRecordTable &InCalls, TRecordTable &OutCalls);
    TState State() const;
    // "Офис: подключено" / "Офис: нет связи, в очереди N"
    static QString StatusText(const TState &s);

    // Milliseconds the thread waits for the server (connect and each statement).
    void setTimeout(int ms) { FTimeoutMs = ms; }

signals:
    void stateChanged();
    // The office's changes were written to the local address book.
    void bookChanged();

private:
    void run(QString conninfo, QString workstation, QString dataDir);
    void wait(int fd, int ms);
    void report(bool connected, qint64 queued, const QString &error);

    std::thread FThread;
    std::atomic<bool> FStop{false};
    int FWake[2] = {-1, -1};
    int FTimeoutMs = 5000;
    mutable std::mutex FLock;
    TState FState;
};

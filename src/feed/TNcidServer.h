#pragma once
// The NCID-compatible TCP server: greets each allowed client with the startup
// lines and the call log, then sends every line given to Send to all clients.
// Nothing here blocks: writes go into each socket's buffer, and a client that
// lets 64 KB wait for it is dropped; what clients send is read and discarded.
#include "TClientFilter.h"
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

class TNcidServer : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxClients = 32;
    static constexpr qint64 MaxWaiting = 64 * 1024;   // bytes a client may leave unread
    static constexpr qint64 ReadBufferSize = 4096;     // bytes read from a client at a time

    explicit TNcidServer(QObject *parent = nullptr);
    ~TNcidServer() override;

    // Listens on Address:Port (port 0: any free one); false, with ErrorString(),
    // when that is not possible. Clients of an earlier Listen are dropped.
    bool Listen(const QHostAddress &Address, quint16 Port);
    void Close();
    bool IsListening() const { return FServer.isListening(); }
    quint16 ServerPort() const { return FServer.serverPort(); }
    QString ErrorString() const { return FError; }

    // Clients already connected that the new filter excludes are dropped.
    void SetFilter(const TClientFilter &Filter);
    // The CIDLOG:/OUTLOG: lines a new client gets, oldest first.
    void SetCallLog(std::function<QStringList()> CallLog) { FCallLog = std::move(CallLog); }
    static QString Version();

    // Sends Line (without CR LF) to every client.
    void Send(const QString &Line);
    int ClientCount() const { return int(FClients.size()); }

signals:
    // A connection was closed at once: its address is not allowed, or the server is full.
    void clientRefused(const QHostAddress &Address);

private:
    void acceptClients();
    void greet(QTcpSocket *Client);
    // Writes and pushes the bytes on; false when the client was dropped. Allowance
    // is what may wait beyond MaxWaiting.
    bool writeTo(QTcpSocket *Client, const QByteArray &Bytes, qint64 Allowance = 0);
    void drop(QTcpSocket *Client);

    QTcpServer FServer;
    QList<QTcpSocket *> FClients;
    TClientFilter FFilter;
    std::function<QStringList()> FCallLog;
    QString FError;
};

#include "TNcidServer.h"
#include "TNcidLine.h"
#include <QTcpSocket>

#ifndef KONVELO_VERSION
#define KONVELO_VERSION "0"
#endif

TNcidServer::TNcidServer(QObject *parent) : QObject(parent)
{
    connect(&FServer, &QTcpServer::newConnection, this, &TNcidServer::acceptClients);
}

TNcidServer::~TNcidServer()
{
    Close();
}

QString TNcidServer::Version()
{
    return QStringLiteral(KONVELO_VERSION);
}

bool TNcidServer::Listen(const QHostAddress &Address, quint16 Port)
{
    Close();
    FError.clear();
    if (!FServer.listen(Address, Port)) {
        FError = FServer.errorString();
        return false;
    }
    return true;
}

void TNcidServer::Close()
{
    FServer.close();
    const QList<QTcpSocket *> clients = FClients;
    for (QTcpSocket *c : clients)
        drop(c);
}

void TNcidServer::SetFilter(const TClientFilter &Filter)
{
    FFilter = Filter;
    const QList<QTcpSocket *> clients = FClients;
    for (QTcpSocket *c : clients)
        if (!FFilter.Allows(c->peerAddress()))
            drop(c);
}

void TNcidServer::acceptClients()
{
    while (QTcpSocket *c = FServer.nextPendingConnection()) {
        const QHostAddress peer = c->peerAddress();
        if (!FFilter.Allows(peer) || FClients.size() >= MaxClients) {
            c->abort();
            c->deleteLater();
            emit clientRefused(peer);
            continue;
        }
        FClients.append(c);
        c->setReadBufferSize(ReadBufferSize);
        c->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // The system's buffer too stays small, so that a client that does not read is noticed soon.
        c->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, int(MaxWaiting));
        connect(c, &QTcpSocket::readyRead, c, [c] { c->skip(c->bytesAvailable()); });
        connect(c, &QTcpSocket::disconnected, this, [this, c] { drop(c); });
        connect(c, &QTcpSocket::errorOccurred, this, [this, c] { drop(c); });
        greet(c);
    }
}

void TNcidServer::greet(QTcpSocket *Client)
{
    QByteArray out = TNcidLine::Wire(QStringLiteral("200 Server: Konvelo ") + Version());
    out += TNcidLine::Wire(QStringLiteral("210 API: 1.0 Feature Set 1"));
    const QStringList log = FCallLog ? FCallLog() : QStringList();
    for (const QString &line : log)
        out += TNcidLine::Wire(line);
    out += TNcidLine::Wire(log.isEmpty() ? QStringLiteral("252 Call log empty") : QStringLiteral("250 End of call log"));
    out += TNcidLine::Wire(QStringLiteral("300 End of connection startup"));
    // A long call log may exceed the limit by itself; what counts is what stays unsent after it.
    writeTo(Client, out, out.size());
}

void TNcidServer::Send(const QString &Line)
{
    const QByteArray bytes = TNcidLine::Wire(Line);
    const QList<QTcpSocket *> clients = FClients;
    for (QTcpSocket *c : clients)
        writeTo(c, bytes);
}

bool TNcidServer::writeTo(QTcpSocket *Client, const QByteArray &Bytes, qint64 Allowance)
{
    Client->write(Bytes);
    Client->flush();
    if (FClients.contains(Client) && Client->bytesToWrite() > MaxWaiting + Allowance) {
        drop(Client);
        return false;
    }
    return FClients.contains(Client);
}

void TNcidServer::drop(QTcpSocket *Client)
{
    if (!FClients.removeOne(Client))
        return;
    Client->disconnect(this);
    Client->abort();
    Client->deleteLater();
}

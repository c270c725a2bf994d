#pragma once
// Which client addresses may connect to the call feed: single addresses and
// subnets (192.168.1.0/24, fd00::/8). IPv4 clients reaching an IPv6 socket
// (::ffff:a.b.c.d) are matched as IPv4.
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QStringList>

class TClientFilter {
public:
    // Items that are no address or subnet are left out and listed in Rejected().
    explicit TClientFilter(const QStringList &Items = {});

    bool Allows(const QHostAddress &Address) const;
    const QStringList &Rejected() const { return FRejected; }

private:
    QList<QPair<QHostAddress, int>> FSubnets;
    QStringList FRejected;
};

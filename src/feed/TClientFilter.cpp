#include "TClientFilter.h"

namespace {
QHostAddress plain(const QHostAddress &a)
{
    bool ok = false;
    const quint32 v4 = a.toIPv4Address(&ok);
    return ok ? QHostAddress(v4) : a;
}
}

TClientFilter::TClientFilter(const QStringList &Items)
{
    for (const QString &item : Items) {
        QPair<QHostAddress, int> subnet;
        if (item.contains(u'/')) {
            subnet = QHostAddress::parseSubnet(item);
        } else {
            const QHostAddress a(item);
            subnet = {a, a.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128};
        }
        if (subnet.first.isNull() || subnet.second < 0) {
            FRejected << item;
            continue;
        }
        const bool wasV6 = subnet.first.protocol() == QAbstractSocket::IPv6Protocol;
        subnet.first = plain(subnet.first);
        if (wasV6 && subnet.first.protocol() == QAbstractSocket::IPv4Protocol)
            subnet.second = qMax(0, subnet.second - 96);   // ::ffff:a.b.c.d/n
        FSubnets << subnet;
    }
}

bool TClientFilter::Allows(const QHostAddress &Address) const
{
    const QHostAddress a = plain(Address);
    for (const auto &s : FSubnets)
        if (a.isInSubnet(s.first, s.second))
            return true;
    return false;
}

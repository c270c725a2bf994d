#pragma once
// What the feed tests share: the three tables in a temporary base folder, a
// feed listening on a free loopback port, and a client that collects lines.
#include "feed/TCallFeed.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QDir>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace FeedTest {

inline TDateTime at(int y, int mo, int d, int h, int mi, int s = 0)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

inline TDateTime seconds(double s)
{
    return TDateTime(s / 86400.0);
}

inline TInCall inCall(const QString &phone, TDateTime time, double secs)
{
    TInCall c;
    c.Phone = phone;
    c.Time = time;
    c.Length = seconds(secs);
    return c;
}

inline TOutCall outCall(const QString &phone, TDateTime time, double secs, TCallAttributes attributes = {caVRX})
{
    TOutCall c;
    c.Phone = phone;
    c.Time = time;
    c.Length = seconds(secs);
    c.Attributes = attributes.toByte();
    return c;
}

struct TTables {
    QTemporaryDir Dir;
    std::unique_ptr<TAddressBook> Book;
    std::unique_ptr<TIncomingCallBook> In;
    std::unique_ptr<TOutgoingCallBook> Out;

    TTables()
    {
        const QString data = QDir(Dir.path()).filePath(QStringLiteral("Data/"));
        Book = std::make_unique<TAddressBook>(data + QStringLiteral("AddressBook"));
        In = std::make_unique<TIncomingCallBook>(data + QStringLiteral("InCalls"));
        Out = std::make_unique<TOutgoingCallBook>(data + QStringLiteral("OutCalls"));
    }
    qint64 person(const QString &phone, const QString &name)
    {
        return Book->AddPerson(phone, name, 0, QString(), QString(), QString(), -1, false);
    }
    void in(const QString &phone, TDateTime time, double secs = 30) { In->AddCall(inCall(phone, time, secs)); }
    void out(const QString &phone, TDateTime time, double secs = 30) { Out->AddCall(outCall(phone, time, secs)); }
};

// Settings for a feed on a free loopback port.
inline TFeedSettings loopback()
{
    TFeedSettings s;
    s.Port = 0;
    return s;
}

class TClient {
public:
    // Connects from From (any 127.x.y.z address serves on Linux's loopback).
    bool connectTo(quint16 port, const QString &From = QString())
    {
        QObject::connect(&S, &QTcpSocket::readyRead, [this] { collect(); });
        if (!From.isEmpty() && !S.bind(QHostAddress(From)))
            return false;
        S.connectToHost(QHostAddress::LocalHost, port);
        return QTest::qWaitFor([this] { return S.state() == QAbstractSocket::ConnectedState; }, 5000);
    }
    // Waits until count lines have come, or the start-up up to its "300" line.
    bool waitLines(int count, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return Lines.size() >= count; }, ms);
    }
    bool waitStartup(int ms = 5000)
    {
        return QTest::qWaitFor([&] { return Lines.contains(QStringLiteral("300 End of connection startup")); }, ms);
    }
    bool waitClosed(int ms = 5000)
    {
        return QTest::qWaitFor([&] { return S.state() == QAbstractSocket::UnconnectedState; }, ms);
    }
    // Lines after the start-up lines.
    QStringList events() const
    {
        const qsizetype i = Lines.indexOf(QStringLiteral("300 End of connection startup"));
        return i < 0 ? QStringList() : Lines.mid(i + 1);
    }

    QTcpSocket S;
    QStringList Lines;
    bool BadEnding = false;   // a line that did not end in CR LF

private:
    void collect()
    {
        FPartial += S.readAll();
        qsizetype end;
        while ((end = FPartial.indexOf('\n')) >= 0) {
            QByteArray line = FPartial.left(end);
            FPartial.remove(0, end + 1);
            if (!line.endsWith('\r'))
                BadEnding = true;
            else
                line.chop(1);
            Lines << QString::fromUtf8(line);
        }
    }
    QByteArray FPartial;
};

}

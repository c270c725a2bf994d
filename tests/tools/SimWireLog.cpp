#include "SimWireLog.h"
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

namespace {
QByteArray hexPrefix(const QString &text)
{
    // The leading run of two-digit hexadecimal tokens.
    QByteArray out;
    for (const QString &t : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        static const QRegularExpression re(QStringLiteral("^[0-9A-F]{2}$"));
        if (!re.match(t).hasMatch())
            break;
        out.append(char(t.toInt(nullptr, 16)));
    }
    return out;
}
}

SimWireLog SimWireLog::read(const QString &path)
{
    SimWireLog log;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return log;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const int s1 = line.indexOf(QLatin1Char(' '));
        const int s2 = s1 < 0 ? -1 : line.indexOf(QLatin1Char(' '), s1 + 1);
        if (s2 < 0)
            continue;
        Entry e;
        const QDateTime t = QDateTime::fromString(line.left(s1), QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        if (!t.isValid())
            continue;
        e.msecs = t.toMSecsSinceEpoch();
        e.tag = line.mid(s1 + 1, s2 - s1 - 1);
        e.text = line.mid(s2 + 1);
        if (e.tag != QLatin1String("NOTE"))
            e.bytes = hexPrefix(e.text);
        log.FEntries.append(e);
    }
    return log;
}

QList<SimWireLog::Entry> SimWireLog::received() const
{
    QList<Entry> r;
    for (const Entry &e : FEntries)
        if (e.tag == QLatin1String("RX"))
            r.append(e);
    return r;
}

QList<SimWireLog::Entry> SimWireLog::sent() const
{
    QList<Entry> r;
    for (const Entry &e : FEntries)
        if (e.tag == QLatin1String("TX"))
            r.append(e);
    return r;
}

QList<QByteArray> SimWireLog::commands() const
{
    QList<QByteArray> r;
    for (const Entry &e : FEntries)
        if (e.tag == QLatin1String("CMD"))
            r.append(e.bytes);
    return r;
}

int SimWireLog::countCommands(uchar code) const
{
    int n = 0;
    for (const QByteArray &c : commands())
        n += !c.isEmpty() && uchar(c.at(0)) == code;
    return n;
}

QList<QByteArray> SimWireLog::commandsStartingWith(const QByteArray &prefix) const
{
    QList<QByteArray> r;
    for (const QByteArray &c : commands())
        if (c.startsWith(prefix))
            r.append(c);
    return r;
}

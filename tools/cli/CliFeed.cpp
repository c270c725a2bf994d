// konvelo-cli feed: a running program's call feed, each line as a JSON line.
#include "CliCommand.h"
#include "common/JsonLine.h"
#include "common/SignalQuit.h"
#include "feed/TNcidLine.h"
#include <QCoreApplication>
#include <QTcpSocket>
#include <QTimer>

namespace {

QString lineJson(const QString &text)
{
    const TNcidLine::TParsed p = TNcidLine::Parse(text);
    JsonLine j;
    if (!p.Valid) {
        j.add(QStringLiteral("raw"), text);
    } else if (p.Label.isEmpty()) {
        j.add(QStringLiteral("code"), p.Code).add(QStringLiteral("text"), p.Text);
    } else {
        j.add(QStringLiteral("type"), p.Label);
        for (const auto &f : p.Fields)
            j.add(f.first, f.second);
    }
    return j.toString();
}

int runFeed(const CliArgs &a)
{
    bool ok = true;
    const int port = a.has(QStringLiteral("port")) ? a.option(QStringLiteral("port")).toInt(&ok) : 3333;
    if (!ok || port <= 0 || port > 65535) {
        cliErr(QStringLiteral("--port takes a TCP port number"));
        return CliUsage;
    }
    const QString host = a.option(QStringLiteral("host"), QStringLiteral("127.0.0.1"));

    QTcpSocket socket;
    int status = CliOk;
    QByteArray partial;
    const auto takeLines = [&] {
        partial += socket.readAll();
        int end;
        while ((end = partial.indexOf('\n')) >= 0) {
            QByteArray line = partial.left(end);
            partial.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            cliOut(lineJson(QString::fromUtf8(line)));
        }
        // A line never ended is no line: keep memory bounded.
        if (partial.size() > 64 * 1024)
            partial.clear();
    };
    QObject::connect(&socket, &QTcpSocket::readyRead, takeLines);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, [&](QAbstractSocket::SocketError) {
        takeLines();
        cliErr(QStringLiteral("feed %1:%2: %3").arg(host).arg(port).arg(socket.errorString()));
        status = CliNotFound;
        QCoreApplication::quit();
    });
    if (SignalQuit *q = SignalQuit::instance())
        QObject::connect(q, &SignalQuit::signalled, [&] {
            socket.disconnect();
            QCoreApplication::quit();
        });
    if (SignalQuit::received())
        return CliOk;
    socket.connectToHost(host, quint16(port));
    QCoreApplication::exec();
    return status;
}

CliRegistration regFeed(CliCommand{
    QStringLiteral("feed"),
    QStringLiteral("feed [--port N] [--host H]   the call feed's lines as JSON lines until interrupted (127.0.0.1:3333)"),
    {QStringLiteral("host")},
    {},
    runFeed});
}

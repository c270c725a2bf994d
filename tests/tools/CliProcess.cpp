#include "CliProcess.h"
#include "PhoneSimProcess.h"
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <csignal>

QString CliProcess::program()
{
    return QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli");
}

bool CliProcess::hasSubcommand(const QString &name)
{
    static QString help;
    static bool read = false;
    if (!read) {
        read = true;
        PhoneSimProcess::ensureApplication();
        QProcess p;
        p.start(program(), {QStringLiteral("--help")});
        if (p.waitForFinished(10000))
            help = QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput());
    }
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t == name || t.startsWith(name + QLatin1Char(' ')))
            return true;
    }
    return false;
}

CliProcess::CliProcess()
{
    PhoneSimProcess::ensureApplication();
}

CliProcess::~CliProcess()
{
    if (FProcess.state() != QProcess::NotRunning) {
        FProcess.kill();
        FProcess.waitForFinished(3000);
    }
}

bool CliProcess::start(const QStringList &args)
{
    FProcess.start(program(), args);
    return FProcess.waitForStarted(5000);
}

bool CliProcess::run(const QStringList &args, int timeoutMs)
{
    return start(args) && waitForFinished(timeoutMs);
}

void CliProcess::collect()
{
    FPartial += FProcess.readAllStandardOutput();
    FErr += FProcess.readAllStandardError();
    int nl;
    while ((nl = FPartial.indexOf('\n')) >= 0) {
        FLines.append(QString::fromUtf8(FPartial.left(nl)).remove(QLatin1Char('\r')));
        FPartial.remove(0, nl + 1);
    }
}

bool CliProcess::waitForLine(const std::function<bool(const QString &)> &pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    int checked = 0;
    for (;;) {
        collect();
        for (; checked < FLines.size(); ++checked)
            if (pred(FLines.at(checked)))
                return true;
        if (deadline.hasExpired() || FProcess.state() == QProcess::NotRunning)
            return false;
        FProcess.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(200))));
    }
}

bool CliProcess::waitForEvent(const QString &event, int timeoutMs)
{
    return waitForLine([&](const QString &l) { return json(l).value(QStringLiteral("event")).toString() == event; },
                       timeoutMs);
}

bool CliProcess::waitForFinished(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (FProcess.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        FProcess.waitForFinished(int(qBound(qint64(1), deadline.remainingTime(), qint64(200))));
        collect();
    }
    collect();
    if (!FPartial.isEmpty()) {
        FLines.append(QString::fromUtf8(FPartial));
        FPartial.clear();
    }
    return FProcess.state() == QProcess::NotRunning;
}

void CliProcess::interrupt()
{
    if (FProcess.state() != QProcess::NotRunning)
        ::kill(pid_t(FProcess.processId()), SIGINT);
}

QStringList CliProcess::lines()
{
    collect();
    return FLines;
}

QStringList CliProcess::eventLines()
{
    QStringList r;
    for (const QString &l : lines()) {
        const QString e = json(l).value(QStringLiteral("event")).toString();
        if (!e.isEmpty() && e != QLatin1String("Identity") && e != QLatin1String("OnPhoneCode"))
            r.append(l);
    }
    return r;
}

QString CliProcess::errorText()
{
    collect();
    return QString::fromUtf8(FErr);
}

int CliProcess::exitCode() const
{
    return FProcess.exitCode();
}

bool CliProcess::crashed() const
{
    return FProcess.exitStatus() != QProcess::NormalExit;
}

QJsonObject CliProcess::json(const QString &line)
{
    if (!line.startsWith(QLatin1Char('{')))
        return {};
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

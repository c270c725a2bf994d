#include "PhoneSimProcess.h"
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <csignal>

QString PhoneSimProcess::program()
{
    return QStringLiteral(KONVELO_BIN_DIR "/tools/phonesim/konvelo-phonesim");
}

void PhoneSimProcess::ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_tools";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

PhoneSimProcess::PhoneSimProcess(const QString &logPath, const QStringList &args, const QString &scenario)
    : FLogPath(logPath), FArgs(args), FScenario(scenario)
{
    ensureApplication();
}

PhoneSimProcess::~PhoneSimProcess()
{
    if (FProcess.state() != QProcess::NotRunning) {
        FProcess.terminate();
        if (!FProcess.waitForFinished(3000)) {
            FProcess.kill();
            FProcess.waitForFinished(3000);
        }
    }
}

bool PhoneSimProcess::start(QString *error)
{
    QStringList args{QStringLiteral("--log"), FLogPath};
    args += FArgs;
    args << FScenario;
    FProcess.setProcessChannelMode(QProcess::SeparateChannels);
    FProcess.start(program(), args);
    if (!FProcess.waitForStarted(5000)) {
        if (error)
            *error = QStringLiteral("konvelo-phonesim did not start: ") + FProcess.errorString();
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!FProcess.canReadLine() && !deadline.hasExpired()) {
        if (FProcess.state() == QProcess::NotRunning)
            break;
        FProcess.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    if (!FProcess.canReadLine()) {
        if (error)
            *error = QStringLiteral("konvelo-phonesim printed no device: ")
                     + QString::fromUtf8(FProcess.readAllStandardError());
        return false;
    }
    FDevice = QString::fromUtf8(FProcess.readLine()).trimmed();
    return !FDevice.isEmpty();
}

void PhoneSimProcess::feed(const QString &lines)
{
    QByteArray b = lines.toUtf8();
    if (!b.endsWith('\n'))
        b.append('\n');
    FProcess.write(b);
    FProcess.waitForBytesWritten(1000);
}

void PhoneSimProcess::closeInput()
{
    FProcess.closeWriteChannel();
}

int PhoneSimProcess::stop(int timeoutMs)
{
    if (FProcess.state() == QProcess::NotRunning)
        return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1;
    FProcess.terminate();
    if (!FProcess.waitForFinished(timeoutMs)) {
        FProcess.kill();
        FProcess.waitForFinished(3000);
        return -1;
    }
    return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1;
}

void PhoneSimProcess::kill()
{
    FProcess.kill();
    FProcess.waitForFinished(3000);
}

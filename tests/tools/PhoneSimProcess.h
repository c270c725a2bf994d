#pragma once
// konvelo-phonesim as a child process: started on a pseudo-terminal of its own,
// with its wire log in a given folder and its scenario on standard input.
#include "SimWireLog.h"
#include <QProcess>
#include <QString>
#include <QStringList>

class PhoneSimProcess {
public:
    // The executable, located from the build tree.
    static QString program();
    // A QCoreApplication for the QProcess and QSerialPort objects of the tests.
    static void ensureApplication();

    // scenario: a file, or "-" for lines fed on standard input.
    PhoneSimProcess(const QString &logPath, const QStringList &args = {},
                    const QString &scenario = QStringLiteral("-"));
    ~PhoneSimProcess();

    // Starts it and waits for the device path; false (with the reason) otherwise.
    bool start(QString *error = nullptr);
    QString device() const { return FDevice; }
    QString logPath() const { return FLogPath; }
    // Scenario lines for its standard input ("\n" added when missing).
    void feed(const QString &lines);
    void closeInput();
    // SIGTERM and wait; returns the exit code (-1 when it crashed or hung).
    int stop(int timeoutMs = 5000);
    void kill();
    SimWireLog log() const { return SimWireLog::read(FLogPath); }
    QProcess &process() { return FProcess; }

private:
    QProcess FProcess;
    QString FLogPath;
    QStringList FArgs;
    QString FScenario;
    QString FDevice;
};

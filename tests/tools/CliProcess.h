#pragma once
// konvelo-cli as a child process: its standard output collected line by line.
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

class CliProcess {
public:
    static QString program();
    // Whether konvelo-cli --help lists the subcommand.
    static bool hasSubcommand(const QString &name);

    CliProcess();
    ~CliProcess();

    bool start(const QStringList &args);
    // Runs to the end; false when it did not end within the time.
    bool run(const QStringList &args, int timeoutMs);

    // Waits until a line that satisfies pred has been printed; false on time-out
    // or when the process ended without printing it.
    bool waitForLine(const std::function<bool(const QString &)> &pred, int timeoutMs);
    bool waitForEvent(const QString &event, int timeoutMs);
    bool waitForFinished(int timeoutMs);
    void interrupt();   // SIGINT, as a technician's Ctrl-C

    QStringList lines();   // every line printed so far
    // The "event" lines printed so far, minus the identity chatter (Identity and
    // OnPhoneCode) that model detection may bring in at any moment.
    QStringList eventLines();
    QString errorText();
    int exitCode() const;
    bool crashed() const;
    QProcess &process() { return FProcess; }

    static QJsonObject json(const QString &line);

private:
    void collect();
    QProcess FProcess;
    QStringList FLines;
    QByteArray FPartial;
    QByteArray FErr;
};

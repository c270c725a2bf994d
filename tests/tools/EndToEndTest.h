#pragma once
// Fixture of the end-to-end tests: konvelo-phonesim on a pseudo-terminal and
// konvelo-cli on its device, both as child processes, files in a temporary folder.
#include "CliProcess.h"
#include "PhoneSimProcess.h"
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PhoneSimProcess::ensureApplication();
        ASSERT_TRUE(FDir.isValid());
    }

    // Skips the test while konvelo-cli lacks the subcommand.
    bool requireCli(const QString &subcommand)
    {
        return CliProcess::hasSubcommand(subcommand);
    }

    QString path(const QString &name) const { return FDir.filePath(name); }
    QString write(const QString &name, const QByteArray &text)
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path(name);
    }

    std::unique_ptr<PhoneSimProcess> startSim(const QStringList &args = {},
                                              const QString &scenario = QStringLiteral("-"))
    {
        auto sim = std::make_unique<PhoneSimProcess>(path(QStringLiteral("sim%1.log").arg(++FSims)), args, scenario);
        QString error;
        EXPECT_TRUE(sim->start(&error)) << error.toStdString();
        return sim;
    }

    // The cli with --home in the test folder.
    QStringList cliArgs(QStringList args) const
    {
        args << QStringLiteral("--home") << FDir.path();
        return args;
    }

    // Waits until the simulator has begun its scenario (the program opened the line).
    static bool waitForScenarioStart(const PhoneSimProcess &sim, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            for (const SimWireLog::Entry &e : sim.log().entries())
                if (e.tag == QLatin1String("NOTE") && e.text == QLatin1String("scenario starts"))
                    return true;
            QThread::msleep(50);
        }
        return false;
    }

    // The line with its "Time" value replaced by "*", to compare the rest exactly.
    static QString withoutTime(const QString &line)
    {
        static const QRegularExpression re(QStringLiteral("\"Time\":(\"[^\"]*\"|null)"));
        return QString(line).replace(re, QStringLiteral("\"Time\":\"*\""));
    }
    static QStringList withoutTimes(const QStringList &lines)
    {
        QStringList r;
        for (const QString &l : lines)
            r << withoutTime(l);
        return r;
    }
    static QDateTime isoTime(const QString &text)
    {
        return QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    }
    // When the simulator sent the first message starting with these bytes.
    static QDateTime sentAt(const SimWireLog &log, const QByteArray &prefix, int nth = 0)
    {
        for (const SimWireLog::Entry &e : log.sent())
            if (e.bytes.startsWith(prefix) && nth-- == 0)
                return QDateTime::fromMSecsSinceEpoch(e.msecs);
        return {};
    }
    static std::string show(const QStringList &lines) { return ("\n" + lines.join(QLatin1Char('\n'))).toStdString(); }

    QTemporaryDir FDir;
    int FSims = 0;
};

#define REQUIRE_CLI(sub)                                                                          \
    do {                                                                                          \
        if (!requireCli(QStringLiteral(sub)))                                                     \
            GTEST_SKIP() << "konvelo-cli has no '" sub "' subcommand yet (tools/cli/CliPhone.cpp)"; \
    } while (0)

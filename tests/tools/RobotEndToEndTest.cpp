// konvelo-cli robot run against konvelo-phonesim in robot mode: the rows'
// outcomes, the list file against the journal, passes, and an interrupted call.
#include "EndToEndTest.h"
#include <QJsonObject>

namespace {

class RobotTest : public EndToEndTest {
protected:
    QStringList runArgs(const PhoneSimProcess &sim, const QString &list, QStringList extra = {})
    {
        return cliArgs(QStringList{QStringLiteral("robot"), QStringLiteral("run"), QStringLiteral("--port"),
                                   sim.device(), list}
                       + extra);
    }
    QStringList rowLines(CliProcess &cli)
    {
        QStringList rows;
        for (const QString &l : cli.lines())
            if (l.startsWith(QStringLiteral("{\"Row\"")))
                rows << l;
        return rows;
    }
    QByteArray readList(const QString &file)
    {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

} // namespace

TEST_F(RobotTest, TwoPassesMarkTheListAsTheJournalHasIt)
{
    REQUIRE_CLI("robot");
    // 2 reached, 0 busy, 4 cut off while dialling once and then reached.
    const QString list = write(QStringLiteral("list.txt"), "1112 = First |3\r\n2220 = Busy |0\r\n4444 = Cut |0\r\n");
    write(QStringLiteral("RobotConfig.ini"), "[Communication]\nNeedToRecord=1\nTimeOutRecord=2550\nCriterion=1\n");
    auto sim = startSim({QStringLiteral("--robot-step"), QStringLiteral("20"), QStringLiteral("--robot-answer"),
                         QStringLiteral("300")});
    CliProcess cli;
    ASSERT_TRUE(cli.run(runArgs(*sim, list, {QStringLiteral("--passes"), QStringLiteral("2")}), 60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.errorText().toStdString();
    const QStringList rows = rowLines(cli);
    ASSERT_EQ(rows.size(), 4) << show(cli.lines());
    // Pass 1: 1112 reached, 2220 busy, 4444 reached after its redial; pass 2: 2220 again.
    const QJsonObject first = CliProcess::json(rows[0]);
    EXPECT_EQ(first.value("Mark").toString(), "+");
    EXPECT_EQ(first.value("Count").toInt(), 4);
    EXPECT_FALSE(first.value("Call_ID").isNull());
    EXPECT_EQ(CliProcess::json(rows[1]).value("Mark").toString(), "-");
    EXPECT_TRUE(CliProcess::json(rows[1]).value("Call_ID").isNull());
    EXPECT_EQ(CliProcess::json(rows[2]).value("Phone").toString(), "4444");
    EXPECT_EQ(CliProcess::json(rows[2]).value("Mark").toString(), "+");
    EXPECT_EQ(CliProcess::json(rows[3]).value("Phone").toString(), "2220");
    EXPECT_EQ(CliProcess::json(rows[3]).value("Pass").toInt(), 2);
    const QJsonObject end = CliProcess::json(cli.lines().last());
    EXPECT_EQ(end.value("Why").toString(), QStringLiteral("Процесс завершен"));
    EXPECT_EQ(end.value("Successes").toInt(), 2);

    // On disk: "+" and the counts of the reached rows; "-" kept as "=".
    EXPECT_EQ(readList(list), QByteArray("1112 + First |4\r\n2220 = Busy |0\r\n4444 + Cut |1\r\n"));
    const SimWireLog log = sim->log();
    // The cut-off number was dialled twice; the criterion and wait for tones in the flags.
    const QList<QByteArray> dials = log.commandsStartingWith(QByteArray("\x82\x04\x04", 3));
    ASSERT_EQ(dials.size(), 2);
    EXPECT_EQ(uchar(dials[0].back()), 1 + 2);
    // Answer time 2550 s goes out as 255, in two nibbles.
    const QList<QByteArray> messages = log.commandsStartingWith(QByteArray(1, char(0x9B)));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QByteArray("\x9B\x0F\x0F\x01", 4));
    EXPECT_EQ(log.countCommands(0x80), 1);   // the hang-up at the end
}

TEST_F(RobotTest, InterruptDuringTheAnswerWritesTheReachedCall)
{
    REQUIRE_CLI("robot");
    const QString list = write(QStringLiteral("list.txt"), "7772 = Long answer |0\r\n8882 = Never dialled |0\r\n");
    write(QStringLiteral("RobotConfig.ini"), "[Communication]\nNeedToRecord=1\nTimeOutRecord=600\n");
    auto sim = startSim({QStringLiteral("--robot-step"), QStringLiteral("20"), QStringLiteral("--robot-answer"),
                         QStringLiteral("60000")});
    CliProcess cli;
    ASSERT_TRUE(cli.start(runArgs(*sim, list)));
    QDeadlineTimer deadline(20000);
    while (!cli.errorText().contains(QStringLiteral(" Запись ответа")) && !deadline.hasExpired()) {
        cli.waitForLine([](const QString &) { return false; }, 100);
    }
    ASSERT_FALSE(deadline.hasExpired()) << cli.errorText().toStdString();
    cli.interrupt();
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.errorText().toStdString();
    const QStringList rows = rowLines(cli);
    ASSERT_EQ(rows.size(), 1) << show(cli.lines());
    const QJsonObject row = CliProcess::json(rows[0]);
    EXPECT_EQ(row.value("Phone").toString(), "7772");
    EXPECT_FALSE(row.value("Call_ID").isNull());
    EXPECT_EQ(readList(list), QByteArray("7772 + Long answer |1\r\n8882 = Never dialled |0\r\n"));
    // The answer recorded so far is kept when a sound input exists.
    const QString file = row.value("FileName").toString();
    if (!file.isEmpty())
        EXPECT_TRUE(QFileInfo(file).size() > 0) << file.toStdString();
    EXPECT_EQ(sim->log().countCommands(0x80), 1);   // hung up
}

// konvelo-cli's phone commands against konvelo-phonesim: the bytes on the wire,
// their pacing, identification, port search, clock, call memory and parameters.
#include "EndToEndTest.h"
#include <algorithm>
#include <csignal>

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}

class CommandsTest : public EndToEndTest {
protected:
    // Runs a cli command on the simulator's device to its end.
    int runOn(CliProcess &cli, const PhoneSimProcess &sim, QStringList args, int timeoutMs = 30000)
    {
        args << QStringLiteral("--port") << sim.device();
        EXPECT_TRUE(cli.run(cliArgs(args), timeoutMs)) << args.join(' ').toStdString() << " did not end";
        EXPECT_FALSE(cli.crashed()) << args.join(' ').toStdString();
        return cli.exitCode();
    }
    // The received bytes of the command that starts with code, with their times.
    static QList<SimWireLog::Entry> commandBytes(const SimWireLog &log, uchar code, int length)
    {
        const QList<SimWireLog::Entry> rx = log.received();
        for (int i = 0; i < rx.size(); ++i)
            if (!rx.at(i).bytes.isEmpty() && uchar(rx.at(i).bytes.at(0)) == code)
                return rx.mid(i, length);
        return {};
    }
    // Records of read-memory's output, without the year-dependent times.
    static QStringList records(const QStringList &lines)
    {
        QStringList r;
        for (const QString &l : lines)
            if (l.startsWith(QStringLiteral(R"({"event":"OnPhoneRecord")")))
                r << l;
        return r;
    }
    QString memoryFile()
    {
        return write(QStringLiteral("memory.txt"), "in  05.03 14:07 0:01:27 4 1 1234567\n"
                                                   "in  06.03 09:30 0:00:05 0 2 12?\n"
                                                   "in  31.02 10:00 25:00:00 8 0 5550001\n"
                                                   "in  07.03 18:45 1:27:00 2 3\n"
                                                   "out 08.03 11:11 0:10:00 1 0 55*1\n"
                                                   "out 09.03 12:00 0:00:30 4 0 89161234567\n");
    }
    QStringList expectedRecords() const
    {
        const QString y = QString::number(QDate::currentDate().year());
        return {
            QStringLiteral(R"({"event":"OnPhoneRecord","CallKind":"ckIncoming","CallRec":{"Number":"1234567","Time":"%1-03-05T14:07:00.000","Duration":"00:01:27","Flags":4,"Category":1}})").arg(y),
            QStringLiteral(R"({"event":"OnPhoneRecord","CallKind":"ckIncoming","CallRec":{"Number":"12?","Time":"%1-03-06T09:30:00.000","Duration":"00:00:05","Flags":0,"Category":2}})").arg(y),
            QStringLiteral(R"({"event":"OnPhoneRecord","CallKind":"ckIncoming","CallRec":{"Number":"5550001","Time":null,"Duration":null,"Flags":8,"Category":0}})"),
            QStringLiteral(R"({"event":"OnPhoneRecord","CallKind":"ckIncoming","CallRec":{"Number":"","Time":"%1-03-07T18:45:00.000","Duration":"01:27:00","Flags":2,"Category":3}})").arg(y),
            QStringLiteral(R"({"event":"OnPhoneRecord","CallKind":"ckOutgoing","CallRec":{"Number":"55*1","Time":"%1-03-08T11:11:00.000","Duration":"00:10:00","Flags":1,"Category":0}})").arg(y),
            QStringLiteral(R"({"event":"OnPhoneRecord","CallKind":"ckOutgoing","CallRec":{"Number":"89161234567","Time":"%1-03-09T12:00:00.000","Duration":"00:00:30","Flags":4,"Category":0}})").arg(y),
        };
    }
};

TEST_F(CommandsTest, DialBytesArePacedOnTheWire)
{
    REQUIRE_CLI("dial");
    auto sim = startSim();
    CliProcess dial;
    ASSERT_EQ(runOn(dial, *sim, {"dial", "123456789012345"}), 0) << dial.errorText().toStdString();
    QList<SimWireLog::Entry> wire;
    for (QDeadlineTimer d(3000); wire.size() < 17 && !d.hasExpired(); QThread::msleep(50))
        wire = commandBytes(sim->log(), 0x90, 17);
    ASSERT_EQ(wire.size(), 17);
    QByteArray sent;
    for (const auto &e : wire)
        sent += e.bytes;
    EXPECT_EQ(sent, bytes({0x90, 15, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5}));
    // Each byte is followed by at least 7 ms. The simulator stamps bytes when it
    // reads them, and a busy machine may hand it two at once, so the check is on
    // the whole command's span rather than on each gap.
    QStringList shown;
    for (int i = 1; i < wire.size(); ++i)
        shown << QString::number(wire.at(i).msecs - wire.at(i - 1).msecs);
    EXPECT_GE(wire.last().msecs - wire.first().msecs, 7 * (wire.size() - 1))
        << "gaps ms: " << shown.join(' ').toStdString();
}

TEST_F(CommandsTest, DialChannelPrefixInvalidNumbersAndHangUp)
{
    REQUIRE_CLI("dial");
    REQUIRE_CLI("hangup");
    auto sim = startSim();
    CliProcess e, l, plain, bad, empty, hang;
    EXPECT_EQ(runOn(e, *sim, {"dial", "1234567", "--channel", "1"}), 0);
    EXPECT_EQ(runOn(l, *sim, {"--channel", "1", "dial", "L1234567"}), 0) << "options stand anywhere";
    EXPECT_EQ(runOn(plain, *sim, {"dial", "1234567", "--channel", "0"}), 0);
    EXPECT_EQ(runOn(bad, *sim, {"dial", "12?4"}), 2);
    EXPECT_TRUE(bad.errorText().contains(QStringLiteral("Hеверный номер"))) << bad.errorText().toStdString();
    EXPECT_EQ(runOn(empty, *sim, {"dial", "1(300)"}), 2);
    EXPECT_EQ(runOn(hang, *sim, {"hangup"}), 0);
    QThread::msleep(200);
    const SimWireLog log = sim->log();
    EXPECT_EQ(log.commandsStartingWith(bytes({0x90})),
              QList<QByteArray>({bytes({0x90, 9, 15, 2, 1, 2, 3, 4, 5, 6, 7}),
                                 bytes({0x90, 9, 15, 1, 1, 2, 3, 4, 5, 6, 7}),
                                 bytes({0x90, 7, 1, 2, 3, 4, 5, 6, 7})}))
        << "invalid numbers send nothing";
    EXPECT_EQ(log.countCommands(0x80), 1);
}

TEST_F(CommandsTest, IdentifyShowsTheModelAndCapabilitiesByFirmware)
{
    REQUIRE_CLI("identify");
    auto sim = startSim({"--model", "5.2.0.1.123", "--options", "10100111", "--firmware", "112", "--code", "12345"});
    CliProcess cli;
    ASSERT_EQ(runOn(cli, *sim, {"identify"}, 20000), 0) << cli.errorText().toStdString();
    EXPECT_EQ(cli.lines(), QStringList({QStringLiteral("Модель телефона"), QStringLiteral("05.2Ц1.123.10.1.00.111"),
                                        QStringLiteral("Версия программы телефона: 112"),
                                        QStringLiteral("Индивидуальный номер: 12345"),
                                        R"({"TalkDownload":true,"Robot":false,"PhoneSettings":true,"NibbleCells":true})"}));

    struct Case {
        const char *firmware;
        const char *capabilities;
        const char *model;
    };
    const Case cases[] = {
        {"109", R"({"TalkDownload":false,"Robot":false,"PhoneSettings":false,"NibbleCells":false})", "5.2.0.1.123"},
        {"110", R"({"TalkDownload":true,"Robot":false,"PhoneSettings":true,"NibbleCells":true})", "5.2.0.1.123"},
        {"120", R"({"TalkDownload":true,"Robot":true,"PhoneSettings":true,"NibbleCells":true})", "12.7.2.0.4Ф0"},
    };
    for (const Case &c : cases) {
        auto s = startSim({"--firmware", c.firmware, "--model", c.model, "--options", "01011000", "--code", "00042"});
        CliProcess id;
        ASSERT_EQ(runOn(id, *s, {"identify"}, 20000), 0) << c.firmware << id.errorText().toStdString();
        const QStringList lines = id.lines();
        ASSERT_EQ(lines.size(), 5) << show(lines);
        EXPECT_EQ(lines.at(2), QStringLiteral("Версия программы телефона: ") + QLatin1String(c.firmware));
        EXPECT_EQ(lines.at(3), QStringLiteral("Индивидуальный номер: 00042"));
        EXPECT_EQ(lines.at(4), QLatin1String(c.capabilities)) << c.firmware;
        if (QLatin1String(c.firmware) == QLatin1String("120"))
            EXPECT_EQ(lines.at(1), QStringLiteral("12.7С0.4Ф0.01.0.11.000"));
    }
}

TEST_F(CommandsTest, IdentifyGivesUpOnAPhoneWithoutAValidIndividualNumber)
{
    REQUIRE_CLI("identify");
    auto sim = startSim({"--code", "1234"});
    CliProcess cli;
    EXPECT_EQ(runOn(cli, *sim, {"identify"}, 20000), 1);
    EXPECT_TRUE(cli.lines().isEmpty()) << show(cli.lines());
    EXPECT_FALSE(cli.errorText().trimmed().isEmpty());
    // The model request kept being repeated while the number was not valid.
    EXPECT_GE(sim->log().countCommands(0x9D), 3);
}

TEST_F(CommandsTest, CheckPortNeedsAFiveDigitIndividualNumber)
{
    REQUIRE_CLI("check-port");
    auto good = startSim({"--code", "12345", "--code-delay", "150"});
    CliProcess ok;
    EXPECT_EQ(runOn(ok, *good, {"check-port"}), 0) << ok.errorText().toStdString();

    auto four = startSim({"--code", "1234"});
    CliProcess pending;
    EXPECT_EQ(runOn(pending, *four, {"check-port"}), 1);
    // The check asked again and again before giving up, and never more than 11 times.
    const int asked = four->log().countCommands(0x95);
    EXPECT_GT(asked, 1);
    EXPECT_LE(asked, 11);

    auto mute = startSim({"--no-code"});
    CliProcess none;
    EXPECT_EQ(runOn(none, *mute, {"check-port"}), 1);
}

TEST_F(CommandsTest, FindPortFindsThePhoneOnTheThirdPortOrNone)
{
    REQUIRE_CLI("find-port");
    auto deaf1 = startSim({"--ignore", "all"});
    auto deaf2 = startSim({"--ignore", "all"});
    auto phone = startSim();
    CliProcess found;
    ASSERT_TRUE(found.run(cliArgs({"find-port", "--ports", deaf1->device() + "," + deaf2->device() + "," + phone->device()}),
                          60000));
    EXPECT_EQ(found.exitCode(), 0) << found.errorText().toStdString();
    EXPECT_EQ(found.lines(), QStringList{phone->device()});
    // Each silent port was asked for the individual number before the next was tried.
    EXPECT_GE(deaf1->log().countCommands(0x95), 1);
    EXPECT_GE(deaf2->log().countCommands(0x95), 1);
    EXPECT_GE(phone->log().countCommands(0x95), 1);

    auto deaf3 = startSim({"--ignore", "all"});
    CliProcess nothing;
    ASSERT_TRUE(nothing.run(cliArgs({"find-port", "--port", deaf3->device(), "--ports",
                                     deaf1->device() + "," + deaf2->device()}),
                            60000));
    EXPECT_EQ(nothing.exitCode(), 1);
    EXPECT_TRUE(nothing.lines().isEmpty()) << show(nothing.lines());
    // The configured port is opened again after the others were tried.
    qint64 lastAsked = 0, reopened = 0;
    for (const SimWireLog::Entry &e : deaf2->log().entries())
        if (e.tag == QLatin1String("CMD"))
            lastAsked = e.msecs;
    for (const SimWireLog::Entry &e : deaf3->log().entries())
        if (e.tag == QLatin1String("NOTE") && e.text == QLatin1String("device opened by the program"))
            reopened = e.msecs;
    EXPECT_GE(reopened, lastAsked) << "the configured port was not selected again";
}

TEST_F(CommandsTest, FindPortSurvivesAPortVanishingDuringTheSearch)
{
    REQUIRE_CLI("find-port");
    auto vanishing = startSim({"--ignore", "all"});
    auto phone = startSim();
    CliProcess cli;
    ASSERT_TRUE(cli.start(cliArgs({"find-port", "--ports", vanishing->device() + "," + phone->device()})));
    for (QDeadlineTimer d(10000); vanishing->log().countCommands(0x95) < 1 && !d.hasExpired();)
        QThread::msleep(20);
    ASSERT_GE(vanishing->log().countCommands(0x95), 1);
    vanishing->kill();
    ASSERT_TRUE(cli.waitForFinished(30000)) << "find-port hangs after a port vanished";
    EXPECT_FALSE(cli.crashed());
    if (cli.exitCode() == 0)
        EXPECT_EQ(cli.lines(), QStringList{phone->device()});
    else
        EXPECT_FALSE(cli.errorText().trimmed().isEmpty()) << "a failed search says why";
}

TEST_F(CommandsTest, ClockIsSetAndReadBack)
{
    REQUIRE_CLI("set-clock");
    REQUIRE_CLI("read-clock");
    auto sim = startSim();
    CliProcess set, set99, read, badTime;
    EXPECT_EQ(runOn(set99, *sim, {"set-clock", "--time", "1999-12-31T23:59:58"}), 0);
    EXPECT_EQ(runOn(set, *sim, {"set-clock", "--time", "2004-03-05T14:07:09"}), 0);
    ASSERT_EQ(runOn(read, *sim, {"read-clock"}), 0) << read.errorText().toStdString();
    EXPECT_EQ(runOn(badTime, *sim, {"set-clock", "--time", "yesterday"}), 2);
    EXPECT_EQ(sim->log().commandsStartingWith(bytes({0x91})),
              QList<QByteArray>({bytes({0x91, 23, 59, 58, 31, 12, 99}), bytes({0x91, 14, 7, 9, 5, 3, 4})}));
    ASSERT_EQ(read.lines().size(), 1) << show(read.lines());
    const QDateTime phone = QDateTime::fromString(read.lines().first(), Qt::ISODateWithMs);
    const QDateTime set0(QDate(2004, 3, 5), QTime(14, 7, 9));
    ASSERT_TRUE(phone.isValid()) << read.lines().first().toStdString();
    EXPECT_GE(phone, set0);
    EXPECT_LT(set0.secsTo(phone), 60) << "the phone's clock runs on from the time set";
}

TEST_F(CommandsTest, ReadMemoryReportsBothMemoriesCellByCell)
{
    REQUIRE_CLI("read-memory");
    auto sim = startSim({"--memory", memoryFile(), "--firmware", "112"});
    CliProcess cli;
    EXPECT_EQ(runOn(cli, *sim, {"read-memory"}), 0) << cli.errorText().toStdString();
    EXPECT_EQ(records(cli.lines()), expectedRecords()) << show(cli.lines());
    const SimWireLog log = sim->log();
    // Incoming first, each kind up to its first empty cell, nibble-word cells.
    QList<QByteArray> asked;
    for (const QByteArray &c : log.commands())
        if (c.startsWith(char(0x92)) || c.startsWith(char(0x93)))
            asked << c;
    EXPECT_EQ(asked, QList<QByteArray>({bytes({0x92, 0, 0, 0, 0}), bytes({0x92, 0, 0, 0, 1}), bytes({0x92, 0, 0, 0, 2}),
                                        bytes({0x92, 0, 0, 0, 3}), bytes({0x92, 0, 0, 0, 4}), bytes({0x93, 0, 0, 0, 0}),
                                        bytes({0x93, 0, 0, 0, 1}), bytes({0x93, 0, 0, 0, 2})}));

    // Firmware 109 takes one-byte cells, and the same records come.
    auto old = startSim({"--memory", memoryFile(), "--firmware", "109"});
    CliProcess oldCli;
    EXPECT_EQ(runOn(oldCli, *old, {"read-memory"}), 0) << oldCli.errorText().toStdString();
    EXPECT_EQ(records(oldCli.lines()), expectedRecords()) << show(oldCli.lines());
    EXPECT_EQ(old->log().commandsStartingWith(bytes({0x92})).value(1), bytes({0x92, 1}));
}

TEST_F(CommandsTest, ReadMemoryStopsAtTheLastCellOfAFullMemory)
{
    REQUIRE_CLI("read-memory");
    QByteArray text;
    for (int i = 0; i < 98; ++i)   // one more than the phone holds
        text += QStringLiteral("in %1.%2 10:00 0:00:10 0 1 %3\n")
                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                    .arg(i / 28 + 1, 2, 10, QLatin1Char('0'))
                    .arg(1000000 + i)
                    .toLatin1();
    auto sim = startSim({"--memory", write(QStringLiteral("full.txt"), text)});
    CliProcess cli;
    EXPECT_EQ(runOn(cli, *sim, {"read-memory"}, 60000), 0);
    const QStringList recs = records(cli.lines());
    ASSERT_EQ(recs.size(), 97);
    EXPECT_TRUE(recs.last().contains(QStringLiteral("\"Number\":\"1000096\"")));
    const QList<QByteArray> in = sim->log().commandsStartingWith(bytes({0x92}));
    ASSERT_FALSE(in.isEmpty());
    EXPECT_EQ(in.last(), bytes({0x92, 0, 0, 6, 0})) << "no cell past 96 is asked for";
}

TEST_F(CommandsTest, UnansweredRecordRequestsEndAfterTwelve)
{
    REQUIRE_CLI("read-memory");
    auto sim = startSim({"--memory", memoryFile(), "--ignore", "92"});
    CliProcess cli;
    runOn(cli, *sim, {"read-memory"}, 60000);
    EXPECT_EQ(sim->log().countCommands(0x92), 12);
    // The outgoing memory is still read after the incoming one gave up.
    const QStringList recs = records(cli.lines());
    EXPECT_EQ(recs, expectedRecords().mid(4)) << show(cli.lines());
}

TEST_F(CommandsTest, ReadMemoryOfAPhoneWithoutFirmwareVersionAsksForItAndEnds)
{
    REQUIRE_CLI("read-memory");
    auto sim = startSim({"--memory", memoryFile(), "--firmware", "0"});
    CliProcess cli;
    // Every version reply restarts the request; twelve requests per kind take about 10 s.
    runOn(cli, *sim, {"read-memory"}, 25000);
    EXPECT_TRUE(records(cli.lines()).isEmpty()) << show(cli.lines());
    const SimWireLog log = sim->log();
    EXPECT_EQ(log.countCommands(0x92) + log.countCommands(0x93), 0) << "no cell is asked for while the version is 0";
    EXPECT_GE(log.countCommands(0x9C), 12);
}

TEST_F(CommandsTest, LateRepliesGiveEveryCellExactlyOnce)
{
    REQUIRE_CLI("read-memory");
    auto sim = startSim({"--memory", memoryFile(), "--reply-delay", "600"});
    CliProcess cli;
    EXPECT_EQ(runOn(cli, *sim, {"read-memory"}, 90000), 0) << cli.errorText().toStdString();
    EXPECT_EQ(records(cli.lines()), expectedRecords()) << show(cli.lines());
    // The late phone was asked more than once for some cells: the resends happened.
    EXPECT_GT(sim->log().countCommands(0x92), 5);
}

TEST_F(CommandsTest, PhoneVanishingDuringTheMemoryReadEndsItWithAMessage)
{
    REQUIRE_CLI("read-memory");
    auto sim = startSim({"--memory", memoryFile(), "--reply-delay", "300"});
    CliProcess cli;
    ASSERT_TRUE(cli.start(cliArgs({"read-memory", "--port", sim->device()})));
    ASSERT_TRUE(cli.waitForLine([](const QString &l) { return l.contains(QStringLiteral("OnPhoneRecord")); }, 20000));
    sim->kill();
    ASSERT_TRUE(cli.waitForFinished(30000)) << "the read hangs after the phone vanished";
    EXPECT_FALSE(cli.crashed());
    EXPECT_NE(cli.exitCode(), 0);
    EXPECT_FALSE(cli.errorText().trimmed().isEmpty());
}

// Every executable ends in order on SIGTERM, also in the middle of a long command.
TEST_F(CommandsTest, MemoryReadEndsOnSigterm)
{
    REQUIRE_CLI("read-memory");
    auto sim = startSim({"--ignore", "92,93"});
    CliProcess cli;
    ASSERT_TRUE(cli.start(cliArgs({"read-memory", "--port", sim->device()})));
    for (QDeadlineTimer d(10000); sim->log().countCommands(0x92) < 2 && !d.hasExpired();)
        QThread::msleep(50);
    ASSERT_GE(sim->log().countCommands(0x92), 2);
    cli.process().terminate();
    EXPECT_TRUE(cli.waitForFinished(5000)) << "read-memory goes on after SIGTERM";
    EXPECT_FALSE(cli.crashed());
}

TEST_F(CommandsTest, ParametersAreReadAndWritten)
{
    REQUIRE_CLI("param");
    auto sim = startSim({"--params", write(QStringLiteral("params.txt"), "300=5,0\n301=9\n")});
    CliProcess get, set, again, one, unknown, bad;
    EXPECT_EQ(runOn(get, *sim, {"param", "get", "300"}), 0);
    EXPECT_EQ(get.lines(), QStringList{R"({"event":"ParamReceived","Address":300,"Values":[5,0]})"});
    EXPECT_EQ(runOn(set, *sim, {"param", "set", "300", "7"}), 0);
    EXPECT_EQ(runOn(again, *sim, {"param", "get", "300"}), 0);
    EXPECT_EQ(again.lines(), QStringList{R"({"event":"ParamReceived","Address":300,"Values":[7]})"});
    EXPECT_EQ(runOn(one, *sim, {"param", "set", "301", "1", "200"}), 0);
    EXPECT_EQ(runOn(unknown, *sim, {"param", "get", "999"}), 1);
    EXPECT_TRUE(unknown.lines().isEmpty());
    EXPECT_EQ(runOn(bad, *sim, {"param", "get", "x"}), 2);
    EXPECT_EQ(sim->log().commandsStartingWith(bytes({0x99})),
              QList<QByteArray>({bytes({0x99, 0, 1, 2, 12, 0, 1, 0, 7}),
                                 bytes({0x99, 0, 1, 2, 13, 0, 2, 0, 1, 12, 8})}));
}

}

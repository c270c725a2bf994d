// konvelo-cli download against konvelo-phonesim on a pseudo-terminal, with the
// sound going through the PulseAudio null sink: the copied files must carry the
// simulator's sound, and a download that stops short must lose nothing.
#include "audio/AudioTestUtil.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "tools/CliProcess.h"
#include "tools/PhoneSimProcess.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TDateTime at(int day, int hour, int minute)
{
    return TDateTime::fromQDateTime(QDateTime(QDate(QDate::currentDate().year(), 3, day), QTime(hour, minute)));
}

class DownloadEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        PhoneSimProcess::ensureApplication();
        if (!audiotest::NoSoundServer().isEmpty())
            GTEST_SKIP() << audiotest::NoSoundServer().toStdString();
        ASSERT_TRUE(home.isValid());
        QDir(home.path()).mkpath(QStringLiteral("Data"));
    }

    QString data(const QString &name) const { return home.filePath(QStringLiteral("Data/") + name); }

    qint64 addIn(const QString &number, TDateTime time, const QString &talk, const QString &message)
    {
        TIncomingCallBook book(data(QStringLiteral("InCalls")));
        TInCall c;
        c.Phone = number;
        c.Time = time;
        c.FileName = talk;
        c.MessageFileName = message;
        c.Field_3 = QStringLiteral("поле");
        c.Field_8 = at(20, 9, 0);
        return book.AddCall(c);
    }
    qint64 addOut(const QString &number, TDateTime time)
    {
        TOutgoingCallBook book(data(QStringLiteral("OutCalls")));
        TOutCall c;
        c.Phone = number;
        c.Time = time;
        c.FileName = QStringLiteral("+");
        c.Field_1 = QStringLiteral("исходящий");
        return book.AddCall(c);
    }

    bool startSim(const QString &memory, const QStringList &more = {})
    {
        const QString path = home.filePath(QStringLiteral("memory.txt"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(memory.toUtf8());
        f.close();
        sim = std::make_unique<PhoneSimProcess>(home.filePath(QStringLiteral("sim.log")),
                                                QStringList{QStringLiteral("--memory"), path} + more);
        QString error;
        const bool ok = sim->start(&error);
        if (!ok)
            ADD_FAILURE() << error.toStdString();
        return ok;
    }

    QStringList cliArgs() const
    {
        return {QStringLiteral("download"), QStringLiteral("--port"), sim->device(), QStringLiteral("--home"),
                home.path()};
    }

    // The rows of a journal: Call_ID to (file column, message column or empty).
    static QMap<QString, QVariantList> rowsByPhone(TRecordTable &t)
    {
        QMap<QString, QVariantList> rows;
        const int phone = t.schema().fieldIndex(QStringLiteral("Phone"));
        for (int i = 0; i < t.recordCount(); ++i) {
            const QVariantList row = t.rowByKey(t.keyAt(i));
            rows.insert(row.at(phone).toString(), row);
        }
        return rows;
    }

    // The dominant frequency of a copied file's sound, and its length in seconds.
    static double toneOf(const QString &file, double *seconds = nullptr)
    {
        std::vector<int16_t> samples;
        int rate = 0;
        if (!audiotest::Decode(file, samples, rate) || rate <= 0)
            return 0;
        if (seconds)
            *seconds = double(samples.size()) / rate;
        return audiotest::DominantFrequency(samples, rate, 200, 2000);
    }

    QTemporaryDir home;
    std::unique_ptr<PhoneSimProcess> sim;
};

TEST_F(DownloadEndToEnd, CopiesEveryMarkedRowIncomingFirstWithTheSimulatorsSound)
{
    const qint64 talk1 = addIn(QStringLiteral("1234567"), at(2, 10, 15), QStringLiteral("+"), QString());
    const qint64 talk2 = addIn(QStringLiteral("2345678"), at(2, 11, 20), QStringLiteral("+"), QString());
    const qint64 message = addIn(QStringLiteral("3456789"), at(2, 12, 30), QString(), QStringLiteral("+"));
    const qint64 gone = addIn(QStringLiteral("5550000"), at(2, 14, 0), QStringLiteral("+"), QString());
    const qint64 outgoing = addOut(QStringLiteral("4567890"), at(2, 13, 40));
    ASSERT_TRUE(talk1 && talk2 && message && gone && outgoing);
    ASSERT_TRUE(startSim(QStringLiteral("in 02.03 10:15 0:01:00 0 0 1234567 talk=2 tone=500\n"
                                        "in 02.03 11:20 0:01:00 0 0 2345678 talk=2 tone=900\n"
                                        "in 02.03 12:30 0:00:10 0 0 3456789 message=2 message-tone=1300\n"
                                        "out 02.03 13:40 0:01:00 0 0 4567890 talk=2 tone=700\n")));
    CliProcess cli;
    ASSERT_TRUE(cli.run(cliArgs(), 60000)) << cli.errorText().toStdString();
    EXPECT_EQ(cli.exitCode(), 0) << cli.errorText().toStdString();
    EXPECT_TRUE(cli.errorText().contains(QStringLiteral("Подтвердите перезапись")));
    EXPECT_TRUE(cli.errorText().contains(QStringLiteral("talk 100%")) || cli.errorText().contains(QStringLiteral("%")));

    // Searched incoming first, then outgoing; played in the same order, the message with 84.
    QList<uchar> order;
    for (const QByteArray &c : sim->log().commands())
        if (!c.isEmpty() && (uchar(c.at(0)) == 0x9E || uchar(c.at(0)) == 0x9F
                             || (uchar(c.at(0)) >= 0x83 && uchar(c.at(0)) <= 0x85))
            && (order.isEmpty() || order.last() != uchar(c.at(0)) || uchar(c.at(0)) >= 0x9E))
            order << uchar(c.at(0));
    const QList<uchar> expected{0x9E, 0x9E, 0x9E, 0x9E, 0x9F, 0x83, 0x84, 0x85};
    EXPECT_EQ(order, expected);

    TIncomingCallBook in(data(QStringLiteral("InCalls")));
    TOutgoingCallBook out(data(QStringLiteral("OutCalls")));
    const QMap<QString, QVariantList> ins = rowsByPhone(in), outs = rowsByPhone(out);
    const int file = in.schema().fieldIndex(QStringLiteral("FileName"));
    const int mess = in.schema().fieldIndex(QStringLiteral("MessageFileName"));
    const int f3 = in.schema().fieldIndex(QStringLiteral("Field_3"));
    const int f8 = in.schema().fieldIndex(QStringLiteral("Field_8"));
    const int key = in.schema().fieldIndex(QStringLiteral("Call_ID"));
    ASSERT_EQ(ins.size(), 4);
    struct Want { QString phone; int column; double hz; };
    for (const Want &w : {Want{QStringLiteral("1234567"), file, 500}, Want{QStringLiteral("2345678"), file, 900},
                          Want{QStringLiteral("3456789"), mess, 1300}}) {
        const QVariantList row = ins.value(w.phone);
        const QString path = row.at(w.column).toString();
        SCOPED_TRACE(w.phone.toStdString());
        EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
        EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("In_02.03.")));
        EXPECT_NEAR(toneOf(path), w.hz, 40);
        EXPECT_EQ(row.at(f3).toString(), QStringLiteral("поле"));
        EXPECT_DOUBLE_EQ(row.at(f8).toDouble(), at(20, 9, 0).value());
        EXPECT_GT(row.at(key).toLongLong(), gone);   // a copy with a new key
    }
    EXPECT_EQ(ins.value(QStringLiteral("5550000")).at(file).toString(), QString());   // not in the phone
    const QVariantList o = outs.value(QStringLiteral("4567890"));
    const QString outFile = o.at(out.schema().fieldIndex(QStringLiteral("FileName"))).toString();
    EXPECT_TRUE(QFileInfo(outFile).fileName().startsWith(QStringLiteral("Out_02.03.")));
    EXPECT_NEAR(toneOf(outFile), 700, 40);
    EXPECT_EQ(o.at(out.schema().fieldIndex(QStringLiteral("Field_1"))).toString(), QStringLiteral("исходящий"));
    EXPECT_EQ(cli.lines().filter(QStringLiteral("\"file\"")).size(), 4);
    sim->stop();
}

TEST_F(DownloadEndToEnd, AnOverrunTalkIsCutAndTheNextOneStillCopied)
{
    addOut(QStringLiteral("111"), at(3, 9, 0));
    addOut(QStringLiteral("222"), at(3, 9, 30));
    ASSERT_TRUE(startSim(QStringLiteral("out 03.03 09:00 0:00:10 0 0 111 talk=10 overrun=20 tone=600\n"
                                        "out 03.03 09:30 0:00:01 0 0 222 talk=1 tone=800\n")));
    CliProcess cli;
    ASSERT_TRUE(cli.run(cliArgs(), 60000)) << cli.errorText().toStdString();
    EXPECT_EQ(cli.exitCode(), 0) << cli.errorText().toStdString();
    TOutgoingCallBook out(data(QStringLiteral("OutCalls")));
    const QMap<QString, QVariantList> outs = rowsByPhone(out);
    const int file = out.schema().fieldIndex(QStringLiteral("FileName"));
    double seconds = 0;
    EXPECT_NEAR(toneOf(outs.value(QStringLiteral("111")).at(file).toString(), &seconds), 600, 40);
    // Cut on the first progress tick past 100 %: after 10.1 s, before 11 s.
    EXPECT_GT(seconds, 9.8);
    EXPECT_LT(seconds, 11.2);
    EXPECT_NEAR(toneOf(outs.value(QStringLiteral("222")).at(file).toString()), 800, 40);
    sim->stop();
}

TEST_F(DownloadEndToEnd, InterruptedOrOfflineDownloadsKeepTheMarkerAndThePartialFile)
{
    for (const bool offline : {false, true}) {
        SCOPED_TRACE(offline ? "offline" : "interrupted");
        const QString number = offline ? QStringLiteral("999") : QStringLiteral("888");
        const qint64 id = addIn(number, at(4, 8, 0), QStringLiteral("+"), QString());
        ASSERT_TRUE(startSim(QStringLiteral("in 04.03 08:00 0:00:30 0 0 %1 talk=30 tone=650\n").arg(number)));
        CliProcess cli;
        ASSERT_TRUE(cli.start(cliArgs()));
        // Three seconds into the talk.
        ASSERT_TRUE(audiotest::SpinUntil([&] { return sim->log().countCommands(0x83) > 0; }, 20000));
        audiotest::Spin(3000);
        if (offline)
            sim->kill();
        else
            cli.interrupt();
        ASSERT_TRUE(cli.waitForFinished(30000));
        EXPECT_NE(cli.exitCode(), 0);
        EXPECT_TRUE(cli.errorText().contains(QStringLiteral(".partial.wav"))) << cli.errorText().toStdString();

        TIncomingCallBook in(data(QStringLiteral("InCalls")));
        EXPECT_EQ(in.rowByKey(id).at(in.schema().fieldIndex(QStringLiteral("FileName"))).toString(),
                  QStringLiteral("+"));
        const QStringList partial = QDir(home.filePath(QStringLiteral("Sounds/Records")))
                                        .entryList({QStringLiteral("*") + number + QStringLiteral(".partial.wav")});
        ASSERT_EQ(partial.size(), 1);
        double seconds = 0;
        EXPECT_NEAR(toneOf(home.filePath(QStringLiteral("Sounds/Records/")) + partial.at(0), &seconds), 650, 40);
        EXPECT_GT(seconds, 1.0);
        // No other file of that call is left behind as if complete.
        EXPECT_TRUE(QDir(home.filePath(QStringLiteral("Sounds/Records")))
                        .entryList({QStringLiteral("*") + number + QStringLiteral(".wav")}).filter(
                            QRegularExpression(QStringLiteral("\\d\\.wav$"))).isEmpty());
        if (!offline)
            sim->stop();
        in.ClearCalls();
    }
}

TEST_F(DownloadEndToEnd, ATalkOfLengthZeroKeepsItsMarker)
{
    const qint64 id = addIn(QStringLiteral("777"), at(5, 7, 0), QStringLiteral("+"), QString());
    ASSERT_TRUE(startSim(QStringLiteral("in 05.03 07:00 0:00:05 0 0 777 talk=5 announce=0\n")));
    CliProcess cli;
    ASSERT_TRUE(cli.run(cliArgs(), 30000)) << cli.errorText().toStdString();
    EXPECT_TRUE(cli.errorText().contains(QStringLiteral("Запись отсутствует")));
    TIncomingCallBook in(data(QStringLiteral("InCalls")));
    EXPECT_EQ(in.rowByKey(id).at(in.schema().fieldIndex(QStringLiteral("FileName"))).toString(), QStringLiteral("+"));
    sim->stop();
}

}

namespace {
TEST_F(DownloadEndToEnd, ACellPastTheLastIsSkippedAndTheNextCallStillCopied)
{
    const qint64 odd = addIn(QStringLiteral("1111111"), at(6, 8, 0), QStringLiteral("+"), QString());
    const qint64 good = addIn(QStringLiteral("2222222"), at(6, 9, 0), QStringLiteral("+"), QString());
    ASSERT_TRUE(startSim(QStringLiteral("in 06.03 08:00 0:00:30 0 0 1111111 talk=2 report-cell=120\n"
                                        "in 06.03 09:00 0:00:30 0 0 2222222 talk=2 tone=900\n")));
    CliProcess cli;
    ASSERT_TRUE(cli.run(cliArgs(), 30000)) << cli.errorText().toStdString();
    EXPECT_EQ(cli.exitCode(), 0) << cli.errorText().toStdString();
    EXPECT_FALSE(cli.errorText().contains(QStringLiteral("телефон отключился"))) << cli.errorText().toStdString();
    // Only the call that can be asked for is played.
    int plays = 0;
    for (const QByteArray &c : sim->log().commands())
        plays += !c.isEmpty() && uchar(c.at(0)) >= 0x83 && uchar(c.at(0)) <= 0x85;
    EXPECT_EQ(plays, 1);
    TIncomingCallBook in(data(QStringLiteral("InCalls")));
    const int file = in.schema().fieldIndex(QStringLiteral("FileName"));
    const QMap<QString, QVariantList> rows = rowsByPhone(in);
    EXPECT_EQ(rows.value(QStringLiteral("1111111")).at(file).toString(), QStringLiteral("+"));
    const QString copied = rows.value(QStringLiteral("2222222")).at(file).toString();
    EXPECT_TRUE(QFileInfo(copied).isFile()) << copied.toStdString();
    EXPECT_NEAR(toneOf(copied), 900, 40);
    EXPECT_TRUE(odd && good);
    sim->stop();
}
}

// Which talks are recorded, into which files, and the end of transferred talks.
#include "CallTestLine.h"
#include "tools/SimWireLog.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

class RecordingTest : public CallTestLine {
protected:
    TRecordingControl &rc() { return FHandler->Recording(); }
};

TEST_F(RecordingTest, FileNamesMapColonsAndQuestionMarksAndUseThePlatformSeparator)
{
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 4));
    const QString folder = FDir.filePath(QStringLiteral("Записи/"));
    const QString sep = QDir::separator();
    EXPECT_EQ(TRecordingControl::RecordFileName(folder, ckIncoming, QStringLiteral("55?12?4"), when),
              QDir::toNativeSeparators(FDir.filePath(QStringLiteral("Записи"))) + sep
                  + QStringLiteral("In_07.03.2026 9_05_04 55-12-4.wav"));
    EXPECT_TRUE(TRecordingControl::RecordFileName(folder, ckOutgoing, QStringLiteral("123"), when)
                    .endsWith(sep + QStringLiteral("Out_07.03.2026 9_05_04 123.wav")));

    // The folder is created, the recorder takes the name; a second recording in the
    // same second does not overwrite the first.
    FConfig->RecordsDirectory = FDir.filePath(QStringLiteral("new/records"));
    rc().Clock = [when] { return when; };
    const QString first = rc().PrepareRecordFile(ckIncoming, QStringLiteral("5553412"));
    EXPECT_TRUE(QFileInfo(FConfig->RecordsDirectory).isDir());
    EXPECT_EQ(FRecorder->FileName(), first);
    QFile(first).open(QIODevice::WriteOnly);
    const QString second = rc().PrepareRecordFile(ckIncoming, QStringLiteral("5553412"));
    EXPECT_NE(second, first);
    EXPECT_TRUE(second.endsWith(QStringLiteral(" 5553412_2.wav"))) << second.toStdString();
}

TEST_F(RecordingTest, SubscriberBitsOverrideTheRecordingSettings)
{
    FBook->AddPerson(QStringLiteral("5550008"), QStringLiteral("A"), 8, QString(), QString(), QString(), -1, false);
    FBook->AddPerson(QStringLiteral("5550016"), QStringLiteral("B"), 16, QString(), QString(), QString(), -1, false);
    FBook->AddPerson(QStringLiteral("5550024"), QStringLiteral("C"), 24, QString(), QString(), QString(), -1, false);
    FConfig->RecordIncomingCalls = false;
    FConfig->RecordOutgoingCalls = true;
    EXPECT_TRUE(rc().RecordingWanted(ckIncoming, QStringLiteral("5550008")));
    EXPECT_TRUE(rc().RecordingWanted(ckIncoming, QStringLiteral("5550024")));
    EXPECT_FALSE(rc().RecordingWanted(ckIncoming, QStringLiteral("5559999")));
    EXPECT_FALSE(rc().RecordingWanted(ckIncoming, QString()));
    EXPECT_TRUE(rc().RecordingWanted(ckOutgoing, QStringLiteral("5559999")));
    FConfig->RecordIncomingCalls = true;
    EXPECT_FALSE(rc().RecordingWanted(ckIncoming, QStringLiteral("5550016")));
    EXPECT_FALSE(rc().RecordingWanted(ckOutgoing, QStringLiteral("5550016")));
    EXPECT_TRUE(rc().RecordingWanted(ckIncoming, QStringLiteral("5559999")));
}

TEST_F(RecordingTest, SubscriberWhoIsAlwaysRecordedIsRecordedWithRecordingOff)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    FConfig->RecordIncomingCalls = false;
    FBook->AddPerson(QStringLiteral("5550008"), QStringLiteral("A"), 8, QString(), QString(), QString(), -1, false);
    ASSERT_TRUE(startLine());
    ASSERT_TRUE(play(QStringLiteral("number 1 5550008\nring\nwait 0.2\nlift\nwait 1\nhangup\n"
                                    "number 1 5559999\nring\nwait 0.2\nlift\nwait 1\nhangup"),
                     [this] { return endCalls() == 2; }, 15000));
    const QList<QVariantMap> rows = inRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(isGsmWave(rows[0].value("FileName").toString()));
    EXPECT_TRUE(rows[1].value("FileName").toString().isEmpty());
}

TEST_F(RecordingTest, RecordButtonStartsPausesAndResumesTheTalksRecording)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    FConfig->RecordOutgoingCalls = false;
    ASSERT_TRUE(startLine());
    ASSERT_TRUE(play(QStringLiteral("lift\nwait 0.2\ndial 5557788"), [this] { return FView.RecordEnabled; }));
    EXPECT_EQ(FRecorder->State(), rsWaiting);
    FHandler->RecordButtonClick();
    EXPECT_EQ(FRecorder->State(), rsRecording);
    EXPECT_TRUE(FView.RecordDown);
    EXPECT_FALSE(FView.PlayButton);
    spin(700);
    FHandler->RecordButtonClick();
    EXPECT_EQ(FRecorder->State(), rsPaused);
    EXPECT_FALSE(FView.RecordDown);
    spin(300);
    FHandler->RecordButtonClick();
    EXPECT_EQ(FRecorder->State(), rsRecording);
    EXPECT_TRUE(FView.RecordDown);
    spin(700);
    ASSERT_TRUE(play(QStringLiteral("hangup"), [this] { return endCalls() == 1; }));
    ASSERT_EQ(outRows().size(), 1);
    const QString file = outRows().first().value("FileName").toString();
    EXPECT_TRUE(file.endsWith(QStringLiteral(" 5557788.wav"))) << file.toStdString();
    QString why;
    EXPECT_TRUE(isGsmWave(file, &why)) << why.toStdString();
    EXPECT_FALSE(FView.RecordEnabled);
    EXPECT_FALSE(FView.RecordDown);
}

// The talk download's part, reduced to what StopRecordTalk reads: it marks the
// transfer active, sets the bookmarks and records each talk the phone plays.
class TransferTest : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        TInCall in;
        in.Phone = QStringLiteral("5551001");
        in.FileName = QStringLiteral("+");
        in.Field_1 = QStringLiteral("первый");
        FInId1 = FIn->AddCall(in);
        in.Phone = QStringLiteral("5551002");
        in.FileName.clear();
        in.MessageFileName = QStringLiteral("+");
        FInId2 = FIn->AddCall(in);
        TOutCall out;
        out.Phone = QStringLiteral("5552001");
        out.FileName = QStringLiteral("+");
        FOutId1 = FOut->AddCall(out);
        out.Phone = QStringLiteral("5552002");
        out.Field_3 = QStringLiteral("заметка");
        out.Field_8 = TDateTime(46100.0);
        FOutId2 = FOut->AddCall(out);

        const QList<TInBookMarks> inMarks = {mark(FInId1, 5, QStringLiteral("+"), QString()),
                                             mark(FInId2, 7, QString(), QStringLiteral("+"))};
        TOutBookMarks o1;
        o1.Call_ID = int(FOutId1);
        o1.CellNo = -1;   // not found in the phone
        TOutBookMarks o2;
        o2.Call_ID = int(FOutId2);
        o2.CellNo = 3;
        FSession.StartTalkTransfer(inMarks, {o1, o2}, 0);
        FPhone->OnStartSendTalk = [this](TTalkKind kind, quint16 length, int cell) {
            rc().TransferKind = kind;
            rc().TransferCell = cell;
            if (length > 0)
                rc().StartRecordTalk(FDir.filePath(QStringLiteral("talk%1.wav").arg(cell)));
        };
    }
    static TInBookMarks mark(qint64 id, int cell, const QString &talk, const QString &message)
    {
        TInBookMarks m;
        m.Call_ID = int(id);
        m.CellNo = cell;
        m.FileName = talk;
        m.MessageFileName = message;
        return m;
    }
    // The phone plays the talk of a cell (code, nibble word cell, nibble word quarter seconds) and ends it.
    bool playTalk(const char *code, int cell, int quarters)
    {
        const int stops = FStops;
        const QString bytes = QStringLiteral("send %1 00 00 00 %2 00 00 %3 %4\nwait 0.8\nsend 01")
                                  .arg(QLatin1String(code))
                                  .arg(cell, 2, 16, QLatin1Char('0'))
                                  .arg(quarters >> 4, 2, 16, QLatin1Char('0'))
                                  .arg(quarters & 15, 2, 16, QLatin1Char('0'));
        return play(bytes, [&] { return FStops > stops; });
    }
    void countStops()
    {
        auto stop = FPhone->OnStopSendTalk;
        FPhone->OnStopSendTalk = [this, stop] {
            stop();
            ++FStops;
        };
    }
    QList<QByteArray> talkRequests() const
    {
        QList<QByteArray> r;
        for (const QByteArray &c : FSim->log().commands())
            if (!c.isEmpty() && uchar(c[0]) >= 0x83 && uchar(c[0]) <= 0x85)
                r << c;
        return r;
    }

    qint64 FInId1 = 0, FInId2 = 0, FOutId1 = 0, FOutId2 = 0;
    int FStops = 0;
};

TEST_F(TransferTest, EachTransferredTalkGoesIntoItsRowAndTheNextFoundTalkIsAskedFor)
{
    const QString noSound = noSoundServer();
    if (!noSound.isEmpty())
        GTEST_SKIP() << noSound.toStdString();
    ASSERT_TRUE(startLine());
    countStops();
    ASSERT_TRUE(playTalk("53", 5, 8));
    ASSERT_TRUE(playTalk("54", 7, 8));
    ASSERT_TRUE(playTalk("55", 3, 8));
    EXPECT_FALSE(FHost.TalkTransferActive);
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("close transfer")));
    // Incoming cell 7 as a message, then the outgoing bookmark that was found.
    EXPECT_EQ(talkRequests(), QList<QByteArray>({QByteArray("\x84\x00\x00\x00\x07", 5),
                                                 QByteArray("\x85\x00\x00\x00\x03", 5)}));

    // Three rows rewritten under new keys; the one not found keeps its "+".
    const QList<QVariantMap> in = inRows();
    ASSERT_EQ(in.size(), 2);
    EXPECT_EQ(in[0].value("Phone").toString(), QStringLiteral("5551001"));
    EXPECT_EQ(in[0].value("FileName").toString(), FDir.filePath(QStringLiteral("talk5.wav")));
    EXPECT_EQ(in[0].value("Field_1").toString(), QStringLiteral("первый"));
    EXPECT_GT(in[0].value("Call_ID").toLongLong(), FInId2);
    EXPECT_EQ(in[1].value("MessageFileName").toString(), FDir.filePath(QStringLiteral("talk7.wav")));
    EXPECT_TRUE(in[1].value("FileName").toString().isEmpty());
    const QList<QVariantMap> out = outRows();
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0].value("FileName").toString(), QStringLiteral("+"));
    EXPECT_EQ(out[1].value("FileName").toString(), FDir.filePath(QStringLiteral("talk3.wav")));
    EXPECT_EQ(out[1].value("Field_3").toString(), QStringLiteral("заметка"));
    EXPECT_DOUBLE_EQ(out[1].value("Field_8").toDouble(), 46100.0);
    EXPECT_TRUE(isGsmWave(FDir.filePath(QStringLiteral("talk3.wav"))));
}

TEST_F(TransferTest, ATalkWithoutRecordingKeepsItsMarkAndTheChainGoesOn)
{
    ASSERT_TRUE(startLine());
    countStops();
    ASSERT_TRUE(playTalk("53", 5, 0));   // length 0: nothing recorded
    EXPECT_EQ(inRows()[0].value("FileName").toString(), QStringLiteral("+"));
    EXPECT_EQ(inRows()[0].value("Call_ID").toLongLong(), FInId1);
    EXPECT_EQ(talkRequests(), QList<QByteArray>({QByteArray("\x84\x00\x00\x00\x07", 5)}));
    EXPECT_TRUE(FHost.TalkTransferActive);
    EXPECT_EQ(FHost.TalkSearchIndex, 1);
    EXPECT_EQ(rc().TransferCell, 7);

    // Once the transfer was cancelled, the end of a talk only closes the dialog.
    FSession.StopTalkTransfer();
    FHandler->StopRecordTalk();
    EXPECT_TRUE(FView.Log.contains(QStringLiteral("close transfer")));
    EXPECT_EQ(talkRequests().size(), 1);
}

} // namespace

// The download's logic against real journal files and a phone link fed with the
// phone's replies by hand, on a clock the tests advance.
#include "phone/TManualClock.h"
#include "phone/TPhone.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "transfer/TTalkDownload.h"
#include "transfer/TTalkTransferSteps.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void ensureApp()
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "test_transfer";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

QByteArray nibbles(int v)
{
    QByteArray r(4, 0);
    for (int i = 3; i >= 0; --i, v >>= 4)
        r[i] = char(v & 15);
    return r;
}

// An entry of reply 56 (Out: 57): cell, talk and message lengths in seconds.
QByteArray entry(int cell, int talk, int message = -1)
{
    QByteArray e = nibbles(cell) + nibbles(talk * 4);
    if (message >= 0)
        e += nibbles(message * 4);
    return e;
}

struct Shown {
    QString heading, line1, line2;
    bool startEnabled = false;
};

class TalkDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApp();
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("Records"));
        in = std::make_unique<TIncomingCallBook>(dir.filePath(QStringLiteral("InCalls")));
        out = std::make_unique<TOutgoingCallBook>(dir.filePath(QStringLiteral("OutCalls")));
        phone = std::make_unique<TPhone>(&host, &clock);
        phone->Receive(QByteArray(1, char(0xFF)));   // the phone is heard: waiting
        download = std::make_unique<TTalkDownload>(*phone, host, *in, *out, &clock);
        download->RecordsDirectory = [this] { return dir.filePath(QStringLiteral("Records")); };
        download->StartRecordTalk = [this](const QString &f) {
            started << f;
            QFile file(f);
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray(400, 'x'));
        };
        download->StopRecordTalk = [this] { ++stops; };
        download->SetTransferCell = [this](int c) { cell = c; };
        download->TransferCell = [this] { return cell; };
        QObject::connect(download.get(), &TTalkDownload::TextShown, download.get(),
                         [this](const QString &h, const QString &l1, bool, bool start, const QString &l2) {
                             last = {h, l1, l2, start};
                         });
        QObject::connect(download.get(), &TTalkDownload::Closed, download.get(), [this] { ++closed; });
        QObject::connect(download.get(), &TTalkDownload::Interrupted, download.get(),
                         [this](const QString &m) { interrupted = m; });
    }

    qint64 addIn(const QString &phoneText, int hour, const QString &talk, const QString &message)
    {
        TInCall c;
        c.Phone = phoneText;
        c.Time = TDateTime::fromQDateTime(QDateTime(QDate(2026, 3, 2), QTime(hour, 15, 30)));
        c.FileName = talk;
        c.MessageFileName = message;
        c.Field_1 = QStringLiteral("заметка");
        return in->AddCall(c);
    }
    qint64 addOut(const QString &phoneText, int hour)
    {
        TOutCall c;
        c.Phone = phoneText;
        c.Time = TDateTime::fromQDateTime(QDateTime(QDate(2026, 3, 2), QTime(hour, 0)));
        c.FileName = QStringLiteral("+");
        return out->AddCall(c);
    }
    QString inField(qint64 id, const char *name) const
    {
        return in->rowByKey(id).value(in->schema().fieldIndex(QString::fromLatin1(name))).toString();
    }

    QTemporaryDir dir;
    std::unique_ptr<TIncomingCallBook> in;
    std::unique_ptr<TOutgoingCallBook> out;
    TPhoneHost host;
    TManualClock clock;
    std::unique_ptr<TPhone> phone;
    std::unique_ptr<TTalkDownload> download;
    QStringList started;
    int stops = 0, closed = 0, cell = -1;
    Shown last;
    QString interrupted;
};

TEST_F(TalkDownloadTest, SearchClearsWhatThePhoneDoesNotHoldAndSumsUpTheRest)
{
    const qint64 a = addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QString());
    const qint64 b = addIn(QStringLiteral("222"), 10, QStringLiteral("+"), QString());
    const qint64 c = addIn(QStringLiteral("333"), 11, QStringLiteral("+"), QString());
    download->StartAll();
    EXPECT_TRUE(host.TalkSearchActive);
    EXPECT_EQ(last.heading, QStringLiteral("Подготовка перезаписи"));
    EXPECT_EQ(last.line1, QStringLiteral("Найдено звонков 0 из 3"));
    EXPECT_EQ(last.line2, QStringLiteral("Поиск входящего звонка 111 в 9:15:30"));

    download->TalkSearchReply(0x56, 1, entry(4, 60, 0));
    download->TalkSearchReply(0x56, 0, QByteArray());
    EXPECT_EQ(last.line1, QStringLiteral("Найдено звонков 1 из 3"));
    download->TalkSearchReply(0x56, 1, entry(7, 30, 0));
    EXPECT_FALSE(host.TalkSearchActive);
    EXPECT_TRUE(host.TalkTransferActive);
    EXPECT_EQ(host.TalkSearchFound, 2);
    EXPECT_EQ(last.heading, QStringLiteral("Подтвердите перезапись"));
    EXPECT_EQ(last.line1, QStringLiteral(" Звонков - 2"));
    EXPECT_EQ(last.line2, QStringLiteral("продолжительностью примерно 1 мин. 30 сек."));
    EXPECT_TRUE(last.startEnabled);
    EXPECT_EQ(inField(a, "FileName"), QStringLiteral("+"));
    EXPECT_EQ(inField(b, "FileName"), QString());
    EXPECT_EQ(inField(c, "FileName"), QStringLiteral("+"));
    EXPECT_EQ(host.InBookMarks.at(2).CellNo, 7);
}

TEST_F(TalkDownloadTest, SummariesOfASingleCall)
{
    addIn(QStringLiteral("555"), 12, QString(), QStringLiteral("+"));
    download->StartAll();
    download->TalkSearchReply(0x56, 1, entry(2, 0, 12));
    EXPECT_EQ(last.line1, QStringLiteral(" Сообщение"));
    EXPECT_EQ(last.line2, QStringLiteral("с номера 555   в  12:15:30\nпродолжительностью  12 сек."));

    download->Cancel();
    in->ClearCalls();
    addOut(QStringLiteral("777"), 13);
    download->StartAll();
    EXPECT_EQ(host.TalkSearchKind, 1);
    // Two entries in an outgoing reply: only the first counts, and n is not added.
    download->TalkSearchReply(0x57, 2, entry(5, 20) + entry(6, 99));
    EXPECT_EQ(host.OutBookMarks.at(0).CellNo, 5);
    EXPECT_EQ(host.OutBookMarks.at(0).TalkLength, 20);
    EXPECT_EQ(last.line1, QStringLiteral(" Разговор (исходящий звонок)"));
    EXPECT_EQ(last.line2, QStringLiteral("с номера 777    в  13:00:00\nпродолжительностью  20 сек."));
}

TEST_F(TalkDownloadTest, NothingHeldLeavesStartDisabledAndNoMarkers)
{
    const qint64 a = addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QStringLiteral("+"));
    const qint64 o = addOut(QStringLiteral("222"), 10);
    download->StartAll();
    download->TalkSearchReply(0x56, 0, QByteArray());
    // After the last incoming bookmark the outgoing list from its first.
    EXPECT_EQ(host.TalkSearchKind, 1);
    EXPECT_EQ(host.TalkSearchIndex, 0);
    download->TalkSearchReply(0x57, 0, QByteArray());
    EXPECT_EQ(last.heading, QStringLiteral("Ничего не найдено"));
    EXPECT_FALSE(last.startEnabled);
    EXPECT_EQ(inField(a, "FileName"), QString());
    EXPECT_EQ(inField(a, "MessageFileName"), QString());
    EXPECT_EQ(out->rowByKey(o).value(out->schema().fieldIndex(QStringLiteral("FileName"))).toString(), QString());
    EXPECT_FALSE(TTalkDownload::AnyMarked(*in, *out));
}

TEST_F(TalkDownloadTest, AReplyNamingACellPastTheLastIsNotFoundAndTheRowKeepsItsMarker)
{
    const qint64 a = addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QStringLiteral("+"));
    addIn(QStringLiteral("222"), 10, QStringLiteral("+"), QString());
    const qint64 o = addOut(QStringLiteral("333"), 11);
    download->StartAll();
    download->TalkSearchReply(0x56, 1, entry(TPhone::CellCount, 10, 0));   // 97: no such cell
    download->TalkSearchReply(0x56, 1, entry(96, 10, 0));
    download->TalkSearchReply(0x57, 1, entry(0xFFFF, 20));
    EXPECT_EQ(host.InBookMarks.at(0).CellNo, -1);
    EXPECT_EQ(host.InBookMarks.at(1).CellNo, 96);
    EXPECT_EQ(host.OutBookMarks.at(0).CellNo, -1);
    EXPECT_EQ(host.TalkSearchFound, 1);
    EXPECT_EQ(last.line1, QStringLiteral(" Разговор (входящий звонок)"));
    EXPECT_EQ(last.line2, QStringLiteral("с номера 222   в  10:15:30\nпродолжительностью  10 сек."));
    // Neither the talk nor the message of the row is taken for gone.
    EXPECT_EQ(inField(a, "FileName"), QStringLiteral("+"));
    EXPECT_EQ(inField(a, "MessageFileName"), QStringLiteral("+"));
    EXPECT_EQ(out->rowByKey(o).value(out->schema().fieldIndex(QStringLiteral("FileName"))).toString(),
              QStringLiteral("+"));

    // Start asks for the one that can be asked for, and nothing follows it.
    download->Start();
    EXPECT_EQ(cell, 96);
    EXPECT_EQ(host.TalkSearchIndex, 1);
    download->StartSendTalk(tkInTalk, 10, 96);
    EXPECT_EQ(started.size(), 1);
    // The single found call keeps its confirmation on the screen while it comes.
    EXPECT_EQ(last.heading, QStringLiteral("ПЕРЕЗАПИСЬ"));
    EXPECT_EQ(last.line1, QStringLiteral(" Разговор (входящий звонок)"));
    EXPECT_EQ(last.line2, QStringLiteral("с номера 222   в  10:15:30\nпродолжительностью  10 сек."));
}

TEST_F(TalkDownloadTest, AnEmptyTalkKeepsTheMessageMarkerOfTheSameRow)
{
    const qint64 a = addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QStringLiteral("+"));
    download->StartAll();
    download->TalkSearchReply(0x56, 1, entry(3, 0, 15));
    EXPECT_EQ(inField(a, "FileName"), QString());
    EXPECT_EQ(inField(a, "MessageFileName"), QStringLiteral("+"));
    EXPECT_EQ(host.InBookMarks.at(0).CellNo, 3);
    EXPECT_EQ(last.line1, QStringLiteral(" Сообщение"));
}

TEST_F(TalkDownloadTest, AnOverrunIsCutJustPastItsLengthAndTheNextRequested)
{
    addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QString());
    addIn(QStringLiteral("222"), 10, QStringLiteral("+"), QString());
    download->StartAll();
    download->TalkSearchReply(0x56, 1, entry(1, 10, 0));
    download->TalkSearchReply(0x56, 1, entry(2, 10, 0));
    download->Start();
    EXPECT_EQ(cell, 1);
    download->StartSendTalk(tkInTalk, 10, 1);
    ASSERT_EQ(started.size(), 1);
    EXPECT_TRUE(started.at(0).endsWith(QStringLiteral("In_02.03.2026 9_15_30 111.wav"))) << started.at(0).toStdString();
    clock.advance(10000);
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(download->TalkProgress(), 100);
    clock.advance(500);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(closed, 0);   // several bookmarks: the next talk is asked for again
    // The phone answers the repeated request: no more repeats, the next file.
    download->StartSendTalk(tkInTalk, 10, 2);
    EXPECT_EQ(started.size(), 2);
}

TEST_F(TalkDownloadTest, AZeroLengthTalkAmongSeveralMovesOnWithoutAFile)
{
    const qint64 a = addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QString());
    addIn(QStringLiteral("222"), 10, QStringLiteral("+"), QString());
    download->StartAll();
    download->TalkSearchReply(0x56, 1, entry(1, 10, 0));
    download->TalkSearchReply(0x56, 1, entry(2, 10, 0));
    download->Start();
    download->StartSendTalk(tkInTalk, 0, 1);
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(inField(a, "FileName"), QStringLiteral("+"));
}

TEST_F(TalkDownloadTest, ASingleZeroLengthTalkSaysTheRecordIsMissing)
{
    addOut(QStringLiteral("222"), 10);
    download->StartAll();
    download->TalkSearchReply(0x57, 1, entry(1, 10));
    download->Start();
    download->StartSendTalk(tkOutTalk, 0, 1);
    EXPECT_EQ(last.heading, QStringLiteral("Внимание"));
    EXPECT_EQ(last.line1, QStringLiteral("Запись отсутствует"));
    EXPECT_FALSE(host.TalkTransferActive);
}

TEST_F(TalkDownloadTest, CancelKeepsThePartialFileBesideAndTheMarker)
{
    const qint64 a = addIn(QStringLiteral("12?4"), 9, QStringLiteral("+"), QString());
    download->StartAll();
    download->TalkSearchReply(0x56, 1, entry(1, 30, 0));
    download->Start();
    download->StartSendTalk(tkInTalk, 30, 1);
    ASSERT_EQ(started.size(), 1);
    EXPECT_TRUE(started.at(0).endsWith(QStringLiteral("In_02.03.2026 9_15_30 12-4.wav")));
    clock.advance(3000);
    download->Cancel();
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(host.TalkTransferActive);
    EXPECT_EQ(inField(a, "FileName"), QStringLiteral("+"));
    ASSERT_EQ(download->PartialFiles().size(), 1);
    const QString partial = download->PartialFiles().at(0);
    EXPECT_TRUE(partial.endsWith(QStringLiteral("12-4.partial.wav")));
    EXPECT_TRUE(QFile::exists(partial));
    EXPECT_FALSE(QFile::exists(started.at(0)));
    EXPECT_TRUE(interrupted.contains(partial));
    // A second download names its file afresh: the partial one is not overwritten.
    EXPECT_EQ(TTalkTransferSteps::PartialFile(started.at(0)), started.at(0).chopped(4) + QStringLiteral(".partial_2.wav"));
}

TEST_F(TalkDownloadTest, ThePhoneGoingOfflineEndsTheDownloadLikeCancel)
{
    const qint64 a = addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QString());
    download->StartAll();
    download->TalkSearchReply(0x56, 1, entry(1, 30, 0));
    download->Start();
    download->StartSendTalk(tkInTalk, 30, 1);
    download->PhoneStateChanged(psOffline);
    EXPECT_FALSE(download->Busy());
    EXPECT_EQ(inField(a, "FileName"), QStringLiteral("+"));
    EXPECT_TRUE(interrupted.contains(QStringLiteral("телефон отключился")));
    EXPECT_TRUE(interrupted.contains(QStringLiteral(".partial.wav")));
}

TEST_F(TalkDownloadTest, TheLinkStepRefusesAMissingFileAndKeepsTheRow)
{
    const qint64 a = addIn(QStringLiteral("111"), 9, QStringLiteral("+"), QString());
    TInBookMarks mark;
    mark.Call_ID = int(a);
    host.InBookMarks = {mark};
    host.TalkSearchIndex = 0;
    EXPECT_FALSE(TTalkTransferSteps::WriteTransferredFile(host, *in, *out, tkInTalk,
                                                          dir.filePath(QStringLiteral("Records/none.wav"))));
    EXPECT_EQ(inField(a, "FileName"), QStringLiteral("+"));
    const QString file = dir.filePath(QStringLiteral("Records/ok.wav"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("RIFF....");
    f.close();
    ASSERT_TRUE(TTalkTransferSteps::WriteTransferredFile(host, *in, *out, tkInTalk, file));
    const qint64 moved = host.InBookMarks.at(0).Call_ID;
    EXPECT_NE(moved, a);
    EXPECT_EQ(inField(moved, "FileName"), file);
    EXPECT_EQ(inField(moved, "Field_1"), QStringLiteral("заметка"));
}

}

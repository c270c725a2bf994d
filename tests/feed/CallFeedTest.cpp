// The feed's NCID server on real loopback sockets with real journal files:
// start-up lines and call log, the call lines, who may connect, many clients.
#include "FeedTestSupport.h"
#include "feed/TNcidLine.h"
#include "feed/TNcidServer.h"
#include <QSignalSpy>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace FeedTest;

namespace {

class CallFeed : public ::testing::Test {
protected:
    void start(TFeedSettings s = loopback())
    {
        Feed = std::make_unique<TCallFeed>(*T.Book, *T.In, *T.Out);
        ASSERT_TRUE(Feed->Apply(s)) << Feed->ErrorString().toStdString();
        Port = Feed->Server().ServerPort();
    }
    std::unique_ptr<TClient> client(const QString &from = QString())
    {
        auto c = std::make_unique<TClient>();
        EXPECT_TRUE(c->connectTo(Port, from));
        return c;
    }

    TTables T;
    std::unique_ptr<TCallFeed> Feed;
    quint16 Port = 0;
};

const QString Greeting = QStringLiteral("200 Server: Konvelo ") + TNcidServer::Version();

TEST_F(CallFeed, StartupWithoutCallsSaysTheLogIsEmpty)
{
    start();
    auto c = client();
    ASSERT_TRUE(c->waitStartup());
    EXPECT_EQ(c->Lines, (QStringList{Greeting, QStringLiteral("210 API: 1.0 Feature Set 1"),
                                     QStringLiteral("252 Call log empty"),
                                     QStringLiteral("300 End of connection startup")}));
    EXPECT_FALSE(c->BadEnding);
}

TEST_F(CallFeed, StartupReplaysTheNewestCallsOfBothJournalsInTimeOrder)
{
    T.person(QStringLiteral("5550001"), QStringLiteral("Иванов"));
    T.person(QStringLiteral("5550002"), QStringLiteral("Петров *ООО*"));
    // Rows appended out of time order, as the phone-memory read does.
    T.in(QStringLiteral("5550001"), at(2026, 3, 2, 10, 0));
    T.out(QStringLiteral("5550002"), at(2026, 3, 1, 9, 30));
    T.in(QStringLiteral("?"), at(2026, 3, 1, 8, 5));
    T.out(QStringLiteral("5559999"), at(2026, 3, 2, 11, 45));
    const qint64 current = T.Book->currentKey();
    start();
    auto c = client();
    ASSERT_TRUE(c->waitStartup());
    EXPECT_EQ(c->Lines.mid(2), (QStringList{
        QStringLiteral("CIDLOG: *DATE*03012026*TIME*0805*LINE*-*NMBR*?*MESG*NONE*NAME*NO NAME*"),
        QStringLiteral("OUTLOG: *DATE*03012026*TIME*0930*LINE*-*NMBR*5550002*MESG*NONE*NAME*Петров -ООО-*"),
        QStringLiteral("CIDLOG: *DATE*03022026*TIME*1000*LINE*-*NMBR*5550001*MESG*NONE*NAME*Иванов*"),
        QStringLiteral("OUTLOG: *DATE*03022026*TIME*1145*LINE*-*NMBR*5559999*MESG*NONE*NAME*NO NAME*"),
        QStringLiteral("250 End of call log"), QStringLiteral("300 End of connection startup")}));
    // The names were read without moving the address book's current row.
    EXPECT_EQ(T.Book->currentKey(), current);

    // A call written later is in the log of the next client.
    T.in(QStringLiteral("5550001"), at(2026, 3, 3, 7, 0));
    auto later = client();
    ASSERT_TRUE(later->waitStartup());
    EXPECT_EQ(later->Lines.at(6), QStringLiteral("CIDLOG: *DATE*03032026*TIME*0700*LINE*-*NMBR*5550001*MESG*NONE*NAME*Иванов*"));
}

TEST_F(CallFeed, StartupLogHoldsTheLastTwoHundredCalls)
{
    // 130 incoming and 90 outgoing calls, a minute apart, alternating journals at the end.
    for (int i = 0; i < 220; ++i) {
        const TDateTime t = at(2026, 4, 1, 0, 0) + i / 1440.0;
        if (i < 130 ? i % 3 != 2 : i % 2 == 0)
            T.in(QString::number(1000 + i), t);
        else
            T.out(QString::number(1000 + i), t);
    }
    start();
    auto c = client();
    ASSERT_TRUE(c->waitStartup());
    const QStringList log = c->Lines.mid(2, c->Lines.size() - 4);
    ASSERT_EQ(log.size(), 200);
    for (int k = 0; k < 200; ++k)
        EXPECT_TRUE(log.at(k).contains(QStringLiteral("*NMBR*%1*").arg(1020 + k))) << log.at(k).toStdString();
    EXPECT_EQ(c->Lines.at(202), QStringLiteral("250 End of call log"));
}

TEST_F(CallFeed, CallLinesCarryNumberNameAndTimes)
{
    T.person(QStringLiteral("5551234"), QStringLiteral("Сидоров*Пётр"));
    T.person(QStringLiteral("???????"), QStringLiteral("Скрытый номер"));
    start();
    auto c = client();
    ASSERT_TRUE(c->waitStartup());
    const qint64 current = T.Book->currentKey();

    // An answered incoming call: the name comes from the address book, "*" becomes "-".
    const TDateTime ring = at(2026, 12, 9, 14, 5, 7);
    Feed->CallNumberKnown(ckIncoming, QStringLiteral("5551234"), QString(), ring);
    Feed->CallEnded(inCall(QStringLiteral("5551234"), ring, 75), TCallAttributes{caVRX});

    // An unanswered call without a number: "?" and the undefined-number subscriber.
    const TDateTime missed = at(2026, 12, 9, 23, 59, 30);
    Feed->CallNumberKnown(ckIncoming, QString(), QString(), missed);
    Feed->CallEnded(inCall(QStringLiteral("?"), missed, 40), TCallAttributes{caNoTalk});

    // An outgoing call with the name the caller gave, two that nobody took, and a blocked one.
    const TDateTime dialled = at(2026, 12, 10, 9, 0, 0);
    Feed->CallNumberKnown(ckOutgoing, QStringLiteral("84951112233"), QStringLiteral("Склад\r\nEND: *x*"), dialled);
    Feed->CallEnded(outCall(QStringLiteral("84951112233"), dialled, 3600 + 61));
    Feed->CallEnded(outCall(QStringLiteral("5550000"), dialled, 0));
    Feed->CallEnded(outCall(QStringLiteral("5550001"), dialled, 20, TCallAttributes{caNoTalk}));
    Feed->CallBlocked(QStringLiteral("5557777"), QString(), dialled);

    ASSERT_TRUE(c->waitLines(c->Lines.size() + 9));
    EXPECT_EQ(c->events(), (QStringList{
        QStringLiteral("CID: *DATE*12092026*TIME*1405*LINE*-*NMBR*5551234*MESG*NONE*NAME*Сидоров-Пётр*"),
        QStringLiteral("END: *HTYPE*BYE*DATE*12092026*TIME*1405*SCALL*12/09/2026 14:05:07*ECALL*12/09/2026 14:06:22"
                       "*CTYPE*IN*LINE*-*NMBR*5551234*NAME*Сидоров-Пётр*"),
        QStringLiteral("CID: *DATE*12092026*TIME*2359*LINE*-*NMBR*?*MESG*NONE*NAME*Скрытый номер*"),
        QStringLiteral("END: *HTYPE*CANCEL*DATE*12092026*TIME*2359*SCALL*12/09/2026 23:59:30*ECALL*12/10/2026 00:00:10"
                       "*CTYPE*IN*LINE*-*NMBR*?*NAME*Скрытый номер*"),
        QStringLiteral("OUT: *DATE*12102026*TIME*0900*LINE*-*NMBR*84951112233*MESG*NONE*NAME*Склад  END: -x-*"),
        QStringLiteral("END: *HTYPE*BYE*DATE*12102026*TIME*0900*SCALL*12/10/2026 09:00:00*ECALL*12/10/2026 10:01:01"
                       "*CTYPE*OUT*LINE*-*NMBR*84951112233*NAME*Склад  END: -x-*"),
        QStringLiteral("END: *HTYPE*CANCEL*DATE*12102026*TIME*0900*SCALL*12/10/2026 09:00:00*ECALL*12/10/2026 09:00:00"
                       "*CTYPE*OUT*LINE*-*NMBR*5550000*NAME*NO NAME*"),
        QStringLiteral("END: *HTYPE*CANCEL*DATE*12102026*TIME*0900*SCALL*12/10/2026 09:00:00*ECALL*12/10/2026 09:00:20"
                       "*CTYPE*OUT*LINE*-*NMBR*5550001*NAME*NO NAME*"),
        QStringLiteral("HUP: *DATE*12102026*TIME*0900*LINE*-*NMBR*5557777*MESG*NONE*NAME*NO NAME*")}));
    EXPECT_FALSE(c->BadEnding);
    EXPECT_EQ(T.Book->currentKey(), current);
}

TEST_F(CallFeed, LongTextsAreCutToWholeCharactersOnTheFeedAndKeptWholeInTheJournal)
{
    // The 50th character lies outside the basic plane: cutting 50 UTF-16 units would split it.
    const QString smile = QString::fromUcs4(U"\U0001F600");
    const QString name = QString(49, QChar(u'Я')) + smile + QStringLiteral("*\r\n") + QString(125000, QChar(u'ж'));
    const QString number = QString(3000, QChar(u'7'));
    T.person(number, name);
    const TDateTime logged = at(2026, 12, 9, 10, 0, 0);
    T.in(number, logged);
    start();
    auto c = client();
    ASSERT_TRUE(c->waitStartup());
    const TDateTime ring = at(2026, 12, 9, 11, 0, 0);
    Feed->CallNumberKnown(ckIncoming, number, QString(), ring);
    Feed->CallEnded(inCall(number, ring, 5), TCallAttributes{caVRX});
    ASSERT_TRUE(c->waitLines(c->Lines.size() + 2));

    QStringList lines = c->events();
    for (const QString &l : std::as_const(c->Lines))
        if (l.startsWith(QStringLiteral("CIDLOG:")))
            lines << l;
    ASSERT_EQ(lines.size(), 3);
    for (const QString &line : std::as_const(lines)) {
        const TNcidLine::TParsed p = TNcidLine::Parse(line);
        ASSERT_TRUE(p.Valid) << line.left(200).toStdString();
        QHash<QString, QString> fields;
        for (const auto &[label, value] : p.Fields)
            fields.insert(label, value);
        EXPECT_EQ(fields.value(QStringLiteral("NAME")), QString(49, QChar(u'Я')) + smile) << line.toStdString();
        EXPECT_EQ(fields.value(QStringLiteral("NMBR")), QString(50, QChar(u'7')));
        EXPECT_FALSE(line.contains(QChar::ReplacementCharacter));
    }
    EXPECT_FALSE(c->BadEnding);
    // The journal keeps the number whole.
    const QVariantList row = T.In->rowByKey(T.In->keyAt(0));
    EXPECT_EQ(row.value(T.In->schema().fieldIndex(QStringLiteral("Phone"))).toString(), number);

    // A short text stays as it is; a lone half of a pair is never taken for a whole character.
    EXPECT_EQ(TNcidLine::Capped(QStringLiteral("abc"), 50), QStringLiteral("abc"));
    EXPECT_EQ(TNcidLine::Capped(smile + smile, 1), smile);
    EXPECT_EQ(TNcidLine::Capped(QString(smile.at(0)) + QStringLiteral("bc"), 2), QString(smile.at(0)) + u'b');
}

TEST_F(CallFeed, OnlyAllowedAddressesMayConnect)
{
    TFeedSettings s = loopback();
    s.AllowedClients = QStringLiteral("127.0.0.1, 10.0.0.0/8 nonsense");
    start(s);
    QSignalSpy refused(&Feed->Server(), &TNcidServer::clientRefused);

    auto outsider = client(QStringLiteral("127.0.0.2"));
    ASSERT_TRUE(outsider->waitClosed());
    EXPECT_TRUE(outsider->Lines.isEmpty());
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.at(0).at(0).value<QHostAddress>(), QHostAddress(QStringLiteral("127.0.0.2")));

    // An allowed client that sends text: it is discarded and changes nothing.
    auto insider = client(QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(insider->waitStartup());
    insider->S.write(QByteArray(256 * 1024, 'x') + "\r\nCALL: 123\r\n");
    QTest::qWait(50);
    Feed->CallNumberKnown(ckIncoming, QStringLiteral("123"), QString(), at(2026, 1, 1, 0, 0));
    ASSERT_TRUE(insider->waitLines(5));
    EXPECT_TRUE(insider->Lines.last().startsWith(QStringLiteral("CID: ")));
    EXPECT_EQ(T.In->totalCount(), 0);
    EXPECT_EQ(Feed->Server().ClientCount(), 1);
}

TEST_F(CallFeed, SettingsSwitchTheServer)
{
    TFeedSettings s = loopback();
    s.Enabled = false;
    start(s);
    QStringList reports;
    Feed->OnReport = [&](const QString &text) { reports << text; };
    EXPECT_FALSE(Feed->Server().IsListening());

    // A port in use leaves the server idle with a message.
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    s.Enabled = true;
    s.Port = taken.serverPort();
    EXPECT_FALSE(Feed->Apply(s));
    EXPECT_FALSE(Feed->ErrorString().isEmpty());
    s.ListenAddress = QStringLiteral("no address");
    EXPECT_FALSE(Feed->Apply(s));
    EXPECT_EQ(reports.size(), 2);

    s.ListenAddress = QStringLiteral("127.0.0.1");
    s.Port = 0;
    ASSERT_TRUE(Feed->Apply(s));
    Port = Feed->Server().ServerPort();
    auto c = client();
    ASSERT_TRUE(c->waitStartup());

    // Settings applied again keep the clients, until the allowed list leaves them out.
    s.Webhooks = QStringLiteral("http://127.0.0.1:9/");
    ASSERT_TRUE(Feed->Apply(s));
    EXPECT_EQ(Feed->Server().ServerPort(), Port);
    Feed->CallBlocked(QStringLiteral("1"), QString(), at(2026, 1, 1, 0, 0));
    EXPECT_TRUE(c->waitLines(5));
    s.AllowedClients = QStringLiteral("192.168.0.0/16");
    ASSERT_TRUE(Feed->Apply(s));
    EXPECT_TRUE(c->waitClosed());
}

TEST_F(CallFeed, ThirtyTwoClientsOneNeverReading)
{
    start();
    std::vector<std::unique_ptr<TClient>> readers;
    for (int i = 0; i < 31; ++i) {
        readers.push_back(client());
        ASSERT_TRUE(readers.back()->waitStartup());
    }
    // A client that takes one byte and then never reads again.
    QTcpSocket stuck;
    stuck.setReadBufferSize(1);
    stuck.connectToHost(QHostAddress::LocalHost, Port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Feed->Server().ClientCount() == 32; }, 5000));

    // The 33rd is closed at once.
    auto extra = client();
    ASSERT_TRUE(extra->waitClosed());
    EXPECT_TRUE(extra->Lines.isEmpty());

    // Lines (their fields cut to 50 characters) until the stuck client has 64 KB
    // waiting beyond what the kernel buffers; every reader gets every line.
    const QString name(1000, QChar(u'Я'));
    int sent = 0;
    for (; sent < 20000 && Feed->Server().ClientCount() == 32; ++sent) {
        Feed->CallNumberKnown(ckIncoming, QString::number(sent), name, at(2026, 5, 5, 5, 5));
        if (sent % 50 == 49)
            for (const auto &r : readers)
                ASSERT_TRUE(r->waitLines(4 + sent + 1));
    }
    EXPECT_LT(sent, 20000) << "the client that never reads was not dropped";
    for (const auto &r : readers)
        ASSERT_TRUE(r->waitLines(4 + sent));
    EXPECT_EQ(Feed->Server().ClientCount(), 31);
    Feed->CallNumberKnown(ckIncoming, QStringLiteral("last"), QString(), at(2026, 5, 5, 5, 6));
    for (const auto &r : readers) {
        ASSERT_TRUE(r->waitLines(4 + sent + 1));
        EXPECT_TRUE(r->Lines.last().contains(QStringLiteral("*NMBR*last*")));
        EXPECT_FALSE(r->BadEnding);
    }
    // A free place takes a new client again.
    auto again = client();
    EXPECT_TRUE(again->waitStartup());
}

}

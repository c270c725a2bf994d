// The call feed in the running program: calls played by the phone simulator
// reach an NCID client and a webhook receiver with their numbers and ends.
#include "MainTestSupport.h"
#include "app/TMain.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include <QLabel>
#include <QStatusBar>
#include "records/TIncomingCallBook.h"
#include "tools/PhoneSimProcess.h"
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include "app/TCallHandler.h"
#include <sqlite3.h>
#include <gtest/gtest.h>
#include <memory>

namespace {
using namespace MainTestSupport;

// A port nobody listens on at the moment.
int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The lines an NCID client has read so far.
class FeedClient {
public:
    explicit FeedClient(int Port)
    {
        QObject::connect(&FSocket, &QTcpSocket::readyRead, [this] {
            while (FSocket.canReadLine())
                Lines << QString::fromUtf8(FSocket.readLine()).trimmed();
        });
        FSocket.connectToHost(QHostAddress::LocalHost, quint16(Port));
    }
    // The first line starting with Prefix at or after From; empty when none came in ms.
    QString waitFor(const QString &Prefix, int From = 0, int ms = 10000)
    {
        QString found;
        SpinUntil([&] {
            for (int i = From; i < Lines.size(); ++i)
                if (Lines.at(i).startsWith(Prefix)) {
                    found = Lines.at(i);
                    return true;
                }
            return false;
        }, ms);
        return found;
    }
    QStringList Lines;

private:
    QTcpSocket FSocket;
};

// A webhook receiver: the JSON bodies posted to it.
class HookReceiver {
public:
    HookReceiver()
    {
        FServer.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&FServer, &QTcpServer::newConnection, [this] {
            QTcpSocket *s = FServer.nextPendingConnection();
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                FBuffer[s] += s->readAll();
                const QByteArray &b = FBuffer[s];
                const int head = b.indexOf("\r\n\r\n");
                if (head < 0)
                    return;
                const int at = b.toLower().indexOf("content-length:");
                const int length = at < 0 ? 0 : b.mid(at + 15, b.indexOf("\r\n", at) - at - 15).trimmed().toInt();
                if (b.size() < head + 4 + length)
                    return;
                Bodies << QJsonDocument::fromJson(b.mid(head + 4, length)).object();
                s->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                s->disconnectFromHost();
            });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/calls").arg(FServer.serverPort()); }
    QList<QJsonObject> Bodies;

private:
    QTcpServer FServer;
    QHash<QTcpSocket *, QByteArray> FBuffer;
};

class FeedEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(FDir.isValid());
        FHooks = std::make_unique<HookReceiver>();   // its socket needs the application's event loop
        FSim = std::make_unique<PhoneSimProcess>(FDir.filePath(QStringLiteral("sim.log")),
                                                 QStringList{QStringLiteral("--keepalive"), QStringLiteral("1000")});
        QString error;
        ASSERT_TRUE(FSim->start(&error)) << error.toStdString();
        FPort = freePort();
        ASSERT_TRUE(WriteSettings(FDir.path(), FDir.filePath(QStringLiteral("Records")), FSim->device(),
                                  [this](TConfig &c) {
                                      c.AskForCalls = false;
                                      c.Feed.Port = FPort;
                                      c.Feed.Webhooks = FHooks->url();
                                  }));
        BaseFolder::set(FDir.path());
        {
            const auto store = TSettingsStore::Open();
            TNumberRules rules;
            rules.Add(QStringLiteral("8800*"), true);
            rules.Store(*store);
            ASSERT_TRUE(store->Flush());
        }
        FMain = std::make_unique<TMain>();
        FMain->ConfirmExit = [] { return true; };
        ASSERT_TRUE(SpinUntil([this] { return FMain->isVisible(); }));
    }
    void TearDown() override
    {
        if (FMain)
            FMain->CloseWithoutAsking();
        FMain.reset();
        if (FSim)
            FSim->stop();
    }
    // Plays scenario lines and waits for the call's row in the incoming journal.
    bool playIncoming(const QString &Lines)
    {
        const int rows = FMain->InCalls()->recordCount();
        FSim->feed(Lines);
        return SpinUntil([&] { return FMain->InCalls()->recordCount() > rows; });
    }

    QTemporaryDir FDir;
    std::unique_ptr<HookReceiver> FHooks;
    int FPort = 0;
    std::unique_ptr<PhoneSimProcess> FSim;
    std::unique_ptr<TMain> FMain;
};

TEST_F(FeedEndToEnd, AnsweredUnansweredAndNumberlessCallsReachTheClientAndTheWebhook)
{
    FeedClient client(FPort);
    ASSERT_FALSE(client.waitFor(QStringLiteral("300 End of connection startup")).isEmpty());
    EXPECT_TRUE(client.Lines.contains(QStringLiteral("252 Call log empty")));

    ASSERT_TRUE(playIncoming(QStringLiteral("ring\nnumber 3 5553412\nring\nwait 0.3\nlift\nwait 1.2\nhangup")));
    const QString cid = client.waitFor(QStringLiteral("CID:"));
    EXPECT_TRUE(cid.contains(QStringLiteral("*NMBR*5553412*"))) << cid.toStdString();
    EXPECT_TRUE(cid.contains(QStringLiteral("*NAME*NO NAME*"))) << cid.toStdString();
    const QString bye = client.waitFor(QStringLiteral("END:"));
    EXPECT_TRUE(bye.contains(QStringLiteral("*HTYPE*BYE*"))) << bye.toStdString();
    EXPECT_TRUE(bye.contains(QStringLiteral("*CTYPE*IN*"))) << bye.toStdString();

    const int after = client.Lines.size();
    ASSERT_TRUE(playIncoming(QStringLiteral("number 2 5559876\nring\nwait 0.3\nhangup")));
    const QString cancel = client.waitFor(QStringLiteral("END:"), after);
    EXPECT_TRUE(cancel.contains(QStringLiteral("*HTYPE*CANCEL*"))) << cancel.toStdString();
    EXPECT_TRUE(cancel.contains(QStringLiteral("*NMBR*5559876*"))) << cancel.toStdString();

    // A call whose number never came is announced as "?" at its end.
    const int later = client.Lines.size();
    ASSERT_TRUE(playIncoming(QStringLiteral("ring\nwait 0.3\nhangup")));
    EXPECT_TRUE(client.waitFor(QStringLiteral("CID:"), later).contains(QStringLiteral("*NMBR*?*")));

    // The webhook got every event as JSON: a ring and an end per call.
    SpinUntil([&] { return FHooks->Bodies.size() >= 6; });
    QStringList events;
    for (const QJsonObject &o : FHooks->Bodies)
        events << o.value(QStringLiteral("event")).toString();
    ASSERT_EQ(events.size(), 6) << events.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(events.count(QStringLiteral("ring")), 3);
    EXPECT_EQ(events.count(QStringLiteral("end")), 3);
    EXPECT_EQ(FHooks->Bodies.first().value(QStringLiteral("number")).toString(), QStringLiteral("5553412"));

    // A client connecting later gets the calls as the log.
    FeedClient late(FPort);
    ASSERT_FALSE(late.waitFor(QStringLiteral("300 End of connection startup")).isEmpty());
    int logged = 0;
    for (const QString &l : late.Lines)
        logged += l.startsWith(QStringLiteral("CIDLOG:"));
    EXPECT_EQ(logged, 3);
}

TEST_F(FeedEndToEnd, HungUpCallGivesHupTheStatusTextAndTheWeeksCount)
{
    FeedClient client(FPort);
    ASSERT_FALSE(client.waitFor(QStringLiteral("300 End of connection startup")).isEmpty());
    auto *count = FMain->findChild<QLabel *>(QStringLiteral("BlockedCallsLabel"));
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->text(), QStringLiteral("Сброшено за неделю: 0"));

    ASSERT_TRUE(playIncoming(QStringLiteral("number 1 88001234567\nring\nwait 0.3\nlift\nwait 1\nhangup")));
    const QString hup = client.waitFor(QStringLiteral("HUP:"));
    EXPECT_TRUE(hup.contains(QStringLiteral("*NMBR*88001234567*"))) << hup.toStdString();
    EXPECT_TRUE(client.waitFor(QStringLiteral("CID:"), 0, 300).isEmpty());
    const TIncomingCallBook *in = FMain->InCalls();
    EXPECT_EQ(in->fieldValue(QStringLiteral("Blocked")).toInt(), 1);
    EXPECT_EQ(count->text(), QStringLiteral("Сброшено за неделю: 1"));
    bool shown = false;
    for (QLabel *l : FMain->statusBar()->findChildren<QLabel *>())
        shown = shown || l->text() == QStringLiteral("Звонок сброшен: 88001234567");
    EXPECT_TRUE(shown);
}

TEST_F(FeedEndToEnd, OutgoingCallGivesOut)
{
    FeedClient client(FPort);
    ASSERT_FALSE(client.waitFor(QStringLiteral("300 End of connection startup")).isEmpty());
    FSim->feed(QStringLiteral("lift\nwait 0.3\ndial 5557788\nwait 0.5\nhangup"));
    const QString out = client.waitFor(QStringLiteral("OUT:"));
    EXPECT_TRUE(out.contains(QStringLiteral("*NMBR*5557788*"))) << out.toStdString();
    const QString end = client.waitFor(QStringLiteral("END:"));
    EXPECT_TRUE(end.contains(QStringLiteral("*CTYPE*OUT*"))) << end.toStdString();
}

// Ending the program while a call rings ends the call now: the feed's END:
// and the "end" webhook carry that start, not a zero date.
TEST_F(FeedEndToEnd, CallRingingWhenTheProgramEndsEndsFromThatMoment)
{
    FeedClient client(FPort);
    ASSERT_FALSE(client.waitFor(QStringLiteral("300 End of connection startup")).isEmpty());
    FSim->feed(QStringLiteral("ring\nwait 0.3\nnumber 2 5559876\nring"));
    ASSERT_FALSE(client.waitFor(QStringLiteral("CID:")).isEmpty());
    const QDateTime closed = QDateTime::currentDateTime();
    FMain->CloseWithoutAsking();
    const QString end = client.waitFor(QStringLiteral("END:"));
    const QString today = closed.toString(QStringLiteral("MMddyyyy"));
    EXPECT_TRUE(end.contains(QStringLiteral("*DATE*") + today + QLatin1Char('*'))) << end.toStdString();
    EXPECT_TRUE(end.contains(QStringLiteral("*SCALL*") + closed.toString(QStringLiteral("MM/dd/yyyy "))))
        << end.toStdString();
    ASSERT_TRUE(SpinUntil([&] { return FHooks->Bodies.size() >= 2; }));
    const QJsonObject hook = FHooks->Bodies.last();
    EXPECT_EQ(hook.value(QStringLiteral("event")).toString(), QStringLiteral("end"));
    EXPECT_TRUE(hook.value(QStringLiteral("start")).toString().startsWith(closed.toString(QStringLiteral("yyyy-MM-dd"))))
        << hook.value(QStringLiteral("start")).toString().toStdString();
    EXPECT_EQ(hook.value(QStringLiteral("length")).toInt(), 0);
}

// A call whose row waits in the backlog is announced when it ends, and not
// again when the backlog writes it.
TEST_F(FeedEndToEnd, CallKeptInTheBacklogIsAnnouncedOnce)
{
    FeedClient client(FPort);
    ASSERT_FALSE(client.waitFor(QStringLiteral("300 End of connection startup")).isEmpty());
    // Another program holds the journal.
    sqlite3_busy_timeout(FMain->InCalls()->connection(), 50);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(FMain->InCalls()->fileName().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    MessageWatch watch;
    FSim->feed(QStringLiteral("number 2 5559876\nring\nwait 0.3\nlift\nwait 1.2\nhangup"));
    const QString end = client.waitFor(QStringLiteral("END:"));
    EXPECT_TRUE(end.contains(QStringLiteral("*HTYPE*BYE*"))) << end.toStdString();
    EXPECT_TRUE(end.contains(QStringLiteral("*NMBR*5559876*"))) << end.toStdString();
    ASSERT_EQ(FMain->CallHandler()->PendingCalls(), 1);
    EXPECT_EQ(FMain->InCalls()->recordCount(), 0);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    FMain->CallHandler()->WritePendingCalls();
    EXPECT_EQ(FMain->InCalls()->recordCount(), 1);
    Spin(1000);
    int ends = 0;
    for (const QString &l : client.Lines)
        ends += l.startsWith(QStringLiteral("END:"));
    EXPECT_EQ(ends, 1);
    int hookEnds = 0;
    for (const QJsonObject &o : FHooks->Bodies)
        hookEnds += o.value(QStringLiteral("event")).toString() == QLatin1String("end");
    EXPECT_EQ(hookEnds, 1);
    ASSERT_FALSE(FHooks->Bodies.isEmpty());
    EXPECT_EQ(FHooks->Bodies.last().value(QStringLiteral("answered")).toBool(), true);
}

} // namespace

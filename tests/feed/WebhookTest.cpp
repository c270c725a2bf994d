// Webhooks posted to a small HTTP receiver on loopback: the JSON of each event,
// the signature, retries, and a receiver that never answers.
#include "FeedTestSupport.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTimer>
#include <memory>
#include <gtest/gtest.h>

using namespace FeedTest;

namespace {

// Takes HTTP requests; answers each with Status, or never when Silent.
class TReceiver {
public:
    struct TRequest {
        QByteArray Head;
        QByteArray Body;
        QByteArray header(const QByteArray &name) const
        {
            for (const QByteArray &line : Head.split('\n'))
                if (line.toLower().startsWith(name.toLower() + ':'))
                    return line.mid(name.size() + 1).trimmed();
            return {};
        }
    };

    // With Tls, the receiver speaks HTTPS with that certificate and key.
    explicit TReceiver(const QSslConfiguration *Tls = nullptr)
    {
        if (Tls) {
            auto *tls = new QSslServer;
            tls->setSslConfiguration(*Tls);
            FServer.reset(tls);
            FScheme = QStringLiteral("https");
        }
        FServer->listen(QHostAddress::LocalHost);
        QObject::connect(FServer.get(), &QTcpServer::pendingConnectionAvailable, [this] {
            while (QTcpSocket *s = FServer->nextPendingConnection()) {
                FSockets << s;
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] { read(s); });
            }
        });
    }
    QString url(const QString &path = QStringLiteral("/hook")) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3").arg(FScheme).arg(FServer->serverPort()).arg(path);
    }
    bool waitRequests(int n, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return Requests.size() >= n; }, ms);
    }

    QList<TRequest> Requests;
    QList<int> Statuses;   // answers in turn; the last one repeats
    bool Silent = false;
    int TrickleMs = 0;     // answers one byte every TrickleMs when set

private:
    void read(QTcpSocket *s)
    {
        QByteArray &buf = FBuffers[s];
        buf += s->readAll();
        for (;;) {
            const qsizetype headEnd = buf.indexOf("\r\n\r\n");
            if (headEnd < 0)
                return;
            TRequest r;
            r.Head = buf.left(headEnd);
            const qsizetype length = r.header("Content-Length").toLongLong();
            if (buf.size() < headEnd + 4 + length)
                return;
            r.Body = buf.mid(headEnd + 4, length);
            buf.remove(0, headEnd + 4 + length);
            const int status = Statuses.isEmpty() ? 200 : Statuses.value(Requests.size(), Statuses.last());
            Requests << r;
            if (TrickleMs > 0)
                trickle(s, QStringLiteral("HTTP/1.1 %1 X\r\nContent-Length: 200\r\n\r\n").arg(status).toLatin1()
                               + QByteArray(200, 'x'));
            else if (!Silent)
                s->write(QStringLiteral("HTTP/1.1 %1 X\r\nContent-Length: 0\r\n\r\n").arg(status).toLatin1());
        }
    }
    void trickle(QTcpSocket *s, const QByteArray &answer)
    {
        auto *timer = new QTimer(s);
        auto sent = std::make_shared<qsizetype>(0);
        QObject::connect(timer, &QTimer::timeout, s, [s, timer, answer, sent] {
            if (*sent >= answer.size() || s->state() != QAbstractSocket::ConnectedState) {
                timer->stop();
                return;
            }
            s->write(answer.mid((*sent)++, 1));
        });
        timer->start(TrickleMs);
    }
    std::unique_ptr<QTcpServer> FServer = std::make_unique<QTcpServer>();
    QString FScheme = QStringLiteral("http");
    QList<QTcpSocket *> FSockets;
    QHash<QTcpSocket *, QByteArray> FBuffers;
};

QJsonObject json(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}

class Webhooks : public ::testing::Test {
protected:
    void start(const QStringList &urls, const QString &secret = QString())
    {
        Feed = std::make_unique<TCallFeed>(*T.Book, *T.In, *T.Out);
        Feed->OnReport = [this](const QString &text) { Failures << text; };
        TFeedSettings s = loopback();
        s.Webhooks = urls.join(QLatin1Char(' '));
        s.WebhookSecret = secret;
        ASSERT_TRUE(Feed->Apply(s));
    }
    TTables T;
    std::unique_ptr<TCallFeed> Feed;
    QStringList Failures;
};

TEST_F(Webhooks, EachEventIsPostedAsSignedJson)
{
    TReceiver receiver;
    T.person(QStringLiteral("5551234"), QStringLiteral("Иванов"));
    start({receiver.url(), QStringLiteral("ftp://example.org/x")}, QStringLiteral("секрет"));
    ASSERT_EQ(Failures.size(), 1);   // the ftp address is left out
    EXPECT_TRUE(Failures.first().contains(QStringLiteral("ftp://example.org/x")));

    const TDateTime start = at(2026, 12, 9, 14, 5, 7);
    Feed->CallNumberKnown(ckIncoming, QStringLiteral("5551234"), QString(), start);
    TInCall row = inCall(QStringLiteral("5551234"), start, 75);
    row.FileName = QStringLiteral("/rec/In_1.wav");
    Feed->CallEnded(row, TCallAttributes{caVRX});
    Feed->CallBlocked(QStringLiteral("5550000"), QStringLiteral("Спам"), start);
    Feed->CallEnded(outCall(QStringLiteral("5557777"), start, 0));
    ASSERT_TRUE(receiver.waitRequests(4));

    const QString offset = TCallFeed::IsoWithOffset(start).right(6);
    for (const TReceiver::TRequest &r : receiver.Requests) {
        EXPECT_TRUE(r.Head.startsWith("POST /hook HTTP/1.1")) << r.Head.constData();
        EXPECT_EQ(r.header("Content-Type"), "application/json");
        const QByteArray mac = QMessageAuthenticationCode::hash(r.Body, QStringLiteral("секрет").toUtf8(),
                                                                QCryptographicHash::Sha256).toHex();
        EXPECT_EQ(r.header("X-Konvelo-Signature"), "sha256=" + mac);
    }
    // Posted in the order of the events.
    const QJsonObject ring = json(receiver.Requests.at(0).Body);
    EXPECT_EQ(ring.value("event").toString(), QStringLiteral("ring"));
    EXPECT_EQ(ring.value("direction").toString(), QStringLiteral("in"));
    EXPECT_EQ(ring.value("number").toString(), QStringLiteral("5551234"));
    EXPECT_EQ(ring.value("name").toString(), QStringLiteral("Иванов"));
    EXPECT_EQ(ring.value("start").toString(), QStringLiteral("2026-12-09T14:05:07") + offset);
    EXPECT_TRUE(ring.value("end").isNull());
    EXPECT_TRUE(ring.value("answered").isNull());

    const QJsonObject end = json(receiver.Requests.at(1).Body);
    EXPECT_EQ(end.value("event").toString(), QStringLiteral("end"));
    EXPECT_EQ(end.value("name").toString(), QStringLiteral("Иванов"));
    EXPECT_EQ(end.value("end").toString(), QStringLiteral("2026-12-09T14:06:22") + offset);
    EXPECT_EQ(end.value("length").toInt(), 75);
    EXPECT_TRUE(end.value("answered").toBool());
    EXPECT_EQ(end.value("recording").toString(), QStringLiteral("/rec/In_1.wav"));
    EXPECT_TRUE(end.value("message").isNull());

    const QJsonObject blocked = json(receiver.Requests.at(2).Body);
    EXPECT_EQ(blocked.value("event").toString(), QStringLiteral("blocked"));
    EXPECT_EQ(blocked.value("name").toString(), QStringLiteral("Спам"));

    const QJsonObject outEnd = json(receiver.Requests.at(3).Body);
    EXPECT_EQ(outEnd.value("direction").toString(), QStringLiteral("out"));
    EXPECT_FALSE(outEnd.value("answered").toBool(true));
    EXPECT_EQ(outEnd.value("length").toInt(-1), 0);
    EXPECT_TRUE(outEnd.value("name").isNull());
    EXPECT_TRUE(outEnd.value("recording").isNull());
}

TEST_F(Webhooks, LongNamesAndNumbersAreCutToWholeCharacters)
{
    TReceiver receiver;
    const QString smile = QString::fromUcs4(U"\U0001F600");
    const QString name = QString(999, QChar(u'Я')) + smile + QString(5000, QChar(u'ж'));
    start({receiver.url()});
    Feed->CallNumberKnown(ckIncoming, QString(4000, QChar(u'5')), name, at(2026, 1, 1, 0, 0));
    ASSERT_TRUE(receiver.waitRequests(1));
    const QJsonObject ring = json(receiver.Requests.first().Body);
    EXPECT_EQ(ring.value("name").toString(), QString(999, QChar(u'Я')) + smile);
    EXPECT_EQ(ring.value("number").toString(), QString(1000, QChar(u'5')));
}

TEST_F(Webhooks, AReceiverThatNeverAnswersDelaysNothing)
{
    TReceiver silent;
    silent.Silent = true;
    start({silent.url()});
    Feed->Webhooks().SetTimings(300, 20);
    TClient c;
    ASSERT_TRUE(c.connectTo(Feed->Server().ServerPort()));
    ASSERT_TRUE(c.waitStartup());

    Feed->CallNumberKnown(ckIncoming, QStringLiteral("5551234"), QString(), at(2026, 1, 1, 0, 0));
    // The call returned before the receiver (on this same thread) could even read the post.
    EXPECT_TRUE(silent.Requests.isEmpty());
    EXPECT_EQ(Feed->Webhooks().Pending(), 1);
    ASSERT_TRUE(c.waitLines(5));
    EXPECT_TRUE(c.Lines.last().startsWith(QStringLiteral("CID: ")));

    // Time-out, three retries, then one line of report.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Failures.isEmpty(); }, 10000));
    EXPECT_EQ(silent.Requests.size(), 4);
    EXPECT_EQ(Feed->Webhooks().Pending(), 0);
    EXPECT_TRUE(Failures.first().contains(silent.url())) << Failures.first().toStdString();
}

TEST_F(Webhooks, AReceiverThatTricklesItsAnswerIsCutOffLikeASilentOne)
{
    // One byte every 100 ms never leaves 600 ms of silence, but the whole answer
    // would take 24 s per attempt.
    TReceiver slow;
    slow.TrickleMs = 100;
    start({slow.url()});
    Feed->Webhooks().SetTimings(600, 20);
    Feed->CallBlocked(QStringLiteral("1"), QString(), at(2026, 1, 1, 0, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Failures.isEmpty(); }, 15000));
    EXPECT_EQ(slow.Requests.size(), 4);
    EXPECT_EQ(Feed->Webhooks().Pending(), 0);
    EXPECT_TRUE(Failures.first().contains(QStringLiteral("within 600 ms"))) << Failures.first().toStdString();

    // The connections are free again: the next post goes through to a prompt receiver.
    slow.TrickleMs = 0;
    Failures.clear();
    Feed->CallBlocked(QStringLiteral("2"), QString(), at(2026, 1, 1, 0, 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Feed->Webhooks().Pending() == 0; }, 5000));
    EXPECT_EQ(slow.Requests.size(), 5);
    EXPECT_TRUE(Failures.isEmpty());
}

TEST_F(Webhooks, FailedPostsAreRetriedThreeTimes)
{
    TReceiver flaky;
    flaky.Statuses = {500, 503, 200};
    TReceiver broken;
    broken.Statuses = {500};
    start({flaky.url(), broken.url()});
    Feed->Webhooks().SetTimings(2000, 10);
    Feed->CallBlocked(QStringLiteral("1"), QString(), at(2026, 1, 1, 0, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Feed->Webhooks().Pending() == 0; }, 10000));
    EXPECT_EQ(flaky.Requests.size(), 3);
    EXPECT_EQ(broken.Requests.size(), 4);
    ASSERT_EQ(Failures.size(), 1);
    EXPECT_TRUE(Failures.first().contains(QStringLiteral("HTTP status 500")));
    EXPECT_EQ(flaky.Requests.first().Body, flaky.Requests.last().Body);
}

TEST_F(Webhooks, HttpsPostsAreSentToo)
{
    // A certificate for 127.0.0.1 made now, trusted by this process only.
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("key.pem")), cert = dir.filePath(QStringLiteral("cert.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert, QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
        GTEST_SKIP() << "openssl cannot make a certificate";
    QFile keyFile(key), certFile(cert);
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly) && certFile.open(QIODevice::ReadOnly));
    const QSslCertificate certificate(certFile.readAll());
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
    const QSslConfiguration before = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = before;
    trusting.addCaCertificate(certificate);
    QSslConfiguration::setDefaultConfiguration(trusting);

    TReceiver receiver(&tls);
    start({receiver.url()}, QStringLiteral("k"));
    Feed->CallNumberKnown(ckOutgoing, QStringLiteral("5551234"), QString(), at(2026, 1, 1, 0, 0));
    const bool got = receiver.waitRequests(1, 10000);
    QSslConfiguration::setDefaultConfiguration(before);
    ASSERT_TRUE(got) << Failures.join(u'\n').toStdString();
    EXPECT_EQ(json(receiver.Requests.first().Body).value("event").toString(), QStringLiteral("outgoing"));
    EXPECT_EQ(receiver.Requests.first().header("X-Konvelo-Signature"),
              TWebhookSender::Signature(receiver.Requests.first().Body, "k"));
}

}

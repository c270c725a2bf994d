// Who may connect, the Feed settings as konvelo-cli config writes them and the
// program loads them, and konvelo-cli feed reading a running feed.
#include "FeedTestSupport.h"
#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include "config/TSettingsStore.h"
#include "feed/TClientFilter.h"
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>

using namespace FeedTest;

namespace {

QString cli()
{
    return QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli");
}

TEST(ClientFilter, AddressesAndSubnets)
{
    const TClientFilter f({QStringLiteral("192.168.1.0/24"), QStringLiteral("10.1.2.3"), QStringLiteral("fd00::/8"),
                           QStringLiteral("::1"), QStringLiteral("300.1.1.1"), QStringLiteral("host.example")});
    EXPECT_EQ(f.Rejected(), (QStringList{QStringLiteral("300.1.1.1"), QStringLiteral("host.example")}));
    EXPECT_TRUE(f.Allows(QHostAddress(QStringLiteral("192.168.1.77"))));
    EXPECT_FALSE(f.Allows(QHostAddress(QStringLiteral("192.168.2.1"))));
    EXPECT_TRUE(f.Allows(QHostAddress(QStringLiteral("10.1.2.3"))));
    EXPECT_FALSE(f.Allows(QHostAddress(QStringLiteral("10.1.2.4"))));
    EXPECT_TRUE(f.Allows(QHostAddress(QStringLiteral("fd12::5"))));
    EXPECT_TRUE(f.Allows(QHostAddress(QStringLiteral("::1"))));
    EXPECT_FALSE(f.Allows(QHostAddress(QStringLiteral("fe80::1"))));
    // An IPv4 client seen through an IPv6 socket.
    EXPECT_TRUE(f.Allows(QHostAddress(QStringLiteral("::ffff:192.168.1.5"))));
    EXPECT_FALSE(f.Allows(QHostAddress(QStringLiteral("::ffff:127.0.0.1"))));
    EXPECT_FALSE(TClientFilter().Allows(QHostAddress::LocalHost));
}

struct FeedSettings : ::testing::Test {
    QTemporaryDir Home;
    void SetUp() override { BaseFolder::set(Home.path()); }
    int run(const QStringList &args)
    {
        QProcess p;
        p.start(cli(), QStringList(args) << QStringLiteral("--home") << Home.path());
        if (!p.waitForFinished(30000))
            return -1;
        return p.exitCode();
    }
};

TEST_F(FeedSettings, WrittenByTheCliLoadedByTheProgram)
{
    if (!QFileInfo::exists(cli()))
        GTEST_SKIP() << "konvelo-cli is not built";
    ASSERT_EQ(run({QStringLiteral("config"), QStringLiteral("init")}), 0);
    {
        TConfig fresh(nullptr);
        EXPECT_EQ(fresh.Feed, TFeedSettings());
    }
    ASSERT_EQ(run({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Feed/Port"), QStringLiteral("4444")}), 0);
    ASSERT_EQ(run({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Feed/AllowedClients"),
                   QStringLiteral("127.0.0.1 192.168.1.0/24")}), 0);
    ASSERT_EQ(run({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Feed/Webhooks"),
                   QStringLiteral("https://crm.example/hook http://10.0.0.5:8080/calls")}), 0);
    EXPECT_NE(run({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Feed/Enabled"), QStringLiteral("maybe")}), 0);
    TConfig config(nullptr);
    EXPECT_FALSE(config.WasFirstRun());
    EXPECT_EQ(config.Feed.Port, 4444);
    EXPECT_EQ(config.Feed.AllowedClientList(), (QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("192.168.1.0/24")}));
    EXPECT_EQ(config.Feed.WebhookList().size(), 2);
    EXPECT_TRUE(config.Feed.Enabled);
}

TEST_F(FeedSettings, SettingsWithoutTheFeedKeyLoadUnchanged)
{
    {
        TConfig first(nullptr);
        ASSERT_TRUE(first.WasFirstRun());
        first.RegionalNumberLength = 6;
    }
    // Settings written before the feed existed.
    {
        QSettings ini(Home.filePath(QStringLiteral("Konvelo.ini")), QSettings::IniFormat);
        ini.remove(QStringLiteral("Feed"));
    }
    TConfig config(nullptr);
    EXPECT_FALSE(config.WasFirstRun());
    EXPECT_EQ(config.RegionalNumberLength, 6);
    EXPECT_EQ(config.Feed, TFeedSettings());
}

TEST(CliFeed, PrintsEachLineAsJson)
{
    if (!QFileInfo::exists(cli()))
        GTEST_SKIP() << "konvelo-cli is not built";
    TTables t;
    t.in(QStringLiteral("5550001"), at(2026, 3, 2, 10, 0));
    TCallFeed feed(*t.Book, *t.In, *t.Out);
    ASSERT_TRUE(feed.Apply(loopback()));

    QProcess p;
    QStringList lines;
    QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] {
        while (p.canReadLine())
            lines << QString::fromUtf8(p.readLine()).trimmed();
    });
    p.start(cli(), {QStringLiteral("feed"), QStringLiteral("--port"), QString::number(feed.Server().ServerPort()),
                    QStringLiteral("--host"), QStringLiteral("127.0.0.1")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() >= 5; }, 10000)) << lines.join(u'\n').toStdString();
    feed.CallNumberKnown(ckOutgoing, QStringLiteral("84951112233"), QStringLiteral("Склад"), at(2026, 3, 3, 9, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() >= 6; }, 10000));

    const auto obj = [&](int i) { return QJsonDocument::fromJson(lines.at(i).toUtf8()).object(); };
    EXPECT_EQ(obj(0).value("code").toInt(), 200);
    EXPECT_EQ(obj(2).value("type").toString(), QStringLiteral("CIDLOG"));
    EXPECT_EQ(obj(2).value("NMBR").toString(), QStringLiteral("5550001"));
    EXPECT_EQ(obj(4).value("code").toInt(), 300);
    const QJsonObject out = obj(5);
    EXPECT_EQ(out.value("type").toString(), QStringLiteral("OUT"));
    EXPECT_EQ(out.value("DATE").toString(), QStringLiteral("03032026"));
    EXPECT_EQ(out.value("TIME").toString(), QStringLiteral("0900"));
    EXPECT_EQ(out.value("NMBR").toString(), QStringLiteral("84951112233"));
    EXPECT_EQ(out.value("NAME").toString(), QStringLiteral("Склад"));

    // The feed going away ends it with a message and a non-zero status.
    feed.Server().Close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_FALSE(p.readAllStandardError().isEmpty());
}

}

#include "common/BaseFolder.h"
#include "config/TConfig.h"
#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {
struct CliConfig : ::testing::Test {
    QTemporaryDir Home;
    int Exit = -1;
    QString Out;
    QString Err;

    void SetUp() override
    {
        if (!QFileInfo::exists(Cli()))
            GTEST_SKIP() << "konvelo-cli is not built";
    }
    static QString Cli() { return QStringLiteral(KONVELO_BIN_DIR "/tools/cli/konvelo-cli"); }
    QString Run(QStringList args)
    {
        args << QStringLiteral("--home") << Home.path();
        QProcess p;
        p.start(Cli(), args);
        p.waitForFinished(30000);
        Exit = p.exitCode();
        Out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        Err = QString::fromUtf8(p.readAllStandardError()).trimmed();
        return Out;
    }
    QByteArray IniBytes() const
    {
        QFile f(Home.filePath(QStringLiteral("Konvelo.ini")));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};
}

TEST_F(CliConfig, InitGetSetAndTypes)
{
    const QString records = Home.filePath(QStringLiteral("Записи"));
    Run({QStringLiteral("config"), QStringLiteral("init"), QStringLiteral("--records"), records});
    ASSERT_EQ(Exit, 0) << Err.toStdString();
    EXPECT_TRUE(QFileInfo(records).isDir());
    EXPECT_EQ(Run({"config", "get", "Data/Records Directory"}), records);
    EXPECT_EQ(Run({"config", "get", QStringLiteral("Data/Ask for \u0441alls")}), QStringLiteral("true"));
    EXPECT_EQ(Run({"config", "get", "ExternalData/Outlook/OutlHomeName"}), QStringLiteral("Домашний"));
    EXPECT_EQ(Run({"config", "get", "Config/EndNight"}), QStringLiteral("09:00:00"));
    EXPECT_EQ(Run({"config", "get", "Port/Port"}), QStringLiteral("COM1"));

    const QList<QPair<QString, QString>> values{
        {"Config/StartNight", "22:15:30"},
        {"Data/LastOff", "2026-12-09T10:15:30.250"},
        {"Config/DayVolume", "-5"},
        {"Config/InField3", "Тема, разговора"},
        {"Data/Input Filter", "Phone = '12*'"},
        {"Port/Port", "/dev/ttyUSB0"},
    };
    for (const auto &[key, value] : values) {
        Run({"config", "set", key, value});
        EXPECT_EQ(Exit, 0) << key.toStdString() << Err.toStdString();
        EXPECT_EQ(Run({"config", "get", key}), value);
    }
    Run({"config", "set", "Data/yrd", "1"});
    EXPECT_EQ(Run({"config", "get", "Data/yrd"}), QStringLiteral("true"));
    Run({"config", "set", "Data/yrd", "false"});
    EXPECT_EQ(Run({"config", "get", "Data/yrd"}), QStringLiteral("false"));

    // The program reads what the tool wrote.
    BaseFolder::set(Home.path());
    {
        TConfig c(nullptr);
        EXPECT_FALSE(c.WasFirstRun());
        EXPECT_EQ(c.DayVolume, -5);
        EXPECT_EQ(c.InField[3], QStringLiteral("Тема, разговора"));
        EXPECT_EQ(c.StartNight.time(), QTime(22, 15, 30));
        EXPECT_EQ(c.PortSettings().Port, QStringLiteral("/dev/ttyUSB0"));
    }

    // Refused: unknown keys (case and the Cyrillic "с" count), wrong types, values that
    // would make the next start rewrite everything. Nothing changes.
    const QByteArray before = IniBytes();
    const QList<QStringList> refused{
        {"config", "set", "Data/Ask for calls", "1"},
        {"config", "set", "data/yrd", "1"},
        {"config", "set", "Config/Nope", "1"},
        {"config", "set", "Config/DayVolume", "12a"},
        {"config", "set", "Data/yrd", "yes"},
        {"config", "set", "Config/EndNight", "25:00:00"},
        {"config", "set", "Data/LastOff", "09.12.2026"},
        {"config", "set", "Port/BaudRate", "fast"},
        {"config", "set", "Data/Records Directory", ""},
        {"config", "get", "Config"},
        {"config", "get"},
    };
    for (const QStringList &args : refused) {
        Run(args);
        EXPECT_EQ(Exit, 2) << args.join(' ').toStdString();
    }
    EXPECT_EQ(IniBytes(), before);
    Run({"config", "get", "Config/BDPath"});
    EXPECT_EQ(Exit, 1);
}

TEST_F(CliConfig, DumpHoldsEveryValue)
{
    Run({"config", "init"});
    ASSERT_EQ(Exit, 0) << Err.toStdString();
    Run({"config", "dump"});
    ASSERT_EQ(Exit, 0);
    EXPECT_EQ(Out.count(QLatin1Char('\n')), 0);
    const QJsonObject o = QJsonDocument::fromJson(Out.toUtf8()).object();
    EXPECT_EQ(o.value("Port/Port").toString(), QStringLiteral("COM1"));
    EXPECT_EQ(o.value("Port/Parity.ReplaceChar").toString(), QStringLiteral("#0"));
    EXPECT_EQ(o.value("Config/InField8").toString(), QStringLiteral("Поле 8"));
    EXPECT_EQ(o.value("Config/OutFieldYes8"), QJsonValue(false));
    EXPECT_EQ(o.value("Config/TreeWidth"), QJsonValue(300));
    EXPECT_EQ(o.value(QStringLiteral("Data/Ask for \u0441alls")), QJsonValue(true));
    EXPECT_EQ(o.value("Config/StartNight").toString(), QStringLiteral("00:00:00"));
    EXPECT_TRUE(QDateTime::fromString(o.value("Data/LastOff").toString(), Qt::ISODateWithMs).isValid());
    EXPECT_EQ(o.value("ExternalData/Outlook/OutlOtherName").toString(), QStringLiteral("Другой"));
    EXPECT_FALSE(o.contains("Config/BDPath"));
    EXPECT_EQ(o.value("Feed/Port"), QJsonValue(3333));
    EXPECT_EQ(o.value("Feed/ListenAddress").toString(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(o.value("Rules/List").toString(), QString());
    EXPECT_EQ(o.size(), 9 + 14 + 61 + 16 + 5 + 6 + 1);
}

TEST_F(CliConfig, SecretsAreMaskedUnlessAskedForAndTheFileIsTheOwnersOnly)
{
    Run({"config", "init"});
    ASSERT_EQ(Exit, 0) << Err.toStdString();
    const QString ini = Home.filePath(QStringLiteral("Konvelo.ini"));
    EXPECT_FALSE(QFileInfo(ini).permissions()
                 & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther));

    // An empty secret is no secret: it shows as it is.
    EXPECT_EQ(Run({"config", "get", "Feed/WebhookSecret"}), QString());
    EXPECT_EQ(Exit, 0);
    Run({"config", "set", "Feed/WebhookSecret", "ключ-вебхука"});
    Run({"config", "set", "Data/ypw", "пароль"});
    ASSERT_EQ(Exit, 0) << Err.toStdString();

    EXPECT_EQ(Run({"config", "get", "Feed/WebhookSecret"}), QStringLiteral("********"));
    EXPECT_EQ(Run({"config", "get", "Data/ypw"}), QStringLiteral("********"));
    EXPECT_EQ(Run({"config", "get", "Port/Port"}), QStringLiteral("COM1"));
    Run({"config", "dump"});
    EXPECT_FALSE(Out.contains(QStringLiteral("ключ-вебхука")) || Out.contains(QStringLiteral("пароль")));
    QJsonObject o = QJsonDocument::fromJson(Out.toUtf8()).object();
    EXPECT_EQ(o.value("Feed/WebhookSecret").toString(), QStringLiteral("********"));
    EXPECT_EQ(o.value("Data/ypw").toString(), QStringLiteral("********"));
    EXPECT_EQ(o.value("Feed/Port"), QJsonValue(3333));

    EXPECT_EQ(Run({"config", "get", "Data/ypw", "--show-secrets"}), QStringLiteral("пароль"));
    Run({"config", "dump", "--show-secrets"});
    o = QJsonDocument::fromJson(Out.toUtf8()).object();
    EXPECT_EQ(o.value("Feed/WebhookSecret").toString(), QStringLiteral("ключ-вебхука"));
    EXPECT_EQ(o.value("Data/ypw").toString(), QStringLiteral("пароль"));
}

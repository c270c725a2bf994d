// konvelo-cli as an installed program meets it: a program folder it may not
// write, the files an install ships, a serial port the user may not open, and
// the login start. Whatever must be denied is denied for real: as root the
// program runs as the user "nobody" (setpriv), otherwise the permission bits do.
#include "CliProcess.h"
#include "PhoneSimProcess.h"
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PhoneSimProcess::ensureApplication();
        ASSERT_TRUE(FDir.isValid());
        FRoot = geteuid() == 0;
        // Every folder on the way must be open to the unprivileged user.
        QFile::setPermissions(FDir.path(), QFileDevice::Permissions(0x7755));
        FXdgData = mkdirFor(QStringLiteral("xdg-data"));
        FXdgConfig = mkdirFor(QStringLiteral("xdg-config"));
    }

    void TearDown() override
    {
        // Writable again, so that the temporary folder can go.
        for (const QString &folder : FReadOnly)
            QFile::setPermissions(folder, QFileDevice::Permissions(0x7755));
    }

    // A folder the program may write.
    QString mkdirFor(const QString &rel)
    {
        const QString p = FDir.filePath(rel);
        QDir().mkpath(p);
        if (FRoot)
            EXPECT_EQ(::chown(QFile::encodeName(p).constData(), Nobody, Nobody), 0);
        return p;
    }

    // A copy of konvelo-cli in Folder (created), which the program may not write.
    QString installCli(const QString &folder)
    {
        QDir().mkpath(folder);
        const QString exe = QDir(folder).filePath(QStringLiteral("konvelo-cli"));
        EXPECT_TRUE(QFile::copy(CliProcess::program(), exe));
        QFile::setPermissions(exe, QFileDevice::Permissions(0x7755));
        QFile::setPermissions(folder, QFileDevice::Permissions(0x5555));
        FReadOnly << folder;
        return exe;
    }

    Outcome run(const QString &exe, const QStringList &args, bool unprivileged = true)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KONVELO_HOME"));
        env.insert(QStringLiteral("HOME"), FXdgData);
        env.insert(QStringLiteral("XDG_DATA_HOME"), FXdgData);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), FXdgConfig);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(FDir.path());
        if (FRoot && unprivileged)
            p.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                           QStringLiteral("--clear-groups"), exe} + args);
        else
            p.start(exe, args);
        Outcome r;
        EXPECT_TRUE(p.waitForFinished(30000)) << args.join(' ').toStdString();
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // Below /tmp, whatever TMPDIR says: "nobody" must reach it.
    QTemporaryDir FDir{QStringLiteral("/tmp/konvelo-install-XXXXXX")};
    QStringList FReadOnly;
    bool FRoot = false;
    QString FXdgData;
    QString FXdgConfig;
};

TEST_F(InstallTest, ReadOnlyProgramFolderKeepsTheDataInThePerUserFolder)
{
    if (FRoot && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "root without setpriv cannot be denied a folder";
    const QString bin = FDir.filePath(QStringLiteral("readonly"));
    const QString exe = installCli(bin);
    const QString perUser = FXdgData + QStringLiteral("/Konvelo");

    Outcome paths = run(exe, {QStringLiteral("paths")});
    ASSERT_EQ(paths.exitCode, 0) << paths.err.toStdString();
    const QJsonObject where = CliProcess::json(paths.out.trimmed());
    EXPECT_EQ(where.value(QStringLiteral("home")).toString(), perUser);
    EXPECT_EQ(where.value(QStringLiteral("settings")).toString(), perUser + QStringLiteral("/Konvelo.ini"));

    const Outcome add = run(exe, {QStringLiteral("journal"), QStringLiteral("add"), QStringLiteral("in"),
                              QStringLiteral("{\"Phone\":\"5550101\"}")});
    const Outcome list = run(exe, {QStringLiteral("journal"), QStringLiteral("list"), QStringLiteral("in")});
    EXPECT_EQ(add.exitCode, 0) << add.err.toStdString();
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(QFile::exists(perUser + QStringLiteral("/Data/InCalls.cds")));
    EXPECT_FALSE(QFileInfo::exists(bin + QStringLiteral("/Data")));
    EXPECT_TRUE(list.out.contains(QStringLiteral("5550101"))) << list.out.toStdString();

    // --home still wins over the per-user folder.
    const QString own = mkdirFor(QStringLiteral("own"));
    paths = run(exe, {QStringLiteral("paths"), QStringLiteral("--home"), own});
    EXPECT_EQ(CliProcess::json(paths.out.trimmed()).value(QStringLiteral("home")).toString(), own);
}

TEST_F(InstallTest, InstalledCopyFillsThePerUserFolderWithoutReplacingTheUsersFiles)
{
    const QString shared = FDir.filePath(QStringLiteral("usr/share/konvelo"));
    QDir().mkpath(shared + QStringLiteral("/Sounds/Bells"));
    for (const auto &[rel, text] : {std::pair{"Params.vrx", "shipped"}, std::pair{"Sounds/Bells/Din.wav", "ring"}}) {
        QFile f(shared + QLatin1Char('/') + QLatin1String(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const QString exe = installCli(FDir.filePath(QStringLiteral("usr/bin")));
    const QString perUser = FXdgData + QStringLiteral("/Konvelo");
    QDir().mkpath(perUser);
    {
        QFile mine(perUser + QStringLiteral("/Params.vrx"));
        ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
    }
    if (FRoot)
        for (const QString &p : {perUser, perUser + QStringLiteral("/Params.vrx")})
            ASSERT_EQ(::chown(QFile::encodeName(p).constData(), Nobody, Nobody), 0);

    const Outcome paths = run(exe, {QStringLiteral("paths")});
    ASSERT_EQ(paths.exitCode, 0) << paths.err.toStdString();
    EXPECT_EQ(CliProcess::json(paths.out.trimmed()).value(QStringLiteral("home")).toString(), perUser);
    QFile params(perUser + QStringLiteral("/Params.vrx"));
    ASSERT_TRUE(params.open(QIODevice::ReadOnly));
    EXPECT_EQ(params.readAll(), "mine");
    QFile ring(perUser + QStringLiteral("/Sounds/Bells/Din.wav"));
    ASSERT_TRUE(ring.open(QIODevice::ReadOnly));
    EXPECT_EQ(ring.readAll(), "ring");
}

TEST_F(InstallTest, PortWithoutPermissionNamesTheGroupAndTheCommand)
{
    if (FRoot && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "root without setpriv cannot be denied a device";
    const QString dev = FDir.filePath(QStringLiteral("dev"));
    QDir().mkpath(dev);
    const QString node = dev + QStringLiteral("/ttyKV0");
    const QByteArray path = QFile::encodeName(node);
    // A character device like a serial adapter's, else a plain file: the
    // permission check comes before the driver either way.
    if (::mknod(path.constData(), S_IFCHR | 0660, makedev(4, 64)) != 0) {
        QFile f(node);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QString group;
    QString user;
    if (FRoot) {
        const struct group *dialout = getgrnam("dialout");
        const gid_t gid = dialout ? dialout->gr_gid : 20;
        ASSERT_EQ(::chown(path.constData(), 0, gid), 0);
        ASSERT_EQ(::chmod(path.constData(), 0660), 0);
        group = dialout ? QStringLiteral("dialout") : QStringLiteral("20");
        user = QStringLiteral("nobody");
    } else {
        ASSERT_EQ(::chmod(path.constData(), 0), 0);
        const struct group *own = getgrgid(getegid());
        group = own ? QString::fromLocal8Bit(own->gr_name) : QString::number(getegid());
        user = qEnvironmentVariable("USER");
    }

    const Outcome denied = run(CliProcess::program(), {QStringLiteral("check-port"), QStringLiteral("--port"), node});
    EXPECT_NE(denied.exitCode, 0);
    EXPECT_TRUE(denied.out.isEmpty());
    EXPECT_TRUE(denied.err.contains(node)) << denied.err.toStdString();
    EXPECT_TRUE(denied.err.contains(QStringLiteral("группа ") + group)) << denied.err.toStdString();
    if (!user.isEmpty())
        EXPECT_TRUE(denied.err.contains(QStringLiteral("sudo usermod -aG %1 %2").arg(group, user)))
            << denied.err.toStdString();

    // A missing port is no permission matter.
    const Outcome missing = run(CliProcess::program(),
                            {QStringLiteral("check-port"), QStringLiteral("--port"), dev + QStringLiteral("/ttyKV9")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_FALSE(missing.err.contains(QStringLiteral("usermod"))) << missing.err.toStdString();
}

TEST_F(InstallTest, AutostartEntryIsWrittenAndRemoved)
{
    const QString home = mkdirFor(QStringLiteral("my home $x"));
    const QString entry = FXdgConfig + QStringLiteral("/autostart/konvelo.desktop");
    Outcome on = run(CliProcess::program(), {QStringLiteral("config"), QStringLiteral("autostart"), QStringLiteral("on"),
                                         QStringLiteral("--home"), home});
    ASSERT_EQ(on.exitCode, 0) << on.err.toStdString();
    EXPECT_EQ(CliProcess::json(on.out.trimmed()).value(QStringLiteral("autostart")).toBool(), true);
    EXPECT_EQ(CliProcess::json(on.out.trimmed()).value(QStringLiteral("entry")).toString(), entry);
    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    f.close();
    // The base folder quoted as an Exec argument: blank and dollar sign.
    EXPECT_TRUE(text.contains(QStringLiteral(" --home \"") + FDir.path() + QStringLiteral("/my home \\\\$x\" --minimized\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Name[ru]=Монитор телефонной линии")));
    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validate.isEmpty()) {
        QProcess v;
        v.start(validate, {entry});
        ASSERT_TRUE(v.waitForFinished(10000));
        EXPECT_EQ(v.exitCode(), 0) << v.readAll().toStdString();
    }

    const Outcome off = run(CliProcess::program(), {QStringLiteral("config"), QStringLiteral("autostart"), QStringLiteral("off")});
    EXPECT_EQ(off.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_EQ(CliProcess::json(off.out.trimmed()).value(QStringLiteral("autostart")).toBool(true), false);
    EXPECT_EQ(run(CliProcess::program(), {QStringLiteral("config"), QStringLiteral("autostart"), QStringLiteral("off")})
                  .exitCode,
              0);
    EXPECT_NE(run(CliProcess::program(), {QStringLiteral("config"), QStringLiteral("autostart"), QStringLiteral("maybe")})
                  .exitCode,
              0);
}

}

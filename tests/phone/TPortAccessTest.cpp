// Which failed opens are a permission matter: only a device this user may not
// read and write, not a port locked by another program nor a missing one.
#include "PhoneTestSupport.h"
#include "phone/TPortAccess.h"
#include "phone/TSerialLink.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(TPortAccessTest, OnlyADeviceThisUserMayNotOpenIsAPermissionMatter)
{
    QTemporaryDir dir;
    const QString mine = dir.filePath(QStringLiteral("ttyMine"));
    {
        QFile f(mine);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TPortAccess access;
    // QSerialPort gives the same error for a lock held by another program.
    EXPECT_FALSE(access.Check(mine, QSerialPort::PermissionError));
    EXPECT_FALSE(access.Check(dir.filePath(QStringLiteral("ttyNone")), QSerialPort::PermissionError));
    EXPECT_FALSE(access.Check(mine, QSerialPort::DeviceNotFoundError));
    EXPECT_FALSE(access.Check(QString(), QSerialPort::PermissionError));
    EXPECT_TRUE(access.Device.isEmpty());
}

TEST(TPortAccessTest, TheLinkKeepsWhyItsLastOpenFailed)
{
    ensureApp();
    QTemporaryDir dir;
    TSerialLink link;
    link.SetPort(dir.filePath(QStringLiteral("ttyNone")));
    EXPECT_FALSE(link.Open());
    EXPECT_NE(link.OpenError(), QSerialPort::NoError);
    EXPECT_NE(link.OpenError(), QSerialPort::PermissionError);
    link.SetPort(QString());
    EXPECT_FALSE(link.Open());
    EXPECT_EQ(link.OpenError(), QSerialPort::DeviceNotFoundError);
}

TEST(TPortAccessTest, ADeviceWithoutPermissionNamesItsGroupAndTheCommand)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open any device; InstallTest denies one to nobody";
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("ttyDenied"));
    {
        QFile f(node);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::setPermissions(node, QFileDevice::Permissions()));
    TPortAccess access;
    ASSERT_TRUE(access.Check(node, QSerialPort::PermissionError));
    EXPECT_EQ(access.Device, node);
    EXPECT_FALSE(access.Group.isEmpty());
    EXPECT_EQ(access.Command(), QStringLiteral("sudo usermod -aG %1 %2").arg(access.Group, access.User));
    EXPECT_TRUE(access.SecondLine().contains(access.Command()));
}

// The base folder's order and the copy of the files an install ships.
#include "common/BaseFolder.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class BaseFolderTest : public ::testing::Test {
protected:
    QTemporaryDir FDir;
    QString at(const QString &rel) const { return FDir.filePath(rel); }
};

TEST_F(BaseFolderTest, OptionThenEnvironmentThenWritableProgramFolderThenPerUser)
{
    const QString exe = at(QStringLiteral("portable"));
    QDir().mkpath(exe);
    const QString perUser = at(QStringLiteral("user/Konvelo"));
    EXPECT_EQ(BaseFolder::choose(QStringLiteral("/opt/a"), QStringLiteral("/opt/b"), exe, perUser), "/opt/a");
    EXPECT_EQ(BaseFolder::choose(QString(), QStringLiteral("/opt/b"), exe, perUser), "/opt/b");
    EXPECT_EQ(BaseFolder::choose(QString(), QString(), exe, perUser), exe);
    // A folder below a plain file can never be written, not even by root.
    writeFile(at(QStringLiteral("plain")), "x");
    const QString unwritable = at(QStringLiteral("plain/bin"));
    EXPECT_FALSE(BaseFolder::isWritableFolder(unwritable));
    EXPECT_EQ(BaseFolder::choose(QString(), QString(), unwritable, perUser), perUser);
    // The probe leaves nothing behind.
    EXPECT_TRUE(BaseFolder::isWritableFolder(exe));
    EXPECT_TRUE(QDir(exe).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(BaseFolderTest, InstalledCopyUsesPerUserFolderEvenWhenItsFolderIsWritable)
{
    const QString bin = at(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    QDir().mkpath(at(QStringLiteral("usr/share/konvelo")));
    const QString perUser = at(QStringLiteral("user/Konvelo"));
    EXPECT_EQ(BaseFolder::sharedPath(bin), at(QStringLiteral("usr/share/konvelo")));
    EXPECT_EQ(BaseFolder::choose(QString(), QString(), bin, perUser), perUser);
    EXPECT_TRUE(BaseFolder::sharedPath(at(QStringLiteral("user"))).isEmpty());
}

TEST_F(BaseFolderTest, ShippedFilesFillOnlyWhatIsMissing)
{
    const QString shared = at(QStringLiteral("share/konvelo"));
    writeFile(shared + QStringLiteral("/Params.vrx"), "shipped params");
    writeFile(shared + QStringLiteral("/Sounds/Bells/Din.wav"), "RIFF shipped ring");
    const QString base = at(QStringLiteral("base"));
    writeFile(base + QStringLiteral("/Params.vrx"), "the user's params");

    QStringList copied = BaseFolder::copyShipped(shared, base);
    EXPECT_EQ(copied, QStringList{QStringLiteral("Sounds/Bells/Din.wav")});
    EXPECT_EQ(readFile(base + QStringLiteral("/Params.vrx")), "the user's params");
    EXPECT_EQ(readFile(base + QStringLiteral("/Sounds/Bells/Din.wav")), "RIFF shipped ring");
    EXPECT_FALSE(QFile::exists(base + QStringLiteral("/Sounds/Bells/Din.wav.part")));

    // The user's own ring replaces nothing either on the next start, and a
    // removed file comes back.
    writeFile(base + QStringLiteral("/Sounds/Bells/Din.wav"), "my ring");
    QFile::remove(base + QStringLiteral("/Params.vrx"));
    copied = BaseFolder::copyShipped(shared, base);
    EXPECT_EQ(copied, QStringList{QStringLiteral("Params.vrx")});
    EXPECT_EQ(readFile(base + QStringLiteral("/Sounds/Bells/Din.wav")), "my ring");
    EXPECT_EQ(readFile(base + QStringLiteral("/Params.vrx")), "shipped params");
}

}

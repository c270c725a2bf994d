#include "config/TConfigError.h"
#include "config/TIniSettingsStore.h"
#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

namespace {
QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

struct IniStore : ::testing::Test {
    QTemporaryDir Dir;
    QString File() const { return Dir.filePath(QStringLiteral("Konvelo.ini")); }
};
}

TEST_F(IniStore, NamesAndValuesRoundTripExactlyThroughTheFile)
{
    const QString askForCalls = QStringLiteral("Ask for \u0441alls");   // Cyrillic с
    const QString awkward = QStringLiteral("a/b\\c%2Fd e");
    const QStringList texts{
        QStringLiteral("Поле 1"), QStringLiteral("  padded  "), QStringLiteral("a, b,c"),
        QStringLiteral("@ByteArray(x)"), QStringLiteral("\"quoted\" = ; # [x]"),
        QStringLiteral("line\nbreak\ttab"), QString()};
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(char(i));
    {
        TIniSettingsStore s(File());
        s.WriteBool(QStringLiteral("Data"), askForCalls, true);
        s.WriteInteger(QStringLiteral("Data"), awkward, -123456);
        for (int i = 0; i < texts.size(); ++i)
            s.WriteString(QStringLiteral("Config"), QStringLiteral("T%1").arg(i), texts.at(i));
        s.WriteBinary(QStringLiteral("Config"), QStringLiteral("Bin"), binary);
        s.WriteDateTime(QStringLiteral("Config"), QStringLiteral("When"), TDateTime(46000.75));
        s.WriteString(QStringLiteral("ExternalData/Outlook"), QStringLiteral("OutlHomeName"),
                      QStringLiteral("Домашний"));
        ASSERT_TRUE(s.Flush());
    }
    TIniSettingsStore s(File());
    EXPECT_TRUE(s.ReadBool(QStringLiteral("Data"), askForCalls));
    EXPECT_FALSE(s.ValueExists(QStringLiteral("Data"), QStringLiteral("Ask for calls")));
    EXPECT_EQ(s.ReadInteger(QStringLiteral("Data"), awkward), -123456);
    EXPECT_TRUE(s.ValueNames(QStringLiteral("Data")).contains(awkward));
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(s.ReadString(QStringLiteral("Config"), QStringLiteral("T%1").arg(i)), texts.at(i)) << i;
    EXPECT_EQ(s.Read(QStringLiteral("Config"), QStringLiteral("Bin")).Binary, binary);
    EXPECT_EQ(s.ReadDateTime(QStringLiteral("Config"), QStringLiteral("When")).value(), 46000.75);
    EXPECT_EQ(s.ReadString(QStringLiteral("ExternalData/Outlook"), QStringLiteral("OutlHomeName")),
              QStringLiteral("Домашний"));
    EXPECT_TRUE(s.Keys().contains(QStringLiteral("ExternalData/Outlook")));
    EXPECT_TRUE(s.KeyExists(QStringLiteral("ExternalData/Outlook")));
    EXPECT_FALSE(s.KeyExists(QStringLiteral("Statistics")));

    // The Cyrillic letter of the value name is kept as such, texts are UTF-8.
    const QByteArray bytes = FileBytes(File());
    EXPECT_TRUE(bytes.contains("Ask%20for%20%U0441alls="));
    EXPECT_TRUE(bytes.contains(QStringLiteral("=Поле 1").toUtf8()));
    EXPECT_TRUE(bytes.contains("[ExternalData]"));
}

TEST_F(IniStore, TypedReadsRefuseMissingAndWrongValues)
{
    TIniSettingsStore s(File());
    s.WriteString(QStringLiteral("Data"), QStringLiteral("Text"), QStringLiteral("abc"));
    s.WriteString(QStringLiteral("Data"), QStringLiteral("Big"), QStringLiteral("99999999999"));
    s.WriteBinary(QStringLiteral("Data"), QStringLiteral("Short"), QByteArray(7, '\0'));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    s.WriteDateTime(QStringLiteral("Data"), QStringLiteral("NaN"), TDateTime(nan));
    s.WriteDateTime(QStringLiteral("Data"), QStringLiteral("Far"), TDateTime(1e12));
    s.WriteString(QStringLiteral("Data"), QStringLiteral("Yes"), QStringLiteral("TRUE"));
    s.WriteString(QStringLiteral("Data"), QStringLiteral("Two"), QStringLiteral("2"));

    EXPECT_THROW(s.ReadInteger(QStringLiteral("Data"), QStringLiteral("Text")), TConfigError);
    EXPECT_THROW(s.ReadInteger(QStringLiteral("Data"), QStringLiteral("Big")), TConfigError);
    EXPECT_THROW(s.ReadBool(QStringLiteral("Data"), QStringLiteral("Text")), TConfigError);
    EXPECT_THROW(s.ReadDateTime(QStringLiteral("Data"), QStringLiteral("Text")), TConfigError);
    EXPECT_THROW(s.ReadDateTime(QStringLiteral("Data"), QStringLiteral("Short")), TConfigError);
    EXPECT_THROW(s.ReadDateTime(QStringLiteral("Data"), QStringLiteral("NaN")), TConfigError);
    EXPECT_THROW(s.ReadDateTime(QStringLiteral("Data"), QStringLiteral("Far")), TConfigError);
    EXPECT_THROW(s.ReadString(QStringLiteral("Data"), QStringLiteral("Short")), TConfigError);
    EXPECT_TRUE(s.ReadBool(QStringLiteral("Data"), QStringLiteral("Yes")));
    EXPECT_TRUE(s.ReadBool(QStringLiteral("Data"), QStringLiteral("Two")));
    try {
        s.ReadString(QStringLiteral("Data"), QStringLiteral("Missing"));
        FAIL() << "a missing value was read";
    } catch (const TConfigError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Missing")));
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Software\\Konvelo\\Data")));
    }
}

TEST_F(IniStore, HandEditedFileIsReadAsWellAsItCanBe)
{
    WriteFile(File(), "[Data]\n"
                      "Input Filter=Phone = '1', Name = 'x'\n"
                      "Channel Type= 1 \n"
                      "[Config]\n"
                      "DayVolume=@Variant(\\0\\0\\0\\x7f\\0\\0)\n");
    TIniSettingsStore s(File());
    EXPECT_EQ(s.ReadString(QStringLiteral("Data"), QStringLiteral("Input Filter")),
              QStringLiteral("Phone = '1', Name = 'x'"));
    EXPECT_EQ(s.ReadInteger(QStringLiteral("Data"), QStringLiteral("Channel Type")), 1);
    EXPECT_THROW(s.ReadInteger(QStringLiteral("Config"), QStringLiteral("DayVolume")), TConfigError);
    EXPECT_TRUE(s.KeptCopy().isEmpty());
}

TEST_F(IniStore, FileThatDoesNotParseIsKeptBeforeItIsWritten)
{
    const QByteArray broken("[Data\nx=1\n\xff\xfe\x00garbage=[[[\n[Config]\ny=\"unterminated\n", 56);
    WriteFile(File(), broken);
    {
        // Reading alone leaves the file as it is.
        TIniSettingsStore reader(File());
        reader.Read(QStringLiteral("Data"), QStringLiteral("x"));
    }
    TIniSettingsStore s(File());
    EXPECT_TRUE(s.KeptCopy().isEmpty());
    s.WriteInteger(QStringLiteral("Data"), QStringLiteral("new"), 3);
    s.Flush();
    ASSERT_FALSE(s.KeptCopy().isEmpty());
    EXPECT_TRUE(s.KeptCopy().startsWith(File() + QStringLiteral(".bad-")));
    EXPECT_EQ(FileBytes(s.KeptCopy()), broken);
    // A second copy of the same file gets a name of its own.
    WriteFile(File(), broken);
    TIniSettingsStore fourth(File());
    fourth.DeleteValue(QStringLiteral("Data"), QStringLiteral("x"));
    EXPECT_NE(fourth.KeptCopy(), s.KeptCopy());
    EXPECT_EQ(FileBytes(fourth.KeptCopy()), broken);

    // 8-bit Cyrillic typed into the file would come back as replacement characters.
    const QByteArray cp1251("[Config]\nInField1=\xcf\xee\xeb\xe5\n");
    WriteFile(File(), cp1251);
    TIniSettingsStore eightBit(File());
    eightBit.WriteInteger(QStringLiteral("Config"), QStringLiteral("DayVolume"), 1);
    eightBit.Flush();
    ASSERT_FALSE(eightBit.KeptCopy().isEmpty());
    EXPECT_EQ(FileBytes(eightBit.KeptCopy()), cp1251);
}

TEST_F(IniStore, TheFileAndTheCopiesKeptOfItAreTheOwnersOnly)
{
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto others = [](const QString &path) {
        return QFileInfo(path).permissions()
             & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther);
    };
    const mode_t mask = ::umask(022);   // a new file would be world-readable
    {
        // A new file, written through QSettings' temporary file and rename.
        TIniSettingsStore s(File());
        s.WriteString(QStringLiteral("Feed"), QStringLiteral("WebhookSecret"), QStringLiteral("ключ"));
        ASSERT_TRUE(s.Flush());
        EXPECT_TRUE(QFileInfo(File()).permissions() & owner);
        EXPECT_FALSE(others(File()));
    }
    EXPECT_EQ(TIniSettingsStore(File()).ReadString(QStringLiteral("Feed"), QStringLiteral("WebhookSecret")),
              QStringLiteral("ключ"));

    // A file others could read is tightened when it is next written, and its values stay.
    QFile::setPermissions(File(), owner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    {
        TIniSettingsStore reader(File());
        reader.Read(QStringLiteral("Feed"), QStringLiteral("WebhookSecret"));
    }
    EXPECT_TRUE(others(File()));   // reading alone changes nothing
    {
        TIniSettingsStore s(File());
        s.WriteInteger(QStringLiteral("Config"), QStringLiteral("DayVolume"), 2);
        ASSERT_TRUE(s.Flush());
    }
    EXPECT_FALSE(others(File()));
    EXPECT_EQ(TIniSettingsStore(File()).ReadString(QStringLiteral("Feed"), QStringLiteral("WebhookSecret")),
              QStringLiteral("ключ"));

    // The copy kept of a file that does not parse holds the secrets too.
    WriteFile(File(), "[Feed]\nWebhookSecret=ключ\nbroken line\n");
    QFile::setPermissions(File(), owner | QFileDevice::ReadOther);
    TIniSettingsStore s(File());
    s.WriteInteger(QStringLiteral("Config"), QStringLiteral("DayVolume"), 3);
    ASSERT_TRUE(s.Flush());
    ASSERT_FALSE(s.KeptCopy().isEmpty());
    EXPECT_FALSE(others(s.KeptCopy()));
    EXPECT_FALSE(others(File()));
    ::umask(mask);
}

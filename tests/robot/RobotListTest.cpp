// The list file, the editor's rows, sorting, the options file and the schedule.
#include "common/Cp1251.h"
#include "robot/TRobotConfig.h"
#include "robot/TRobotList.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QStringList numbers(const TRobotList &l)
{
    QStringList n;
    for (const TRobotRow &r : l.Rows())
        n << r.Number;
    return n;
}

} // namespace

TEST(RobotListFile, MarksCountsAndCyrillicNamesSurviveRoundTrips)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.txt"));
    TRobotList list;
    list.SetFromEditor({{QStringLiteral(" 1234567 "), QStringLiteral("Иванов Пётр"), 3},
                        {QStringLiteral("7654321"), QStringLiteral("ООО «Ромашка»"), 0},
                        {QStringLiteral("   "), QStringLiteral("dropped"), 9},
                        {QStringLiteral("555"), QString(), 1}},
                       true);
    ASSERT_EQ(list.State(), rlsNew);
    ASSERT_EQ(list.RowCount(), 3);
    list.Row(0).Mark = u'+';
    list.Row(1).Mark = u'-';
    ASSERT_TRUE(list.SaveList(path));
    EXPECT_EQ(list.State(), rlsSaved);
    EXPECT_EQ(list.LastFolder(), QFileInfo(path).absolutePath());

    // Windows-1251 bytes, CR LF, "-" stored as "=".
    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith(QByteArray("1234567 + \xC8\xE2\xE0\xED\xEE\xE2 \xCF\xB8\xF2\xF0 |3\r\n")));
    EXPECT_TRUE(bytes.contains("7654321 = "));
    EXPECT_TRUE(bytes.endsWith("555 =  |1\r\n"));

    for (int i = 0; i < 3; ++i) {
        TRobotList again;
        ASSERT_TRUE(again.LoadList(path));
        EXPECT_EQ(again.State(), rlsSaved);
        ASSERT_EQ(again.RowCount(), 3);
        EXPECT_EQ(again.Row(0), (TRobotRow{QStringLiteral("1234567"), QStringLiteral("Иванов Пётр"), u'+', 3}));
        EXPECT_EQ(again.Row(1), (TRobotRow{QStringLiteral("7654321"), QStringLiteral("ООО «Ромашка»"), u'=', 0}));
        EXPECT_EQ(again.Row(2).Name, QString());
        ASSERT_TRUE(again.SaveList(path));
    }
    EXPECT_EQ(readFile(path), bytes);   // no blanks accumulate
}

TEST(RobotListFile, OddLinesAreReadOrSkippedAsTheFormatSays)
{
    const QList<TRobotRow> rows = TRobotList::ParseList(
        "111 + Name |3\r\n"
        "222 = no bar\r\n"
        "no separator at all\r\n"
        " = no number |4\r\n"
        "333 = count is text |abc\r\n"
        "444 = bar last |\r\n"
        "555=a+b|  7\n"                 // "=" before "+", LF only, blanks before the count
        "666 + x = y |2\r\n"            // the first "=" separates
        "\r\n");
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], (TRobotRow{QStringLiteral("111"), QStringLiteral("Name"), u'+', 3}));
    EXPECT_EQ(rows[1], (TRobotRow{QStringLiteral("222"), QStringLiteral("no bar"), u'=', 0}));
    EXPECT_EQ(rows[2].Count, 0);
    EXPECT_EQ(rows[3].Count, 0);
    EXPECT_EQ(rows[4], (TRobotRow{QStringLiteral("555"), QStringLiteral("a+b"), u'=', 7}));
    EXPECT_EQ(rows[5].Number, QStringLiteral("666 + x"));
    EXPECT_EQ(rows[5].Mark, u'=');

    // A bar typed into a name would cut the row short on the next read.
    TRobotList list;
    list.SetFromEditor({{QStringLiteral("1"), QStringLiteral("a|b"), 5}}, true);
    const QList<TRobotRow> back = TRobotList::ParseList(TRobotList::FormatList(list.Rows()));
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].Count, 5);
}

TEST(RobotListFile, EveryLineEndAndATornLastLineGiveEveryRow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ends.txt"));
    const QStringList lines = {QStringLiteral("111 + Пётр |3"), QStringLiteral("222 = ПЁ |0"),
                               QStringLiteral("333 = Ромашка |1")};
    for (const char *end : {"\r\n", "\n", "\r"})
        for (bool torn : {false, true}) {
            QByteArray bytes;
            for (const QString &l : lines)
                bytes += Cp1251::Encode(l) + end;
            if (torn)
                bytes.chop(qstrlen(end));   // the last line has no end
            writeFile(path, bytes);
            TRobotList list;
            ASSERT_TRUE(list.LoadList(path));
            const QString what = QStringLiteral("end %1 torn %2")
                                     .arg(QString::fromLatin1(QByteArray(end).toHex()))
                                     .arg(torn);
            ASSERT_EQ(list.RowCount(), 3) << what.toStdString();
            EXPECT_EQ(list.Row(0), (TRobotRow{QStringLiteral("111"), QStringLiteral("Пётр"), u'+', 3}))
                << what.toStdString();
            EXPECT_EQ(list.Row(1).Name, QStringLiteral("ПЁ")) << what.toStdString();
            EXPECT_EQ(list.Row(2).Name, QStringLiteral("Ромашка")) << what.toStdString();
        }
}

TEST(RobotListFile, SavesKeepEveryLineTheReaderCouldNotTakeInItsPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.txt"));
    // Notes of the user, a row without a number, an 8-bit line that is no row.
    writeFile(path, "; \xF1\xEF\xE8\xF1\xEE\xEA \xEC\xE0\xFF\r"
                    "222 = b |0\r"
                    " = no number |4\r"
                    "no separator\r"
                    "111 = a |0\r"
                    "\r"
                    "trailing note");
    TRobotList list;
    ASSERT_TRUE(list.LoadList(path));
    ASSERT_EQ(list.RowCount(), 2);
    list.Row(1).Mark = u'+';
    ++list.Row(1).Count;
    ASSERT_TRUE(list.SaveToOwnFile());
    EXPECT_EQ(readFile(path), QByteArray("; \xF1\xEF\xE8\xF1\xEE\xEA \xEC\xE0\xFF\r\n"
                                         "222 = b |0\r\n"
                                         " = no number |4\r\n"
                                         "no separator\r\n"
                                         "111 + a |1\r\n"
                                         "trailing note\r\n"));

    // A kept line moves with the row below it; an edit keeps them all, at the end.
    list.SortBy(TRobotList::colNumber);
    ASSERT_TRUE(list.SaveToOwnFile());
    EXPECT_TRUE(readFile(path).startsWith(" = no number |4\r\nno separator\r\n111 + a |1\r\n;"));
    list.SetFromEditor(list.EditorRows(), false);
    ASSERT_TRUE(list.SaveToOwnFile());
    const QByteArray edited = readFile(path);
    EXPECT_TRUE(edited.startsWith("111 = a |1\r\n222 = b |0\r\n")) << edited.toStdString();
    for (const QByteArray &kept : {QByteArray(" = no number |4"), QByteArray("no separator"),
                                   QByteArray("trailing note"), QByteArray("; \xF1\xEF\xE8")})
        EXPECT_TRUE(edited.contains(kept)) << kept.toStdString();
}

TEST(RobotListFile, MissingFileChangesNothingAndEmptyFileGivesNoList)
{
    QTemporaryDir dir;
    TRobotList list;
    list.SetFromEditor({{QStringLiteral("1"), QStringLiteral("a"), 0}}, true);
    EXPECT_FALSE(list.LoadList(dir.filePath(QStringLiteral("none.txt"))));
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.State(), rlsNew);

    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    writeFile(empty, "junk only\r\n");
    EXPECT_TRUE(list.LoadList(empty));
    EXPECT_EQ(list.State(), rlsNone);
    EXPECT_TRUE(list.IsEmpty());
}

TEST(RobotListEditing, EditingClearsMarksKeepsCountsAndFollowsTheStates)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("l.txt"));
    writeFile(path, "1 + a |2\r\n2 = b |0\r\n");
    TRobotList list;
    list.LoadList(path);
    QList<TRobotEditorRow> rows = list.EditorRows();
    ASSERT_EQ(rows.size(), 3);                 // one free row at the end
    EXPECT_EQ(rows[0].Count, 2);
    list.SetFromEditor(rows, false);
    EXPECT_EQ(list.State(), rlsModified);
    EXPECT_EQ(list.Row(0).Mark, QChar());
    EXPECT_EQ(list.Row(0).Count, 2);
    EXPECT_EQ(list.FileName(), QFileInfo(path).absoluteFilePath());

    list.SetFromEditor({}, false);
    EXPECT_EQ(list.State(), rlsNone);

    list.LoadList(path);
    list.ResetMark(0);
    EXPECT_EQ(list.State(), rlsModified);
    EXPECT_EQ(list.Row(0).Mark, u'=');
    list.LoadList(path);
    list.ResetAllMarks();
    EXPECT_EQ(list.State(), rlsModified);
}

TEST(RobotListSorting, KeysAndTieBreaksPutZerosAndEmptiesLast)
{
    TRobotList list;
    list.SetFromEditor({{QStringLiteral("300"), QStringLiteral("b"), 0},
                        {QStringLiteral("abc"), QStringLiteral("z"), 2},
                        {QStringLiteral("20"), QStringLiteral("c"), 5},
                        {QStringLiteral("0"), QStringLiteral("a"), 0},
                        {QStringLiteral("20"), QStringLiteral("a"), 1},
                        {QStringLiteral("4"), QString(), 2}},
                       true);
    list.SortBy(TRobotList::colNumber);
    EXPECT_EQ(numbers(list), QStringList({"4", "20", "20", "300", "0", "abc"}));
    EXPECT_EQ(list.Row(1).Name, QStringLiteral("a"));   // tie broken by name

    list.SortBy(TRobotList::colName);
    EXPECT_EQ(numbers(list), QStringList({"20", "0", "300", "20", "abc", "4"}));

    list.SortBy(TRobotList::colCount);
    EXPECT_EQ(numbers(list), QStringList({"20", "abc", "4", "20", "0", "300"}));
    EXPECT_EQ(list.SortColumn(), TRobotList::colCount);

    // A list opened later is sorted by the remembered column.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.txt"));
    writeFile(path, "1 = a |1\r\n2 = b |7\r\n");
    list.LoadList(path);
    EXPECT_EQ(numbers(list), QStringList({"1", "2"}));
}

TEST(RobotOptions, DefaultsWithoutTheFileAndEveryFieldRoundTrips)
{
    QTemporaryDir dir;
    const QString ini = TRobotSettingsFile::DefaultFileName(dir.path());
    TRobotConfig c;
    TRobotSchedule s;
    c.Passes = 99;
    TRobotSettingsFile::Load(ini, c, s);
    EXPECT_EQ(c.Passes, 20);
    EXPECT_FALSE(c.ResetFlags);
    EXPECT_EQ(c.Channel, 0);
    EXPECT_EQ(c.Criterion, 2);
    EXPECT_EQ(c.Speaker, 4);
    EXPECT_EQ(c.LogBook, 0);
    EXPECT_TRUE(c.WaitForBeeps);
    EXPECT_EQ(c.TimeOutHangUp, 60);
    EXPECT_EQ(c.MessageNumber, 1);
    EXPECT_FALSE(c.NeedToRecord);
    EXPECT_FALSE(s.Activated);
    EXPECT_EQ(s.StartTime, QTime(9, 0));
    EXPECT_EQ(s.EndTime, QTime(21, 0));
    EXPECT_EQ(s.WeekFlags, 62);

    c = {7, true, 1, 3, 2, 1, false, 150, 15, true, 2550, QStringLiteral("/tmp/Списки")};
    s = {true, QTime(22, 0), QTime(6, 30), 0x83};
    TRobotSettingsFile::Save(ini, c, s);
    TRobotConfig c2;
    TRobotSchedule s2;
    TRobotSettingsFile::Load(ini, c2, s2);
    EXPECT_EQ(c2.Passes, 7);
    EXPECT_TRUE(c2.ResetFlags);
    EXPECT_EQ(c2.Criterion, 3);
    EXPECT_EQ(c2.TimeOutRecord, 2550);
    EXPECT_EQ(c2.LastFolder, c.LastFolder);
    EXPECT_EQ(s2.EndTime, QTime(6, 30));
    EXPECT_EQ(s2.WeekFlags, 0x83);
    EXPECT_TRUE(QFile(ini).exists());
    EXPECT_TRUE(readFile(ini).contains("StartTime=22:00:00"));

    // Booleans: anything but 0 is true; a time that does not parse is the default.
    writeFile(ini, "[Passes]\nResetFlags=yes\n[RobotTask]\nStartTime=25:99\nActivated=0\n");
    TRobotSettingsFile::Load(ini, c2, s2);
    EXPECT_TRUE(c2.ResetFlags);
    EXPECT_EQ(s2.StartTime, QTime(9, 0));
    EXPECT_FALSE(s2.Activated);
}

TEST(RobotOptions, TheFileIsWindows1251AndKeepsWhatItDoesNotKnow)
{
    QTemporaryDir dir;
    const QString ini = TRobotSettingsFile::DefaultFileName(dir.path());
    // As another program writes it: 8-bit, a Windows folder, a section of its own.
    writeFile(ini, "[LastFolder]\r\nDir=C:\\\xD1\xEF\xE8\xF1\xEA\xE8\\\xCC\xEE\xE8\r\n"
                   "[Other]\r\nKey=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n; comment\r\n"
                   "[Passes]\r\nCount=5\r\n");
    TRobotConfig c;
    TRobotSchedule s;
    TRobotSettingsFile::Load(ini, c, s);
    EXPECT_EQ(c.LastFolder, QStringLiteral("C:\\Списки\\Мои"));
    EXPECT_EQ(c.Passes, 5);

    c.LastFolder = QStringLiteral("/home/оператор/Списки");
    TRobotSettingsFile::Save(ini, c, s);
    TRobotSettingsFile::SaveLayout(ini, TRobotWindowLayout{false, 700, 500, 150});
    const QByteArray bytes = readFile(ini);
    EXPECT_TRUE(bytes.contains("Dir=/home/" + Cp1251::Encode(QStringLiteral("оператор/Списки")) + "\r\n"));
    EXPECT_TRUE(bytes.contains("Key=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n; comment\r\n"));
    EXPECT_TRUE(bytes.contains("[FormRobot]\r\n"));
    TRobotConfig c2;
    TRobotSettingsFile::Load(ini, c2, s);
    EXPECT_EQ(c2.LastFolder, c.LastFolder);
    EXPECT_EQ(TRobotSettingsFile::LoadLayout(ini).Width, 700);

    // A UTF-8 file as earlier versions wrote it still reads right.
    writeFile(ini, QStringLiteral("[LastFolder]\nDir=/tmp/Списки\n").toUtf8());
    TRobotSettingsFile::Load(ini, c2, s);
    EXPECT_EQ(c2.LastFolder, QStringLiteral("/tmp/Списки"));
}

TEST(RobotOptions, SpinRoundingDialFlagsAndAnswerTimeCode)
{
    EXPECT_EQ(RoundUpToTen(25), 30);
    EXPECT_EQ(RoundUpToTen(15), 20);
    EXPECT_EQ(RoundUpToTen(20), 20);
    EXPECT_EQ(RoundUpToTen(150), 150);
    EXPECT_EQ(RoundUpToTen(2551), 2560);

    TRobotConfig c;
    EXPECT_EQ(c.DialFlags(false), 1 + 4);
    c.Criterion = 3;
    c.Channel = 1;
    EXPECT_EQ(c.DialFlags(false), 1);
    EXPECT_EQ(c.DialFlags(true), 1 + 8);

    c.NeedToRecord = true;
    c.TimeOutRecord = 2550;
    EXPECT_EQ(c.AnswerTimeCode(), 255);
    c.TimeOutRecord = 2560;               // does not fit: the most the byte holds
    EXPECT_EQ(c.AnswerTimeCode(), 255);
    c.NeedToRecord = false;
    EXPECT_EQ(c.AnswerTimeCode(), 0);
}

TEST(RobotSchedule, WindowOverMidnightAndWeekdayFlags)
{
    TRobotSchedule s{true, QTime(22, 0), QTime(6, 0), 62};
    const QDate wednesday(2026, 12, 9), saturday(2026, 12, 12);
    EXPECT_TRUE(s.InTaskTime(QDateTime(wednesday, QTime(23, 30))));
    EXPECT_TRUE(s.InTaskTime(QDateTime(wednesday, QTime(5, 59))));
    EXPECT_FALSE(s.InTaskTime(QDateTime(wednesday, QTime(12, 0))));
    EXPECT_TRUE(s.InTaskTime(QDateTime(saturday, QTime(23, 0))));   // restriction off
    s.WeekFlags = 63;                                                // on: Monday..Friday
    EXPECT_FALSE(s.InTaskTime(QDateTime(saturday, QTime(23, 0))));
    EXPECT_TRUE(s.InTaskTime(QDateTime(wednesday, QTime(23, 0))));
    s.WeekFlags = 1 | (1 << 6);                                      // Saturday only
    EXPECT_TRUE(s.InTaskTime(QDateTime(saturday, QTime(22, 0))));

    TRobotSchedule day{true, QTime(9, 0), QTime(21, 0), 62};
    EXPECT_TRUE(day.InTaskTime(QDateTime(wednesday, QTime(21, 0))));
    EXPECT_FALSE(day.InTaskTime(QDateTime(wednesday, QTime(21, 0, 1))));
    EXPECT_EQ(day.Caption(true), QStringLiteral("Телефонный робот   [работа по времени  c 9:00 по 21:00]"));
    EXPECT_EQ(day.Caption(false), QStringLiteral("Телефонный робот   [работа по времени активизирована]"));
    day.Activated = false;
    EXPECT_FALSE(day.InTaskTime(QDateTime(wednesday, QTime(12, 0))));
    EXPECT_EQ(day.Caption(false), QStringLiteral("Телефонный робот"));
}

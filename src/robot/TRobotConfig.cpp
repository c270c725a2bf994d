#include "TRobotConfig.h"
#include <QDir>
#include "common/TIniFile.h"

const QString RobotCaption = QStringLiteral("Телефонный робот");

namespace {

const QString LongTime = QStringLiteral("H:mm:ss");

// "Section/Name" of the file.
QString value(const TIniFile &f, const QString &key)
{
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    return f.ReadString(key.left(slash), key.mid(slash + 1));
}

bool exists(const TIniFile &f, const QString &key)
{
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    return f.ValueExists(key.left(slash), key.mid(slash + 1));
}

void write(TIniFile &f, const QString &key, const QString &v)
{
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    f.WriteString(key.left(slash), key.mid(slash + 1), v);
}

void write(TIniFile &f, const QString &key, int v)
{
    write(f, key, QString::number(v));
}

bool readBool(const TIniFile &s, const QString &key, bool def)
{
    if (!exists(s, key))
        return def;
    bool ok = false;
    const int n = value(s, key).trimmed().toInt(&ok);
    return ok ? n != 0 : true;   // anything but 0 reads as true
}

int readInt(const TIniFile &s, const QString &key, int def)
{
    bool ok = false;
    const int n = value(s, key).trimmed().toInt(&ok);
    return ok ? n : def;
}

QTime readTime(const TIniFile &s, const QString &key, QTime def)
{
    const QString text = value(s, key).trimmed();
    QTime t = QTime::fromString(text, LongTime);
    if (!t.isValid())
        t = QTime::fromString(text, QStringLiteral("H:mm"));
    return t.isValid() ? t : def;
}

} // namespace

uint8_t TRobotConfig::DialFlags(bool MobileChannel) const
{
    uint8_t f = WaitForBeeps ? 1 : 0;
    if (Criterion < 3)
        f += uint8_t(Criterion * 2);
    if (MobileChannel)
        f += uint8_t((Channel & 1) * 8);
    return f;
}

uint8_t TRobotConfig::AnswerTimeCode() const
{
    if (!NeedToRecord || TimeOutRecord <= 0)
        return 0;
    return uint8_t(std::min(TimeOutRecord / 10, 255));
}

uint8_t TRobotConfig::HangUpWaitCode() const
{
    return uint8_t(std::clamp(TimeOutHangUp / 10, 0, 255));
}

bool TRobotSchedule::InTaskTime(const QDateTime &Now) const
{
    if (!Activated)
        return false;
    if (WeekFlags & 1) {
        const int day = Now.date().dayOfWeek();   // 1 Monday .. 7 Sunday
        if (!(WeekFlags & (1 << day)))
            return false;
    }
    const QTime t = Now.time();
    if (StartTime < EndTime)
        return StartTime <= t && t <= EndTime;
    return t >= StartTime || t <= EndTime;
}

QString TRobotSchedule::Caption(bool InTask) const
{
    if (InTask)
        return RobotCaption + QStringLiteral("   [работа по времени  c ") + StartTime.toString(QStringLiteral("H:mm"))
            + QStringLiteral(" по ") + EndTime.toString(QStringLiteral("H:mm")) + QStringLiteral("]");
    if (Activated)
        return RobotCaption + QStringLiteral("   [работа по времени активизирована]");
    return RobotCaption;
}

void TRobotSettingsFile::Load(const QString &FileName, TRobotConfig &c, TRobotSchedule &s)
{
    c = TRobotConfig();
    s = TRobotSchedule();
    const TIniFile f(FileName);
    c.Passes = std::max(0, readInt(f, QStringLiteral("Passes/Count"), c.Passes));
    c.ResetFlags = readBool(f, QStringLiteral("Passes/ResetFlags"), c.ResetFlags);
    c.Channel = uint8_t(readInt(f, QStringLiteral("Communication/Channel"), c.Channel));
    c.Criterion = uint8_t(readInt(f, QStringLiteral("Communication/Criterion"), c.Criterion));
    if (c.Criterion > 3)
        c.Criterion = 2;
    c.Speaker = uint8_t(readInt(f, QStringLiteral("Communication/Speaker"), c.Speaker));
    c.LogBook = uint8_t(readInt(f, QStringLiteral("Communication/LogBook"), c.LogBook));
    if (c.LogBook > 2)
        c.LogBook = 0;
    c.WaitForBeeps = readBool(f, QStringLiteral("Communication/WaitForBeeps"), c.WaitForBeeps);
    c.TimeOutHangUp = readInt(f, QStringLiteral("Communication/TimeOutHangUp"), c.TimeOutHangUp);
    c.MessageNumber = std::clamp(readInt(f, QStringLiteral("Communication/MessageNumber"), c.MessageNumber), 0, 15);
    c.NeedToRecord = readBool(f, QStringLiteral("Communication/NeedToRecord"), c.NeedToRecord);
    c.TimeOutRecord = readInt(f, QStringLiteral("Communication/TimeOutRecord"), c.TimeOutRecord);
    c.LastFolder = value(f, QStringLiteral("LastFolder/Dir"));
    s.Activated = readBool(f, QStringLiteral("RobotTask/Activated"), s.Activated);
    s.StartTime = readTime(f, QStringLiteral("RobotTask/StartTime"), s.StartTime);
    s.EndTime = readTime(f, QStringLiteral("RobotTask/EndTime"), s.EndTime);
    s.WeekFlags = uint8_t(readInt(f, QStringLiteral("RobotTask/WeekFlags"), s.WeekFlags));
}

void TRobotSettingsFile::Save(const QString &FileName, const TRobotConfig &c, const TRobotSchedule &s)
{
    TIniFile f(FileName);
    write(f, QStringLiteral("Passes/Count"), c.Passes);
    write(f, QStringLiteral("Passes/ResetFlags"), int(c.ResetFlags));
    write(f, QStringLiteral("Communication/Channel"), int(c.Channel));
    write(f, QStringLiteral("Communication/Criterion"), int(c.Criterion));
    write(f, QStringLiteral("Communication/Speaker"), int(c.Speaker));
    write(f, QStringLiteral("Communication/LogBook"), int(c.LogBook));
    write(f, QStringLiteral("Communication/WaitForBeeps"), int(c.WaitForBeeps));
    write(f, QStringLiteral("Communication/TimeOutHangUp"), c.TimeOutHangUp);
    write(f, QStringLiteral("Communication/MessageNumber"), c.MessageNumber);
    write(f, QStringLiteral("Communication/NeedToRecord"), int(c.NeedToRecord));
    write(f, QStringLiteral("Communication/TimeOutRecord"), c.TimeOutRecord);
    write(f, QStringLiteral("LastFolder/Dir"), c.LastFolder);
    write(f, QStringLiteral("RobotTask/Activated"), int(s.Activated));
    write(f, QStringLiteral("RobotTask/StartTime"), s.StartTime.toString(LongTime));
    write(f, QStringLiteral("RobotTask/EndTime"), s.EndTime.toString(LongTime));
    write(f, QStringLiteral("RobotTask/WeekFlags"), int(s.WeekFlags));
    f.Save();
}

TRobotWindowLayout TRobotSettingsFile::LoadLayout(const QString &FileName)
{
    TRobotWindowLayout l;
    const TIniFile f(FileName);
    l.Maximised = readBool(f, QStringLiteral("FormRobot/Maximised"), l.Maximised);
    l.Width = readInt(f, QStringLiteral("FormRobot/Width"), l.Width);
    l.Height = readInt(f, QStringLiteral("FormRobot/Height"), l.Height);
    l.InfoHeight = readInt(f, QStringLiteral("FormRobot/InfoHeight"), l.InfoHeight);
    return l;
}

void TRobotSettingsFile::SaveLayout(const QString &FileName, const TRobotWindowLayout &l)
{
    TIniFile f(FileName);
    write(f, QStringLiteral("FormRobot/Maximised"), int(l.Maximised));
    if (!l.Maximised) {
        write(f, QStringLiteral("FormRobot/Width"), l.Width);
        write(f, QStringLiteral("FormRobot/Height"), l.Height);
        write(f, QStringLiteral("FormRobot/InfoHeight"), l.InfoHeight);
    }
    f.Save();
}

QString TRobotSettingsFile::DefaultFileName(const QString &BaseFolder)
{
    return QDir(BaseFolder).filePath(QStringLiteral("RobotConfig.ini"));
}

int RoundUpToTen(int Value)
{
    return Value % 10 == 0 ? Value : (Value / 10 + (Value > 0 ? 1 : 0)) * 10;
}

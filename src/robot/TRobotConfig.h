#pragma once
// The robot's options, its timed-work schedule and its window's size, kept in
// RobotConfig.ini beside the executable.
#include <QDateTime>
#include <QString>
#include <QTime>
#include <cstdint>

struct TRobotConfig {
    int Passes = 20;              // 0: no limit
    bool ResetFlags = false;      // clear all marks after each pass
    uint8_t Channel = 0;          // 0 wired line, 1 mobile channel
    uint8_t Criterion = 2;        // 0 no busy tones, 1 ringing starts, 2 ringing stops, 3 the operator
    uint8_t Speaker = 4;          // 0 after dialling, 1 always on, 2 after ringing tones, 4 always off
    uint8_t LogBook = 0;          // 0 all reached calls, 1 with a recorded answer, 2 none
    bool WaitForBeeps = true;
    int TimeOutHangUp = 60;       // seconds
    int MessageNumber = 1;        // 0..15
    bool NeedToRecord = false;
    int TimeOutRecord = 0;        // seconds of answer recording
    QString LastFolder;

    // The flags byte of a robot dial: bit 0 wait for tones, criterion × 2
    // (nothing for the operator's criterion), channel × 8 with a mobile channel.
    uint8_t DialFlags(bool MobileChannel) const;
    // The answer time as the message command carries it: tens of seconds in one
    // byte of two nibbles, so 2550 s and more give 255; 0 without recording.
    uint8_t AnswerTimeCode() const;
    // The hang-up wait as sent: tens of seconds, at most 255.
    uint8_t HangUpWaitCode() const;
};

struct TRobotSchedule {
    bool Activated = false;
    QTime StartTime{9, 0};
    QTime EndTime{21, 0};
    uint8_t WeekFlags = 62;       // bit 0: weekdays restricted; bits 1..7 Monday..Sunday

    // Inside the daily window (over midnight when start is not before end) on an
    // allowed day.
    bool InTaskTime(const QDateTime &Now) const;
    // "Телефонный робот   [работа по времени  c 9:00 по 21:00]" and the others.
    QString Caption(bool InTask) const;
};

struct TRobotWindowLayout {
    bool Maximised = false;
    int Width = 600;
    int Height = 480;
    int InfoHeight = 140;
};

class TRobotSettingsFile {
public:
    // Reads every field; missing keys and values that do not parse give the defaults.
    static void Load(const QString &FileName, TRobotConfig &Config, TRobotSchedule &Schedule);
    static void Save(const QString &FileName, const TRobotConfig &Config, const TRobotSchedule &Schedule);
    static TRobotWindowLayout LoadLayout(const QString &FileName);
    static void SaveLayout(const QString &FileName, const TRobotWindowLayout &Layout);
    // RobotConfig.ini in the base folder.
    static QString DefaultFileName(const QString &BaseFolder);
};

// A spin field's value raised to the next multiple of 10 when it is left.
int RoundUpToTen(int Value);
// The caption without a schedule.
extern const QString RobotCaption;

#pragma once
// Date-time as a day count since 30.12.1899 with the time of day as the fraction.
#include <QDateTime>

class TDateTime {
public:
    constexpr TDateTime() = default;
    constexpr explicit TDateTime(double days) : FValue(days) {}

    constexpr double value() const { return FValue; }
    constexpr bool isZero() const { return FValue == 0.0; }

    static TDateTime fromQDateTime(const QDateTime &dt);   // local time
    static TDateTime fromDate(const QDate &d);
    static TDateTime fromTime(const QTime &t);             // time of day only
    static TDateTime now();
    // Returns false (and leaves out untouched) when the parts are not a valid date or time.
    static bool tryEncodeDate(int year, int month, int day, TDateTime &out);
    static bool tryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out);

    QDateTime toQDateTime() const;
    QDate date() const;
    QTime time() const;
    // Whole days (the integer part) and the time-of-day fraction.
    int days() const;
    double timeOfDay() const;
    // Seconds of the time-of-day part, rounded to the nearest millisecond.
    int secondsOfDay() const;

    QString toShortDateString() const;    // dd.MM.yyyy
    QString toLongTimeString() const;     // H:mm:ss
    QString toIsoString() const;          // yyyy-MM-ddTHH:mm:ss.zzz, local

    friend constexpr bool operator==(TDateTime a, TDateTime b) { return a.FValue == b.FValue; }
    friend constexpr auto operator<=>(TDateTime a, TDateTime b) { return a.FValue <=> b.FValue; }
    TDateTime operator+(double days) const { return TDateTime(FValue + days); }
    double operator-(TDateTime o) const { return FValue - o.FValue; }

    static constexpr double MSecsPerDay = 86400000.0;

private:
    double FValue = 0.0;
};

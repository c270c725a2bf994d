#include "TDateTimeText.h"
#include <cmath>

void TDateTimeText::Split(TDateTime Value, qint64 &Days, int &Ms)
{
    Days = qint64(std::trunc(Value.value()));
    qint64 ms = std::llround(Value.timeOfDay() * TDateTime::MSecsPerDay);
    if (ms >= qint64(TDateTime::MSecsPerDay)) {
        ++Days;
        ms -= qint64(TDateTime::MSecsPerDay);
    }
    Ms = int(ms);
}

namespace {
char *digits(char *p, int v, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char('0' + v % 10);
        v /= 10;
    }
    return p + width;
}

// Year, month and day of a count of days since 01.01.1970 (proleptic Gregorian).
void civilFromDays(qint64 z, qint64 &y, int &m, int &d)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

char *year(char *p, qint64 y)
{
    if (y < 0) {
        *p++ = '-';
        y = -y;
    }
    if (y > 9999) {
        char buf[24];
        int n = 0;
        for (; y > 0; y /= 10)
            buf[n++] = char('0' + y % 10);
        while (n > 0)
            *p++ = buf[--n];
        return p;
    }
    return digits(p, int(y), 4);
}
}

int TDateTimeText::Write(char *Out, TDateTime Value, TForm Form)
{
    qint64 days;
    int ms;
    Split(Value, days, ms);
    qint64 y = 0;
    int m = 0, d = 0;
    if (Form != tfLongTime)
        civilFromDays(days - 25569, y, m, d);   // 25569: 01.01.1970
    const int h = ms / 3600000, mi = ms / 60000 % 60, s = ms / 1000 % 60;
    char *p = Out;
    if (Form == tfIso) {
        p = year(p, y);
        *p++ = '-';
        p = digits(p, m, 2);
        *p++ = '-';
        p = digits(p, d, 2);
        *p++ = 'T';
        p = digits(p, h, 2);
    } else {
        if (Form != tfLongTime) {
            p = digits(p, d, 2);
            *p++ = '.';
            p = digits(p, m, 2);
            *p++ = '.';
            p = year(p, y);
            if (Form == tfShortDate)
                return int(p - Out);
            *p++ = ' ';
        }
        p = digits(p, h, h >= 10 ? 2 : 1);
    }
    *p++ = ':';
    p = digits(p, mi, 2);
    *p++ = ':';
    p = digits(p, s, 2);
    if (Form == tfIso) {
        *p++ = '.';
        p = digits(p, ms % 1000, 3);
    }
    return int(p - Out);
}

QString TDateTimeText::Text(TDateTime Value, TForm Form)
{
    char buf[MaxLength];
    return QString::fromLatin1(buf, Write(buf, Value, Form));
}

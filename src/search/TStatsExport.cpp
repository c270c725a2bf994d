#include "TStatsExport.h"
#include <QSaveFile>

void TStatsExport::appendBlock(QStringList &Lines, const TStatsList &List)
{
    const QStringList c = List.Captions();
    if (List.PhoneList()) {
        Lines << c.value(0) + QStringLiteral("  \t") + c.value(1) + QStringLiteral("  \t") + c.value(2);
        Lines << QString();
        for (const TStatRow &r : List.Rows())
            Lines << r.Key.leftJustified(9, QLatin1Char(' ')) + QStringLiteral("  \t\t") + r.CountText()
                    + QStringLiteral("  \t\t\t") + r.LengthText();
    } else {
        Lines << c.value(0) + QStringLiteral(" - ") + c.value(1);
        Lines << QString();
        for (const TStatRow &r : List.Rows())
            Lines << r.Key + QStringLiteral(" - ") + r.CountText();
    }
    Lines << Rule();
}

QStringList TStatsExport::BuildLines(const QString &MainCaption, const QString &StatsCaption, const QDate &Today,
                                     const QList<const TStatsList *> &Incoming,
                                     const QList<const TStatsList *> &Outgoing)
{
    QStringList lines;
    lines << MainCaption.toUpper() << QString();
    lines << StatsCaption.toUpper() + QStringLiteral("  (создан ") + Today.toString(QStringLiteral("dd.MM.yyyy"))
                 + QLatin1Char(')');
    lines << Rule() << QStringLiteral("ВХОДЯЩИЕ ЗВОНКИ") << QString();
    for (const TStatsList *l : Incoming)
        appendBlock(lines, *l);
    lines << Rule() << QStringLiteral("ИСХОДЯЩИЕ ЗВОНКИ") << QString();
    for (const TStatsList *l : Outgoing)
        appendBlock(lines, *l);
    return lines;
}

QByteArray TStatsExport::ToWindows1251(const QString &Text)
{
    // 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F; 0x98 holds nothing.
    static const char16_t high[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
        0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFF, 0x2122,
        0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
        0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
        0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
    QByteArray out;
    out.reserve(Text.size());
    for (QChar ch : Text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            out.append(char(u));
        } else if (u >= 0x0410 && u <= 0x044F) {
            out.append(char(0xC0 + (u - 0x0410)));
        } else {
            char b = '?';
            for (int i = 0; i < 64; ++i)
                if (high[i] == u) {
                    b = char(0x80 + i);
                    break;
                }
            out.append(b);
        }
    }
    return out;
}

QByteArray TStatsExport::Encode(const QStringList &Lines)
{
    QString text;
    for (const QString &l : Lines)
        text += l + QStringLiteral("\r\n");
    return ToWindows1251(text);
}

bool TStatsExport::Write(const QString &FileName, const QByteArray &Bytes, QString *Error)
{
    QSaveFile f(FileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(Bytes) != Bytes.size() || !f.commit()) {
        if (Error)
            *Error = f.errorString();
        return false;
    }
    return true;
}

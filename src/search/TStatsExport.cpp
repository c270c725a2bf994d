#include "TStatsExport.h"
#include "common/Cp1251.h"
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
    return Cp1251::Encode(Text);
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

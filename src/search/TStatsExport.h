#pragma once
// The statistics export: all shown lists as one 8-bit text in Windows-1251
// with CR LF line ends.
#include "TStatsList.h"
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

class TStatsExport {
public:
    static QString Rule() { return QString(78, QLatin1Char('-')); }
    // The lines of the export; Incoming and Outgoing are the visible lists in tab order.
    static QStringList BuildLines(const QString &MainCaption, const QString &StatsCaption, const QDate &Today,
                                  const QList<const TStatsList *> &Incoming, const QList<const TStatsList *> &Outgoing);
    // Lines joined with CR LF after each, in Windows-1251 ("?" for what it cannot hold).
    static QByteArray Encode(const QStringList &Lines);
    static QByteArray ToWindows1251(const QString &Text);
    // Writes the file; false with Error set when it cannot be written.
    static bool Write(const QString &FileName, const QByteArray &Bytes, QString *Error);

private:
    static void appendBlock(QStringList &Lines, const TStatsList &List);
};

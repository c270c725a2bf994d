#pragma once
// One statistics tab's list without its widget: the column captions, the rows
// of a grouping and the sorting by a column with its direction flags.
#include "TStatResults.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

struct TStatRow {
    QString Key;        // one line, CR LF written as " | "
    qint64 Count = 0;
    double Length = 0.0;
    QString CountText() const { return QString::number(Count); }
    QString LengthText() const;
};

class TStatsList {
public:
    // Column 0 is captioned FirstCaption ("Телефон" or the field's name); a
    // phone list has the length column too.
    void Fill(const TStatResults &Results, const QString &FirstCaption, bool PhoneList);
    // A click on a column title: sorts by it in its flag's direction, then flips the flag.
    void SortByColumn(int Column);

    bool PhoneList() const { return FPhoneList; }
    QStringList Captions() const { return FCaptions; }
    const QList<TStatRow> &Rows() const { return FRows; }
    qint64 TotalCount() const { return FTotalCount; }
    double TotalLength() const { return FTotalLength; }

    // A length (days) as the lists write it: the time of day, H:mm:ss.
    static QString TimeText(double Days);

private:
    bool FPhoneList = false;
    QStringList FCaptions;
    QList<TStatRow> FRows;
    qint64 FTotalCount = 0;
    double FTotalLength = 0.0;
    std::array<bool, 3> FFlags{true, true, true};
};

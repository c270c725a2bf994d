#pragma once
// The texts of a stored date-time made from the day count and its fraction
// alone: the wall-clock date and time it holds, the fraction rounded to the
// millisecond, with no time zone consulted. A list of a million rows writes
// them without a QDateTime each.
#include "TDateTime.h"
#include <QString>

class TDateTimeText {
public:
    enum TForm {
        tfShortDate,   // dd.MM.yyyy
        tfLongTime,    // H:mm:ss
        tfDateTime,    // dd.MM.yyyy H:mm:ss
        tfIso          // yyyy-MM-ddTHH:mm:ss.zzz
    };
    static constexpr int MaxLength = 32;

    // Writes the text as Latin-1 into Out (at least MaxLength bytes); returns its length.
    static int Write(char *Out, TDateTime Value, TForm Form);
    static QString Text(TDateTime Value, TForm Form);
    // Whole days and milliseconds of the day, a rounding up to a full day carried over.
    static void Split(TDateTime Value, qint64 &Days, int &Ms);
};

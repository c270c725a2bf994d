#pragma once
// The semicolon-separated text an address book export writes (Outlook
// Express): the first line names the columns, each further line is a
// contact. No quoting; a line with fewer cells than a column lacks that cell.
#include "TContact.h"
#include <QStringList>
#include <functional>

class TTextLineReader;

class TCsvContactReader {
public:
    enum TResult { crOk, crNoData };

    // Reads every line; Contact gets each contact with at least one number
    // and returns false to stop. Without a name column nothing is read.
    static TResult Read(TTextLineReader &Reader, const std::function<bool(const TContact &)> &Contact);

    struct TColumns {
        int Name = -1, Home = -1, Work = -1, Mobile = -1;
    };
    // The columns a header line names (the last of a repeated heading counts).
    static TColumns Header(const QStringList &Cells);
};

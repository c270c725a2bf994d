#pragma once
// The phone's call memory: 97 cells per kind, newest first, loaded from lines
//   in|out DD.MM HH:MM H:MM:SS FLAGS CATEGORY [DIGITS]
// and answered as the records 41 (incoming) and 42 (outgoing). Words key=value
// after a record describe the talk and message the cell holds (TSimTalkCell). A cell past the
// last record answers as an empty cell does: no number and every byte 0.
#include "TSimTalks.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TSimMemory {
public:
    static constexpr int Cells = 97;

    struct Record {
        QByteArray codes;
        int day = 0, month = 0, hour = 0, minute = 0;
        int durHours = 0, durMinutes = 0, durSeconds = 0;
        int flags = 0, category = 0;
        TSimTalkCell talk;
    };

    // Parses the file's text; false with a message naming the line. Records past
    // the 97th of a kind are left out and named in warnings.
    bool load(const QString &text, QString &error, QStringList *warnings = nullptr);
    bool loadFile(const QString &path, QString &error, QStringList *warnings = nullptr);

    int count(int kind) const { return FCells[kind ? 1 : 0].size(); }
    const Record &record(int kind, int cell) const { return FCells[kind ? 1 : 0].at(cell); }
    // The reply to 92 (kind 0) or 93 (kind 1) for a cell.
    QByteArray reply(int kind, int cell) const;

private:
    QList<Record> FCells[2];
};

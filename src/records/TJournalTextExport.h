#pragma once
// A journal's rows as the view shows them (its filter and order) in a
// tab-separated text file: a title line with the row count, a heading line,
// then Phone, Time and Length per row; Windows-1251, lines ended by CR LF.
// The view's current row does not move.
#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;
class TCallBook;

class TJournalTextExport {
public:
    static const QString InTitle;    // "Список входящих звонков, "
    static const QString OutTitle;   // "Список исходящих звонков, "
    static const QString Heading;    // "Номер \tВремя \t\tДлительность "

    // Called with the rows written so far and the total, now and then.
    using TProgress = std::function<void(qint64 Done, qint64 Total)>;

    // Writes the whole text to Out; false (and Error set) when writing failed.
    static bool Write(const TCallBook &Book, QIODevice &Out, const TProgress &Progress = {},
                      QString *Error = nullptr);
    // The whole text in memory (for small journals and tests).
    static QByteArray Text(const TCallBook &Book);

    // Windows-1251 bytes of a text; characters the code page lacks become "?".
    static QByteArray ToCp1251(const QString &Text);
};

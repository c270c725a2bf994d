#pragma once
// An INI file as the Windows profile functions keep it: 8-bit Windows-1251
// text (a file that is valid UTF-8 throughout, as earlier versions wrote it,
// is read as UTF-8), "[Section]" lines and "Name=Value" lines, names matched
// without regard to case, values taken as they stand (a pair of enclosing
// double quotes is removed). Lines it does not understand are kept as they
// were when the file is written back.
#include <QList>
#include <QString>

class TIniFile {
public:
    // Reads the file; a missing or unreadable file is an empty one.
    explicit TIniFile(const QString &FileName);

    bool ValueExists(const QString &Section, const QString &Name) const;
    QString ReadString(const QString &Section, const QString &Name, const QString &Default = QString()) const;
    void WriteString(const QString &Section, const QString &Name, const QString &Value);
    void WriteInteger(const QString &Section, const QString &Name, qint64 Value)
    {
        WriteString(Section, Name, QString::number(Value));
    }
    // Writes the file in Windows-1251 with CR LF line ends, replacing it whole;
    // false with the reason in Error.
    bool Save(QString *Error = nullptr) const;

private:
    struct TLine {
        QString Name;    // empty for a line that is no value
        QString Text;    // the value, or the whole line
    };
    struct TSection {
        QString Name;
        QList<TLine> Lines;
    };
    const TLine *find(const QString &Section, const QString &Name) const;

    QString FFileName;
    QList<TSection> FSections;   // the first one holds the lines before any section
};

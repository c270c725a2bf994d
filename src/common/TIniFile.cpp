#include "TIniFile.h"
#include "Cp1251.h"
#include "TTextLineReader.h"
#include <QFile>
#include <QSaveFile>

TIniFile::TIniFile(const QString &FileName) : FFileName(FileName)
{
    FSections.append(TSection());
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly))
        return;
    TTextLineReader reader(f);
    QByteArray bytes;
    while (reader.ReadLine(bytes)) {
        const QString line = reader.Text(bytes);
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            FSections.append(TSection{t.mid(1, t.size() - 2).trimmed(), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !t.startsWith(QLatin1Char(';')) && !line.left(eq).trimmed().isEmpty()) {
            QString value = line.mid(eq + 1).trimmed();
            if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                value = value.mid(1, value.size() - 2);
            FSections.last().Lines.append(TLine{line.left(eq).trimmed(), value});
        } else if (!t.isEmpty()) {
            FSections.last().Lines.append(TLine{QString(), line});
        }
    }
}

const TIniFile::TLine *TIniFile::find(const QString &Section, const QString &Name) const
{
    for (qsizetype s = FSections.size() - 1; s >= 1; --s) {
        if (FSections[s].Name.compare(Section, Qt::CaseInsensitive) != 0)
            continue;
        for (const TLine &l : FSections[s].Lines)
            if (!l.Name.isEmpty() && l.Name.compare(Name, Qt::CaseInsensitive) == 0)
                return &l;
    }
    return nullptr;
}

bool TIniFile::ValueExists(const QString &Section, const QString &Name) const
{
    return find(Section, Name) != nullptr;
}

QString TIniFile::ReadString(const QString &Section, const QString &Name, const QString &Default) const
{
    const TLine *l = find(Section, Name);
    return l ? l->Text : Default;
}

void TIniFile::WriteString(const QString &Section, const QString &Name, const QString &Value)
{
    // One line per value: a line break would open another.
    QString value = Value;
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (TLine *l = const_cast<TLine *>(find(Section, Name))) {
        l->Text = value;
        return;
    }
    TSection *section = nullptr;
    for (qsizetype s = 1; s < FSections.size() && !section; ++s)
        if (FSections[s].Name.compare(Section, Qt::CaseInsensitive) == 0)
            section = &FSections[s];
    if (!section) {
        FSections.append(TSection{Section, {}});
        section = &FSections.last();
    }
    section->Lines.append(TLine{Name, value});
}

bool TIniFile::Save(QString *Error) const
{
    QByteArray out;
    for (qsizetype s = 0; s < FSections.size(); ++s) {
        const TSection &section = FSections[s];
        if (s > 0) {
            if (!out.isEmpty())
                out += "\r\n";
            out += '[' + Cp1251::Encode(section.Name) + "]\r\n";
        }
        for (const TLine &l : section.Lines)
            out += Cp1251::Encode(l.Name.isEmpty() ? l.Text : l.Name + QLatin1Char('=') + l.Text) + "\r\n";
    }
    QSaveFile f(FFileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit()) {
        if (Error)
            *Error = f.errorString();
        return false;
    }
    return true;
}

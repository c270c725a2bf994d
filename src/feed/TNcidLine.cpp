#include "TNcidLine.h"

namespace {
QString name(const QString &n)
{
    return n.trimmed().isEmpty() ? QStringLiteral("NO NAME") : n;
}

QString number(const QString &n)
{
    return n.trimmed().isEmpty() ? QStringLiteral("?") : n;
}

// A text field as it goes into a line: cleaned, then capped.
QString field(const QString &Value)
{
    return TNcidLine::Capped(TNcidLine::Clean(Value), TNcidLine::FieldChars);
}

QString stamp(TDateTime t)
{
    return t.toQDateTime().toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}
}

QString TNcidLine::Clean(const QString &Value)
{
    QString r = Value;
    for (QChar &c : r) {
        if (c == u'*')
            c = u'-';
        else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
                 || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return r;
}

QString TNcidLine::Capped(const QString &Value, int MaxChars)
{
    qsizetype units = 0;
    for (int chars = 0; units < Value.size(); ++chars) {
        if (chars == MaxChars)
            return Value.left(units);
        const bool pair = Value.at(units).isHighSurrogate() && units + 1 < Value.size()
                          && Value.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return Value;
}

QString TNcidLine::Call(const QString &Label, const QString &Number, const QString &Name, TDateTime Start)
{
    const QDateTime t = Start.toQDateTime();
    return Label + QStringLiteral(": *DATE*%1*TIME*%2*LINE*-*NMBR*%3*MESG*NONE*NAME*%4*")
                       .arg(t.toString(QStringLiteral("MMddyyyy")), t.toString(QStringLiteral("HHmm")),
                            field(number(Number)), field(name(Name)));
}

QString TNcidLine::End(bool Talked, bool Incoming, const QString &Number, const QString &Name, TDateTime Start,
                       TDateTime EndTime)
{
    const QDateTime t = Start.toQDateTime();
    return QStringLiteral("END: *HTYPE*%1*DATE*%2*TIME*%3*SCALL*%4*ECALL*%5*CTYPE*%6*LINE*-*NMBR*%7*NAME*%8*")
        .arg(Talked ? QStringLiteral("BYE") : QStringLiteral("CANCEL"), t.toString(QStringLiteral("MMddyyyy")),
             t.toString(QStringLiteral("HHmm")), stamp(Start), stamp(EndTime),
             Incoming ? QStringLiteral("IN") : QStringLiteral("OUT"), field(number(Number)), field(name(Name)));
}

QByteArray TNcidLine::Wire(const QString &Line)
{
    return Line.toUtf8() + "\r\n";
}

TNcidLine::TParsed TNcidLine::Parse(const QString &Line)
{
    TParsed p;
    QString line = Line;
    while (line.endsWith(u'\r') || line.endsWith(u'\n'))
        line.chop(1);
    if (line.size() >= 3 && line.at(0).isDigit() && line.at(1).isDigit() && line.at(2).isDigit()
        && (line.size() == 3 || line.at(3) == u' ')) {
        p.Code = line.left(3).toInt();
        p.Text = line.mid(4);
        p.Valid = true;
        return p;
    }
    const int colon = line.indexOf(QLatin1String(": *"));
    if (colon <= 0 || !line.endsWith(u'*'))
        return p;
    p.Label = line.left(colon);
    const QStringList parts = line.mid(colon + 3, line.size() - colon - 4).split(u'*');
    if (parts.size() % 2 != 0)
        return p;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        p.Fields.append({parts.at(i), parts.at(i + 1)});
    p.Valid = true;
    return p;
}

#include "TCsvContactReader.h"
#include "common/TTextLineReader.h"

TCsvContactReader::TColumns TCsvContactReader::Header(const QStringList &Cells)
{
    TColumns c;
    for (int i = 0; i < Cells.size(); ++i) {
        const QString h = Cells.at(i).trimmed().toLower();
        if (h == QStringLiteral("имя") || h == QLatin1String("name"))
            c.Name = i;
        else if (h == QStringLiteral("домашний телефон") || h == QLatin1String("home phone"))
            c.Home = i;
        else if (h == QStringLiteral("служебный телефон") || h == QLatin1String("work phone"))
            c.Work = i;
        else if (h == QStringLiteral("сотовый телефон") || h == QLatin1String("mobile phone"))
            c.Mobile = i;
    }
    return c;
}

TCsvContactReader::TResult TCsvContactReader::Read(TTextLineReader &Reader,
                                                   const std::function<bool(const TContact &)> &Contact)
{
    QByteArray line;
    if (!Reader.ReadLine(line))
        return crNoData;
    const TColumns c = Header(Reader.Text(line).split(QLatin1Char(';')));
    if (c.Name < 0)
        return crOk;
    const struct {
        int Column;
        TNumberKind Kind;
    } numbers[] = {{c.Home, nkHome}, {c.Work, nkWork}, {c.Mobile, nkMobile}};
    int lineNo = 1;
    while (Reader.ReadLine(line)) {
        ++lineNo;
        const QStringList cells = Reader.Text(line).split(QLatin1Char(';'));
        TContact contact;
        contact.Line = lineNo;
        contact.Name = cells.value(c.Name);
        for (const auto &n : numbers) {
            // A cell of blanks is no number.
            const QString cell = n.Column >= 0 ? cells.value(n.Column) : QString();
            if (!cell.trimmed().isEmpty())
                contact.Numbers << TContactNumber{cell, n.Kind, QString()};
        }
        if (!contact.Numbers.isEmpty() && !Contact(contact))
            break;
    }
    return crOk;
}

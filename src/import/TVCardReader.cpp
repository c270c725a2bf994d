#include "TVCardReader.h"
#include "common/TTextLineReader.h"

namespace {
const QString EmailPrefix = QStringLiteral("Электронная почта: ");

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c == '=' && i + 2 < in.size() + 0 && hexValue(in.at(i + 1)) >= 0 && hexValue(in.at(i + 2)) >= 0) {
            out += char(hexValue(in.at(i + 1)) * 16 + hexValue(in.at(i + 2)));
            i += 2;
        } else if (c == '=' && i + 1 == in.size()) {
            // a soft line break left at the end
        } else {
            out += c;
        }
    }
    return out;
}

// Splits at ';' not escaped by a backslash, and undoes the escapes.
QStringList splitValue(const QString &value)
{
    QStringList parts;
    QString cur;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar n = value.at(++i);
            if (n == QLatin1Char('n') || n == QLatin1Char('N'))
                cur += QLatin1Char('\n');
            else
                cur += n;
        } else if (c == QLatin1Char(';')) {
            parts << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts << cur;
    return parts;
}

// The parameters part split at ';' outside double quotes.
QList<QByteArray> splitParams(const QByteArray &head)
{
    QList<QByteArray> parts;
    QByteArray cur;
    bool quoted = false;
    for (char c : head) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ';' && !quoted) {
            parts << cur;
            cur.clear();
        } else
            cur += c;
    }
    parts << cur;
    return parts;
}

QString joined(const QStringList &parts, const QString &separator)
{
    QStringList kept;
    for (const QString &p : parts)
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    return kept.join(separator);
}

TNumberKind kindOf(const QStringList &types)
{
    if (types.contains(QLatin1String("CELL")) || types.contains(QLatin1String("MOBILE")))
        return nkMobile;
    if (types.contains(QLatin1String("HOME")))
        return nkHome;
    if (types.contains(QLatin1String("WORK")))
        return nkWork;
    return nkOther;
}

struct TCard {
    int Line = 0;
    QString FullName;
    QString StructuredName;
    QList<QPair<QString, TNumberKind>> Numbers;
    QList<QPair<QString, TNumberKind>> Addresses;   // kind nkOther when untyped
    QStringList Emails;

    TContact Contact() const
    {
        TContact c;
        c.Line = Line;
        c.Name = FullName.isEmpty() ? StructuredName : FullName;
        if (!Emails.isEmpty())
            c.Notes = EmailPrefix + Emails.join(QStringLiteral(", "));
        for (const auto &n : Numbers) {
            // The address of the same kind, else the card's first address.
            QString address = Addresses.isEmpty() ? QString() : Addresses.first().first;
            for (const auto &a : Addresses)
                if (a.second == n.second) {
                    address = a.first;
                    break;
                }
            c.Numbers << TContactNumber{n.first, n.second, address};
        }
        return c;
    }
};
}

bool TVCardReader::IsVCardStart(const QByteArray &Line)
{
    return Line.trimmed().toUpper() == "BEGIN:VCARD";
}

bool TVCardReader::Parse(const QByteArray &Line, TProperty &Property, TTextEncoding FileEncoding)
{
    // The name and parameters end at the first ':' outside double quotes.
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < Line.size(); ++i) {
        const char c = Line.at(i);
        if (c == '"')
            quoted = !quoted;
        else if (c == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return false;
    const QList<QByteArray> params = splitParams(Line.left(colon));
    QByteArray name = params.first().trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name = name.mid(dot + 1);
    if (name.isEmpty())
        return false;
    Property.Name = QString::fromLatin1(name);
    Property.Types.clear();
    bool qp = false;
    QByteArray charset;
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QByteArray p = params.at(i).trimmed();
        const qsizetype eq = p.indexOf('=');
        const QByteArray key = (eq >= 0 ? p.left(eq) : QByteArray()).trimmed().toUpper();
        const QByteArray value = (eq >= 0 ? p.mid(eq + 1) : p).trimmed();
        if (key.isEmpty() || key == "TYPE") {
            for (const QByteArray &t : value.split(','))
                if (!t.trimmed().isEmpty())
                    Property.Types << QString::fromLatin1(t.trimmed().toUpper());
        } else if (key == "ENCODING") {
            qp = value.toUpper() == "QUOTED-PRINTABLE";
        } else if (key == "CHARSET") {
            charset = value;
        }
        if (key.isEmpty() && value.toUpper() == "QUOTED-PRINTABLE")
            qp = true;
    }
    QByteArray raw = Line.mid(colon + 1);
    if (qp)
        raw = decodeQuotedPrintable(raw);
    Property.Values = splitValue(TTextLineReader::Decode(raw, charset, FileEncoding));
    return true;
}

int TVCardReader::Read(TTextLineReader &Reader, const std::function<bool(const TContact &)> &Contact)
{
    const TTextEncoding encoding = Reader.Encoding();
    int cards = 0;
    int lineNo = 0, logicalNo = 0;
    bool inCard = false;
    bool stopped = false;
    TCard card;
    const auto finish = [&] {
        if (inCard && !card.Numbers.isEmpty() && !stopped)
            stopped = !Contact(card.Contact());
        inCard = false;
        card = TCard();
    };
    const auto take = [&](const QByteArray &line) {
        if (line.trimmed().isEmpty())
            return;
        TProperty p;
        if (!Parse(line, p, encoding))
            return;
        const QString value = p.Values.join(QLatin1Char(';')).trimmed();
        if (p.Name == QLatin1String("BEGIN")) {
            if (value.compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
                finish();
                inCard = true;
                card.Line = logicalNo;
                ++cards;
            }
        } else if (p.Name == QLatin1String("END")) {
            if (value.compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0)
                finish();
        } else if (!inCard) {
            return;
        } else if (p.Name == QLatin1String("FN")) {
            card.FullName = p.Values.join(QLatin1Char(';')).simplified();
        } else if (p.Name == QLatin1String("N")) {
            const QStringList n = p.Values;   // family; given; middle; prefix; suffix
            card.StructuredName = joined({n.value(3), n.value(1), n.value(2), n.value(0), n.value(4)},
                                         QStringLiteral(" "));
        } else if (p.Name == QLatin1String("TEL")) {
            QString number = value;
            if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                number = number.mid(4).trimmed();
            if (!number.isEmpty())
                card.Numbers << qMakePair(number, kindOf(p.Types));
        } else if (p.Name == QLatin1String("ADR")) {
            const QString address = joined(p.Values, QStringLiteral(", ")).simplified();
            if (!address.isEmpty())
                card.Addresses << qMakePair(address, kindOf(p.Types));
        } else if (p.Name == QLatin1String("EMAIL")) {
            if (!value.isEmpty())
                card.Emails << value;
        }
    };

    // Unfolding: a line starting with a blank continues the one before, and a
    // quoted-printable line ending in '=' continues on the next.
    QByteArray logical, line;
    bool have = false;
    const auto softBreak = [](const QByteArray &l) {
        if (!l.endsWith('='))
            return false;
        const qsizetype colon = l.indexOf(':');
        return colon > 0 && l.left(colon).toUpper().contains("QUOTED-PRINTABLE");
    };
    while (!stopped && Reader.ReadLine(line)) {
        ++lineNo;
        if (have && !line.isEmpty() && (line.at(0) == ' ' || line.at(0) == '\t')) {
            if (logical.size() < TTextLineReader::MaxLine)
                logical += line.mid(1);
            continue;
        }
        if (have && softBreak(logical)) {
            logical.chop(1);
            if (logical.size() < TTextLineReader::MaxLine)
                logical += line;
            continue;
        }
        if (have)
            take(logical);
        logical = line;
        logicalNo = lineNo;
        have = true;
    }
    if (have && !stopped)
        take(logical);
    finish();
    return cards;
}

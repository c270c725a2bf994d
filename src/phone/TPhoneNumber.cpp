#include "TPhoneNumber.h"

QString PhoneNumberToText(const TBuffer &Number, bool StarMode)
{
    QString text;
    text.reserve(Number.size());
    for (char ch : Number) {
        int code = uint8_t(ch);
        if (code >= 16 && code <= 30)
            code -= 15;
        if (code < 10)
            text += QChar(u'0' + code);
        else if (code == 10)
            text += StarMode ? u'*' : u'?';
    }
    return text;
}

namespace {
// The code pair (15, x) of a dial letter, or 0 when the character is not one.
int letterCode(QChar c)
{
    switch (c.unicode()) {
    case u'L': return 1;
    case u'E': return 2;
    case u'J': return 3;
    case u'T': return 4;
    case u'П': return 5;
    case u'G': return 6;
    case u'F': return 7;
    case u'P': return 8;
    default: return 0;
    }
}
}

TBuffer TextToPhoneNumber(const QString &Text)
{
    const QString text = Text.trimmed().toUpper();
    if (text.isEmpty())
        return {};
    for (int i = 1; i < text.size(); ++i)
        if (text[i] == u'L' || text[i] == u'E')
            return {};
    const qsizetype open = text.indexOf(u'(');
    const qsizetype close = text.indexOf(u')');
    int group = -1;
    if (close >= 0 && open < 0)
        return {};
    if (open >= 0) {
        if (close < open + 2)
            return {};
        // Only one parenthesised group is defined.
        if (text.indexOf(u'(', open + 1) >= 0 || text.indexOf(u')', close + 1) >= 0)
            return {};
        const QString inner = text.mid(open + 1, close - open - 1);
        for (QChar c : inner)
            if (!c.isDigit() || c.unicode() > u'9')
                return {};
        bool ok = false;
        group = inner.toInt(&ok);
        if (!ok || group < 0 || group > 200)
            return {};
    }
    TBuffer codes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            codes.append(char(c.unicode() - u'0'));
        } else if (c == u'*') {
            codes.append(char(0)).append(char(12));
        } else if (c == u'#') {
            codes.append(char(0)).append(char(14));
        } else if (c == u'(') {
            codes.append(char(15)).append(char(12));
            codes.append(char(group % 16)).append(char(group / 16));
            i = close;
        } else if (const int l = letterCode(c)) {
            codes.append(char(15)).append(char(l));
        }
    }
    return codes;
}

QString DurationToText(quint16 Seconds)
{
    const int h = Seconds / 3600;
    const int m = (Seconds % 3600) / 60;
    const int s = Seconds % 60;
    QString text;
    if (h != 0)
        text += QString::number(h) + QStringLiteral(" ч. ");
    if (m != 0)
        text += QString::number(m) + QStringLiteral(" мин. ");
    text += QString::number(s) + QStringLiteral(" сек.");
    return text;
}

#include "TSimScript.h"
#include <QRegularExpression>
#include <cmath>

namespace {
bool seconds(const QString &text, int &msecs)
{
    bool ok = false;
    const double s = text.toDouble(&ok);
    if (!ok || !std::isfinite(s) || s < 0 || s > 86400.0 * 7)
        return false;
    msecs = int(std::lround(s * 1000.0));
    return true;
}
}

bool TSimScript::numberCodes(const QString &digits, QByteArray &codes)
{
    codes.clear();
    for (QChar c : digits) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            codes.append(char(c.unicode() - '0'));
        else if (c == QLatin1Char('*') || c == QLatin1Char('?'))
            codes.append(char(10));
        else
            return false;
    }
    return codes.size() <= 255;
}

bool TSimScript::parseHex(const QStringList &tokens, QByteArray &bytes)
{
    bytes.clear();
    static const QRegularExpression hexRe(QStringLiteral("^(?:0[xX])?((?:[0-9A-Fa-f]{2})+)$"));
    for (const QString &t : tokens) {
        const QRegularExpressionMatch m = hexRe.match(t);
        if (!m.hasMatch())
            return false;
        bytes += QByteArray::fromHex(m.captured(1).toLatin1());
    }
    return !bytes.isEmpty();
}

bool TSimScript::addLine(const QString &text, QString &error)
{
    ++FLine;
    QString line = text;
    const int hash = line.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        line.truncate(hash);
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QStringList w = line.split(space, Qt::SkipEmptyParts);
    if (w.isEmpty())
        return true;
    const QString cmd = w.first().toLower();
    auto fail = [&](const QString &why) {
        error = QStringLiteral("line %1: %2: %3").arg(FLine).arg(why, text.trimmed());
        return false;
    };
    auto args = [&](int min, int max) { return w.size() - 1 >= min && w.size() - 1 <= max; };

    TSimAction a;
    a.line = FLine;
    static const QList<QPair<QString, char>> single{
        {QStringLiteral("ring"), char(0x30)},          {QStringLiteral("lift"), char(0x20)},
        {QStringLiteral("lift-parallel"), char(0x22)}, {QStringLiteral("hangup"), char(0x21)},
        {QStringLiteral("answering-machine"), char(0x2C)}, {QStringLiteral("message"), char(0x32)},
        {QStringLiteral("busy-settings"), char(0x33)}};
    bool known = false;
    for (const auto &s : single) {
        if (cmd == s.first) {
            if (!args(0, 0))
                return fail(QStringLiteral("takes no arguments"));
            a.bytes = QByteArray(1, s.second);
            known = true;
        }
    }
    if (known) {
    } else if (cmd == QLatin1String("number")) {
        if (!args(1, 2))
            return fail(QStringLiteral("expects CATEGORY [DIGITS]"));
        bool ok = false;
        const int category = w.at(1).toInt(&ok);
        QByteArray codes;
        if (!ok || category < 0 || category > 255)
            return fail(QStringLiteral("category must be 0..255"));
        if (w.size() > 2 && !numberCodes(w.at(2), codes))
            return fail(QStringLiteral("digits must be 0-9, * or ?"));
        a.bytes = QByteArray(1, char(0x31)) + char(category) + char(codes.size()) + codes;
    } else if (cmd == QLatin1String("dial") || cmd == QLatin1String("autodial")) {
        QByteArray codes;
        if (!args(1, 1) || !numberCodes(w.at(1), codes))
            return fail(QStringLiteral("expects DIGITS (0-9, *)"));
        if (cmd == QLatin1String("autodial")) {
            TSimAction start = a;
            start.bytes = QByteArray(1, char(0x28));
            if (FOpen.isEmpty())
                FReady.append(start);
            else
                FOpen.last().body.append(start);
        }
        a.kind = TSimAction::Digits;
        a.bytes = codes;
    } else if (cmd == QLatin1String("send")) {
        if (w.size() < 2 || !parseHex(w.mid(1), a.bytes))
            return fail(QStringLiteral("expects hexadecimal bytes"));
    } else if (cmd == QLatin1String("wait") || cmd == QLatin1String("silence")) {
        if (!args(1, 1) || !seconds(w.at(1), a.msecs))
            return fail(QStringLiteral("expects SECONDS"));
        a.kind = cmd == QLatin1String("wait") ? TSimAction::Wait : TSimAction::Silence;
    } else if (cmd == QLatin1String("repeat")) {
        bool ok = false;
        a.count = args(1, 1) ? w.at(1).toInt(&ok) : 0;
        if (!ok || a.count < 0)
            return fail(QStringLiteral("expects a count"));
        a.kind = TSimAction::Repeat;
        FOpen.append(a);
        return true;
    } else if (cmd == QLatin1String("end")) {
        if (!args(0, 0))
            return fail(QStringLiteral("takes no arguments"));
        if (FOpen.isEmpty())
            return fail(QStringLiteral("end without repeat"));
        a = FOpen.takeLast();
    } else {
        return fail(QStringLiteral("unknown action"));
    }
    if (FOpen.isEmpty())
        FReady.append(a);
    else
        FOpen.last().body.append(a);
    return true;
}

bool TSimScript::finish(QString &error)
{
    if (FOpen.isEmpty())
        return true;
    error = QStringLiteral("line %1: repeat without end").arg(FOpen.last().line);
    return false;
}

QList<TSimAction> TSimScript::takeReady()
{
    QList<TSimAction> r;
    r.swap(FReady);
    return r;
}

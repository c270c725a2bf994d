#include "TSimMemory.h"
#include "TSimScript.h"
#include <QFile>
#include <QRegularExpression>

namespace {
// "A.B" or "A:B:C" with each part a number 0..255.
bool parts(const QString &text, QChar sep, int n, int *out)
{
    const QStringList p = text.split(sep);
    if (p.size() != n)
        return false;
    for (int i = 0; i < n; ++i) {
        bool ok = false;
        out[i] = p.at(i).toInt(&ok);
        if (!ok || out[i] < 0 || out[i] > 255)
            return false;
    }
    return true;
}

bool byteValue(const QString &text, int &out)
{
    bool ok = false;
    out = text.toInt(&ok);
    return ok && out >= 0 && out <= 255;
}
}

bool TSimMemory::load(const QString &text, QString &error, QStringList *warnings)
{
    FCells[0].clear();
    FCells[1].clear();
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        QStringList w = line.split(space, Qt::SkipEmptyParts);
        if (w.isEmpty())
            continue;
        QStringList talkWords;
        for (int k = int(w.size()) - 1; k >= 6; --k)
            if (w.at(k).contains(QLatin1Char('=')))
                talkWords.prepend(w.takeAt(k));
        auto fail = [&](const QString &why) {
            error = QStringLiteral("line %1: %2: %3").arg(i + 1).arg(why, lines.at(i).trimmed());
            return false;
        };
        if (w.size() < 6 || w.size() > 7)
            return fail(QStringLiteral("expects in|out DD.MM HH:MM H:MM:SS FLAGS CATEGORY [DIGITS]"));
        const QString kindText = w.at(0).toLower();
        if (kindText != QLatin1String("in") && kindText != QLatin1String("out"))
            return fail(QStringLiteral("the kind must be in or out"));
        const int kind = kindText == QLatin1String("in") ? 0 : 1;
        Record r;
        int dm[2], hm[2], dur[3];
        if (!parts(w.at(1), QLatin1Char('.'), 2, dm))
            return fail(QStringLiteral("bad DD.MM"));
        if (!parts(w.at(2), QLatin1Char(':'), 2, hm))
            return fail(QStringLiteral("bad HH:MM"));
        if (!parts(w.at(3), QLatin1Char(':'), 3, dur))
            return fail(QStringLiteral("bad duration H:MM:SS"));
        if (!byteValue(w.at(4), r.flags) || !byteValue(w.at(5), r.category))
            return fail(QStringLiteral("flags and category must be 0..255"));
        if (w.size() == 7 && !TSimScript::numberCodes(w.at(6), r.codes))
            return fail(QStringLiteral("digits must be 0-9, * or ?"));
        for (const QString &word : talkWords) {
            QString why;
            if (!r.talk.parse(word, why))
                return fail(why);
        }
        r.day = dm[0];
        r.month = dm[1];
        r.hour = hm[0];
        r.minute = hm[1];
        r.durHours = dur[0];
        r.durMinutes = dur[1];
        r.durSeconds = dur[2];
        if (FCells[kind].size() >= Cells) {
            if (warnings)
                warnings->append(QStringLiteral("line %1: the memory holds %2 records of a kind; left out")
                                     .arg(i + 1).arg(Cells));
            continue;
        }
        FCells[kind].append(r);
    }
    return true;
}

bool TSimMemory::loadFile(const QString &path, QString &error, QStringList *warnings)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    return load(QString::fromUtf8(f.readAll()), error, warnings);
}

QByteArray TSimMemory::reply(int kind, int cell) const
{
    const bool in = kind == 0;
    QByteArray out(1, char(in ? 0x41 : 0x42));
    const QList<Record> &cells = FCells[in ? 0 : 1];
    if (cell < 0 || cell >= cells.size()) {
        out.append(char(0));
        out.append(QByteArray(in ? 13 : 12, char(0)));
        return out;
    }
    const Record &r = cells.at(cell);
    out.append(char(r.codes.size()));
    out.append(r.codes);
    if (in)
        out.append(char(r.category));
    for (int v : {r.hour, r.minute, r.day, r.month, r.durHours, r.durMinutes, r.durSeconds, r.flags})
        out.append(char(v));
    out.append(QByteArray(4, char(0)));
    return out;
}

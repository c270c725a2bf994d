#include "THotButtonFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A real file is under 400 bytes; reading stops here so any file loads quickly.
constexpr qint64 MaxRead = 64 * 1024;

// A whole number: optional sign and decimal digits, blanks around allowed.
bool parseWhole(const QByteArray &line, qint64 &out)
{
    const QByteArray t = line.trimmed();
    if (t.isEmpty())
        return false;
    int i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size())
        return false;
    for (int j = i; j < t.size(); ++j)
        if (t[j] < '0' || t[j] > '9')
            return false;
    bool ok = false;
    out = t.toLongLong(&ok);
    return ok;
}

QList<qint64> unbound()
{
    return QList<qint64>(THotButtonFile::Count, -1);
}

QByteArray textOf(const QList<qint64> &entries)
{
    QByteArray text;
    for (qint64 v : entries)
        text += QByteArray::number(v) + "\r\n";
    return text;
}

} // namespace

THotButtonFile::THotButtonFile(const QString &path) : FPath(path), FEntries(unbound()) {}

bool THotButtonFile::parse(const QByteArray &content, QList<qint64> &entries)
{
    entries = unbound();
    QByteArray text = content;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();   // the terminator of the last line
    const int n = int(qMin<qsizetype>(lines.size(), Count));
    for (int i = 0; i < n; ++i) {
        qint64 v = -1;
        if (parseWhole(lines[i], v))
            entries[i] = v < 0 ? -1 : v;
    }
    return textOf(entries) == content;
}

QByteArray THotButtonFile::toText() const
{
    return textOf(FEntries);
}

THotButtonFile::TLoadResult THotButtonFile::load()
{
    FError.clear();
    QFile file(FPath);
    QByteArray content;
    bool readable = file.open(QIODevice::ReadOnly);
    if (readable) {
        content = file.read(MaxRead + 1);
        readable = file.error() == QFileDevice::NoError;
        file.close();
    }
    if (!readable) {
        FEntries = unbound();
        save();
        return lrCreated;
    }
    QList<qint64> entries;
    const bool clean = parse(content, entries);
    FEntries = entries;
    if (clean)
        return lrLoaded;
    save();
    return lrRepaired;
}

bool THotButtonFile::save()
{
    FError.clear();
    const QFileInfo info(FPath);
    QDir().mkpath(info.absolutePath());
    QSaveFile file(FPath);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        FError = file.errorString();
        return false;
    }
    const QByteArray text = toText();
    if (file.write(text) != text.size() || !file.commit()) {
        FError = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

qint64 THotButtonFile::entry(int index) const
{
    return index >= 0 && index < Count ? FEntries[index] : -1;
}

bool THotButtonFile::assign(int buttonNo, qint64 personId)
{
    if (buttonNo < 1 || buttonNo > Count)
        return false;
    FEntries[buttonNo - 1] = personId < 0 ? -1 : personId;
    return save();
}

bool THotButtonFile::free(int index)
{
    if (index < 0 || index >= Count)
        return false;
    FEntries[index] = -1;
    return save();
}

bool THotButtonFile::freeAll()
{
    FEntries = unbound();
    return save();
}

int THotButtonFile::hotButtonOf(qint64 personId) const
{
    if (personId < 0)
        return -1;
    return int(FEntries.indexOf(personId));
}

bool THotButtonFile::hotButtonUsed(int buttonNo) const
{
    return buttonNo >= 1 && buttonNo <= Count && FEntries[buttonNo - 1] >= 0;
}

int THotButtonFile::firstFreeHotButton() const
{
    const qsizetype i = FEntries.indexOf(-1);
    return i < 0 ? -1 : int(i) + 1;
}

// Any content of HotBtns.cfg loads, with a repair that is written back and then loads clean.
#include "records/THotButtonFile.h"
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

void checkEntries(const QList<qint64> &entries)
{
    if (entries.size() != THotButtonFile::Count)
        abort();
    for (qint64 v : entries)
        if (v < -1)
            abort();
}

// The whole road through a file; slower (the save is synced to disk), so not for every input.
void roundTrip(const QByteArray &content, const QList<qint64> &parsed)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("HotBtns.cfg"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
            abort();
    }
    THotButtonFile file(path);
    const THotButtonFile::TLoadResult result = file.load();
    checkEntries(file.entries());
    if (result == THotButtonFile::lrCreated
        || (result == THotButtonFile::lrLoaded) != (file.toText() == content))
        abort();
    // Past the read limit only the beginning counts, which a huge file always repairs.
    if (content.size() < 60000 && file.entries() != parsed)
        abort();
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly) || written.readAll() != file.toText())
        abort();
    THotButtonFile again(path);
    if (again.load() != THotButtonFile::lrLoaded || again.entries() != file.entries())
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<qint64> entries;
    const bool clean = THotButtonFile::parse(content, entries);
    checkEntries(entries);
    // The repaired text is itself clean and means the same.
    QList<qint64> reparsed;
    QByteArray text;
    for (qint64 v : entries)
        text += QByteArray::number(v) + "\r\n";
    if (clean != (text == content) || !THotButtonFile::parse(text, reparsed) || reparsed != entries)
        abort();
    if (size % 8 == 0)
        roundTrip(content, entries);
    return 0;
}

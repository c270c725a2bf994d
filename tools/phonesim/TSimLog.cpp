#include "TSimLog.h"
#include <QDateTime>
#include <QFile>

TSimLog::~TSimLog()
{
    close();
}

bool TSimLog::open(const QString &fileName)
{
    close();
    if (fileName.isEmpty())
        return true;
    if (fileName == QLatin1String("-")) {
        FFile = stderr;
        FOwned = false;
        return true;
    }
    FFile = std::fopen(QFile::encodeName(fileName).constData(), "a");
    FOwned = FFile != nullptr;
    return FFile != nullptr;
}

void TSimLog::close()
{
    if (FFile && FOwned)
        std::fclose(FFile);
    FFile = nullptr;
    FOwned = false;
}

void TSimLog::rx(const QByteArray &bytes, qint64 msecsSinceEpoch)
{
    for (char c : bytes)
        line(msecsSinceEpoch, "RX", hex(QByteArray(1, c)));
}

void TSimLog::tx(const QByteArray &bytes)
{
    line(QDateTime::currentMSecsSinceEpoch(), "TX", hex(bytes));
}

void TSimLog::command(const QString &text)
{
    line(QDateTime::currentMSecsSinceEpoch(), "CMD", text);
}

void TSimLog::note(const QString &text)
{
    line(QDateTime::currentMSecsSinceEpoch(), "NOTE", text);
}

QString TSimLog::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString TSimLog::timeStamp(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

void TSimLog::line(qint64 msecs, const char *tag, const QString &text)
{
    if (!FFile)
        return;
    const QByteArray out = (timeStamp(msecs) + QLatin1Char(' ') + QLatin1String(tag) + QLatin1Char(' ') + text)
                               .toUtf8() + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), FFile);
    std::fflush(FFile);
}

#include "TTextLineReader.h"
#include <QIODevice>
#include <QStringDecoder>

namespace {
constexpr qint64 Chunk = 64 * 1024;
}

TTextLineReader::TTextLineReader(QIODevice &Device) : FDevice(Device)
{
    FSize = Device.isSequential() ? 0 : Device.size();
}

TTextLineReader::~TTextLineReader() = default;

QString TTextLineReader::Decode(const QByteArray &Bytes, const QByteArray &Charset)
{
    QString text;
    bool decoded = false;
    if (!Charset.isEmpty()) {
        QStringDecoder named(Charset.constData());
        if (named.isValid()) {
            text = named.decode(Bytes);
            decoded = !named.hasError();
        }
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    if (!decoded)
        text = utf8.decode(Bytes);
    if (!decoded && utf8.hasError()) {
        QStringDecoder cp1251("windows-1251");
        text = cp1251.isValid() ? QString(cp1251.decode(Bytes)) : QString::fromLatin1(Bytes);
    }
    // Control characters (zero bytes of a broken file, stray escapes) are no text.
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n'); });
    return text;
}

// Appends the next chunk of the device to the buffer; false at its end.
bool TTextLineReader::fill()
{
    if (FEnd)
        return false;
    QByteArray chunk(Chunk, Qt::Uninitialized);
    const qint64 n = FDevice.read(chunk.data(), Chunk);
    if (n <= 0) {
        if (n < 0)
            FFailed = true;
        FEnd = true;
        if (FUtf16) {
            // A lone trailing byte of UTF-16 is dropped.
            FUtf16.reset();
        }
        return false;
    }
    chunk.truncate(n);
    FConsumed += n;
    if (!FStarted) {
        FStarted = true;
        if (chunk.startsWith("\xEF\xBB\xBF"))
            chunk.remove(0, 3);
        else if (chunk.startsWith("\xFF\xFE") || chunk.startsWith("\xFE\xFF")) {
            FUtf16 = std::make_unique<QStringDecoder>(chunk.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                                      : QStringConverter::Utf16BE);
            chunk.remove(0, 2);
        }
    }
    if (FUtf16)
        chunk = QString(FUtf16->decode(chunk)).toUtf8();
    // Dropping consumed bytes keeps the buffer at most a line and a chunk long.
    if (FPos > 0) {
        FBuf.remove(0, FPos);
        FPos = 0;
    }
    FBuf += chunk;
    return true;
}

void TTextLineReader::PushBack(const QByteArray &Line)
{
    FPushedLine = Line;
    FPushed = true;
}

bool TTextLineReader::ReadLine(QByteArray &Line)
{
    if (FPushed) {
        FPushed = false;
        Line = FPushedLine;
        return true;
    }
    for (;;) {
        const qsizetype nl = FBuf.indexOf('\n', FPos);
        if (nl >= 0) {
            if (FSkipping) {
                FSkipping = false;
                FPos = nl + 1;
                continue;
            }
            qsizetype end = nl;
            if (end > FPos && FBuf.at(end - 1) == '\r')
                --end;
            Line = FBuf.mid(FPos, std::min(end - FPos, MaxLine));
            FPos = nl + 1;
            return true;
        }
        const qsizetype pending = FBuf.size() - FPos;
        if (!FSkipping && pending > MaxLine) {
            Line = FBuf.mid(FPos, MaxLine);
            FPos = FBuf.size();
            FSkipping = true;
            return true;
        }
        if (FSkipping)
            FPos = FBuf.size();
        if (!fill()) {
            if (FSkipping || FPos >= FBuf.size())
                return false;
            Line = FBuf.mid(FPos, MaxLine);
            if (Line.endsWith('\r'))
                Line.chop(1);
            FPos = FBuf.size();
            return true;
        }
    }
}

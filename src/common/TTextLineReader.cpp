#include "TTextLineReader.h"
#include "Cp1251.h"
#include <QIODevice>
#include <QStringDecoder>

namespace {
constexpr qint64 Chunk = 64 * 1024;

// Validates UTF-8 piece by piece: a sequence may run over a piece's end.
class TUtf8Check {
public:
    bool Feed(const char *p, qsizetype n)
    {
        for (qsizetype i = 0; i < n && FOk; ++i) {
            const uchar c = uchar(p[i]);
            if (FNeed == 0) {
                if (c < 0x80)
                    continue;
                if (c >= 0xC2 && c <= 0xDF)
                    FNeed = 1, FMin = 0x80, FMax = 0xBF;
                else if (c >= 0xE0 && c <= 0xEF)
                    FNeed = 2, FMin = c == 0xE0 ? 0xA0 : 0x80, FMax = c == 0xED ? 0x9F : 0xBF;
                else if (c >= 0xF0 && c <= 0xF4)
                    FNeed = 3, FMin = c == 0xF0 ? 0x90 : 0x80, FMax = c == 0xF4 ? 0x8F : 0xBF;
                else
                    FOk = false;
            } else {
                // The first continuation byte has a narrower range (no overlong forms or surrogates).
                if (c < FMin || c > FMax)
                    FOk = false;
                FMin = 0x80, FMax = 0xBF;
                --FNeed;
            }
        }
        return FOk;
    }
    bool Done() const { return FOk && FNeed == 0; }

private:
    bool FOk = true;
    int FNeed = 0;
    uchar FMin = 0x80, FMax = 0xBF;
};
}

TTextLineReader::TTextLineReader(QIODevice &Device) : FDevice(Device)
{
    FSize = Device.isSequential() ? 0 : Device.size();
}

TTextLineReader::~TTextLineReader() = default;

bool TTextLineReader::IsUtf8(const QByteArray &Bytes)
{
    TUtf8Check check;
    check.Feed(Bytes.constData(), Bytes.size());
    return check.Done();
}

QString TTextLineReader::Decode(const QByteArray &Bytes, const QByteArray &Charset, TTextEncoding Fallback)
{
    QString text;
    bool decoded = false;
    if (!Charset.isEmpty()) {
        const QByteArray name = Charset.trimmed().toLower();
        if (name == "windows-1251" || name == "cp1251") {
            text = Cp1251::Decode(Bytes);
            decoded = true;
        } else {
            QStringDecoder named(Charset.constData());
            if (named.isValid()) {
                text = named.decode(Bytes);
                decoded = !named.hasError();
            }
        }
    }
    if (!decoded)
        text = Fallback == TTextEncoding::Utf8 ? QString::fromUtf8(Bytes) : Cp1251::Decode(Bytes);
    // Control characters (zero bytes of a broken file, stray escapes) are no text.
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n'); });
    return text;
}

TTextEncoding TTextLineReader::Encoding()
{
    if (FDecided)
        return FEncoding;
    FDecided = true;
    if (!FStarted)
        fill();
    if (FBom) {
        FEncoding = TTextEncoding::Utf8;
        return FEncoding;
    }
    bool utf8 = true;
    if (!FDevice.isSequential()) {
        // Once through the whole file, then back to where reading stands.
        const qint64 at = FDevice.pos();
        TUtf8Check check;
        if (FDevice.seek(0)) {
            QByteArray chunk(Chunk, Qt::Uninitialized);
            for (;;) {
                const qint64 n = FDevice.read(chunk.data(), Chunk);
                if (n <= 0 || !check.Feed(chunk.constData(), n))
                    break;
            }
            utf8 = check.Done();
            FDevice.seek(at);
        }
    } else {
        TUtf8Check check;
        check.Feed(FBuf.constData() + FPos, FBuf.size() - FPos);
        utf8 = check.Done();
    }
    FEncoding = utf8 ? TTextEncoding::Utf8 : TTextEncoding::Cp1251;
    return FEncoding;
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
        // A lone trailing byte of UTF-16 is dropped.
        FUtf16.reset();
        return false;
    }
    chunk.truncate(n);
    FConsumed += n;
    if (!FStarted) {
        FStarted = true;
        if (chunk.startsWith("\xEF\xBB\xBF")) {
            chunk.remove(0, 3);
            FBom = true;
        } else if (chunk.startsWith("\xFF\xFE") || chunk.startsWith("\xFE\xFF")) {
            FUtf16 = std::make_unique<QStringDecoder>(chunk.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                                                      : QStringConverter::Utf16BE);
            chunk.remove(0, 2);
            FBom = FUtf16Input = true;
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

bool TTextLineReader::CanSeek() const
{
    return !FDevice.isSequential() && !FUtf16Input && !FPushed;
}

qint64 TTextLineReader::LineStart() const
{
    return FConsumed - (FBuf.size() - FPos);
}

bool TTextLineReader::Seek(qint64 Offset)
{
    if (FDevice.isSequential() || FUtf16Input)
        return false;
    FPushed = false;
    // Within the buffer no read is needed.
    const qint64 bufferStart = FConsumed - FBuf.size();
    if (Offset >= bufferStart && Offset <= FConsumed) {
        FPos = qsizetype(Offset - bufferStart);
        return true;
    }
    if (!FDevice.seek(Offset))
        return false;
    FBuf.clear();
    FPos = 0;
    FConsumed = Offset;
    FEnd = false;
    FStarted = Offset > 0;
    return true;
}

// The end of the line that starts at From: its first CR or LF, or the end of
// the buffer; Next gets where the following line starts. A CR at the end of
// the buffer may be the first half of CR LF, so it is no end until more is read.
qsizetype TTextLineReader::lineEnd(qsizetype From, qsizetype &Next) const
{
    const char *p = FBuf.constData();
    const qsizetype n = FBuf.size();
    qsizetype e = From;
    while (e < n && p[e] != '\n' && p[e] != '\r')
        ++e;
    if (e < n && !(p[e] == '\r' && e + 1 == n && !FEnd)) {
        Next = (p[e] == '\r' && e + 1 < n && p[e + 1] == '\n') ? e + 2 : e + 1;
        return e;
    }
    Next = -1;
    return e;
}

// Passes over the rest of an over-long line, keeping the buffer small.
void TTextLineReader::skipRest()
{
    for (;;) {
        qsizetype next = -1;
        const qsizetype e = lineEnd(FPos, next);
        if (next >= 0) {
            FPos = next;
            return;
        }
        FPos = e;
        if (!fill()) {
            FPos = FBuf.size();
            return;
        }
    }
}

bool TTextLineReader::ReadLine(QByteArray &Line)
{
    if (FPushed) {
        FPushed = false;
        Line = FPushedLine;
        return true;
    }
    for (;;) {
        qsizetype next = -1;
        const qsizetype e = lineEnd(FPos, next);
        if (next >= 0) {
            Line = FBuf.mid(FPos, std::min(e - FPos, MaxLine));
            FPos = next;
            return true;
        }
        if (e - FPos > MaxLine) {
            Line = FBuf.mid(FPos, MaxLine);
            FPos += MaxLine;
            skipRest();
            return true;
        }
        if (!fill()) {
            if (FPos >= FBuf.size())
                return false;
            Line = FBuf.mid(FPos, MaxLine);
            if (Line.endsWith('\r'))
                Line.chop(1);
            FPos = FBuf.size();
            return true;
        }
    }
}

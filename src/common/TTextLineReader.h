#pragma once
// Reads a text file from outside line by line as bytes, whatever it holds:
// a UTF-8 byte-order mark is dropped, UTF-16 (with its mark) comes out as
// UTF-8, a line ends at CR LF, LF or CR alone, and a line longer than MaxLine
// is cut there (the rest of it skipped) so that no input makes memory grow
// without bound. The text encoding is decided once for the whole file.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

class QIODevice;
class QStringDecoder;

enum class TTextEncoding : uint8_t { Utf8, Cp1251 };

class TTextLineReader {
public:
    static constexpr qsizetype MaxLine = 1 << 20;

    explicit TTextLineReader(QIODevice &Device);
    ~TTextLineReader();

    // The next line without its end; false at the end of the input.
    bool ReadLine(QByteArray &Line);
    // Hands Line out again by the next ReadLine (one line of look-ahead).
    void PushBack(const QByteArray &Line);
    // Bytes of the device consumed so far, and its size (0 when unknown).
    qint64 Position() const { return FConsumed; }
    qint64 Size() const { return FSize; }
    // The device reported an error while reading.
    bool Failed() const { return FFailed; }

    // The encoding of the whole file: UTF-8 with a byte-order mark (or UTF-16),
    // else UTF-8 when every byte of the file is valid UTF-8, else Windows-1251.
    // A seekable device is read through once and rewound; of a sequential one
    // only what is buffered so far is judged. Decided at the first call.
    TTextEncoding Encoding();
    // A line's text in the file's encoding.
    QString Text(const QByteArray &Line) { return Decode(Line, QByteArray(), Encoding()); }

    // Where the next line starts in the device, and going back there, so that
    // a reader can read a stretch again without keeping it; false for UTF-16
    // input and sequential devices.
    bool CanSeek() const;
    qint64 LineStart() const;
    bool Seek(qint64 Offset);

    // Text of bytes in the named character set, else in Fallback; control
    // characters but tabs and line feeds are dropped.
    static QString Decode(const QByteArray &Bytes, const QByteArray &Charset, TTextEncoding Fallback);
    // Whether the bytes are valid UTF-8 throughout.
    static bool IsUtf8(const QByteArray &Bytes);

private:
    bool fill();
    qsizetype lineEnd(qsizetype From, qsizetype &Next) const;
    void skipRest();

    QIODevice &FDevice;
    std::unique_ptr<QStringDecoder> FUtf16;
    QByteArray FBuf;
    qsizetype FPos = 0;
    qint64 FConsumed = 0;
    qint64 FSize = 0;
    bool FStarted = false;
    bool FEnd = false;
    bool FFailed = false;
    bool FPushed = false;
    bool FBom = false;          // a byte-order mark, of UTF-8 or UTF-16
    bool FUtf16Input = false;
    bool FDecided = false;
    TTextEncoding FEncoding = TTextEncoding::Cp1251;
    QByteArray FPushedLine;
};

#pragma once
// Reads a text file from outside line by line as bytes, whatever it holds:
// a UTF-8 byte-order mark is dropped, UTF-16 (with its mark) comes out as
// UTF-8, a line ends at LF or CR LF, and a line longer than MaxLine is cut
// there (the rest of it skipped) so that no input makes memory grow without
// bound.
#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;
class QStringDecoder;

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

    // Text of a line in the named character set, else UTF-8 when the bytes
    // are valid UTF-8, else Windows-1251; control characters but tabs are dropped.
    static QString Decode(const QByteArray &Bytes, const QByteArray &Charset = QByteArray());

private:
    bool fill();

    QIODevice &FDevice;
    std::unique_ptr<QStringDecoder> FUtf16;
    QByteArray FBuf;
    qsizetype FPos = 0;
    qint64 FConsumed = 0;
    qint64 FSize = 0;
    bool FStarted = false;
    bool FEnd = false;
    bool FFailed = false;
    bool FSkipping = false;
    bool FPushed = false;
    QByteArray FPushedLine;
};

#pragma once
// Windows-1251 text, the 8-bit Cyrillic code page of the phone's files, the
// robot lists and the exports. Built in, so it works without ICU.
#include <QByteArray>
#include <QString>

namespace Cp1251 {
QString Decode(const char *Data, qsizetype Size);
inline QString Decode(const QByteArray &Bytes) { return Decode(Bytes.constData(), Bytes.size()); }
// A character the code page lacks becomes '?'.
char EncodeChar(char16_t Char);
QByteArray Encode(const QString &Text);
}

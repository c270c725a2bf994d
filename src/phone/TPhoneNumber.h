#pragma once
// Conversions between phone codes and text.
#include "common/PhoneTypes.h"
#include <QString>

// Codes 16..30 count as the code minus 15; 0..9 give the digit, 10 gives "*"
// (StarMode, outgoing numbers) or "?" (incoming numbers, the phone code).
QString PhoneNumberToText(const TBuffer &Number, bool StarMode);

// The codes a dial command sends for Text; empty when the text is not a valid number.
TBuffer TextToPhoneNumber(const QString &Text);

// "1 ч. 2 мин. 5 сек.": hours and minutes only when not zero, seconds always.
QString DurationToText(quint16 Seconds);

#pragma once
// A row appended to the outgoing journal; the fields mirror the table.
#include "common/TDateTime.h"
#include <QString>
#include <cstdint>

struct TOutCall {
    QString Phone;
    TDateTime Time;
    TDateTime Length;
    uint8_t Attributes = 0;   // TCallAttributes as a byte
    QString FileName;
    QString Field_1, Field_2, Field_3, Field_4, Field_5, Field_6, Field_7;
    TDateTime Field_8;
};

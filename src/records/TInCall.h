#pragma once
// A row appended to the incoming journal; the fields mirror the table.
#include "common/TDateTime.h"
#include <QString>
#include <cstdint>

struct TInCall {
    QString Phone;
    TDateTime Time;
    TDateTime Length;
    uint8_t Category = 0;
    bool AutoAnswer = false;
    QString FileName;
    QString MessageFileName;
    QString Field_1, Field_2, Field_3, Field_4, Field_5, Field_6, Field_7;
    TDateTime Field_8;
    bool Blocked = false;   // hung up at once by the number rules
};

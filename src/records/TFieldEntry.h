#pragma once
// One information-field text tagged with its field number (1..7 for Field_1..Field_7).
#include <QString>

struct TFieldEntry {
    int Tag = 0;
    QString Text;
};

#include "TPhoneIdentity.h"

bool &TPhoneIdentity::PhoneOption(int i)
{
    switch (i) {
    case 1: return PhoneOption1;
    case 2: return PhoneOption2;
    case 3: return PhoneOption3;
    case 4: return PhoneOption4;
    case 5: return PhoneOption5;
    case 6: return PhoneOption6;
    case 7: return PhoneOption7;
    default: return PhoneOption8;
    }
}

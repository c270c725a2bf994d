#pragma once
// The phone's identity as the model block, the firmware reply and the
// phone-code reply give it.
#include <QString>
#include <cstdint>

struct TPhoneIdentity {
    uint8_t PhoneModel = 0;
    uint8_t PhoneSubModel = 0;
    QString PhoneModelLetter;          // "Ц", "Т", "С" or empty
    bool PhoneVariant = false;
    QString PhoneModelCode;            // at most three characters
    bool PhoneOption1 = false;
    bool PhoneOption2 = false;         // the phone has a second (mobile) line channel
    bool PhoneOption3 = false;
    bool PhoneOption4 = false;
    bool PhoneOption5 = false;
    bool PhoneOption6 = false;
    bool PhoneOption7 = false;
    bool PhoneOption8 = false;
    quint16 FirmwareVersion = 0;       // 0: no reply yet
    QString IndividualNumber;          // at most five characters

    // PhoneOption1 .. PhoneOption8 by number 1..8.
    bool &PhoneOption(int i);
    bool PhoneOption(int i) const { return const_cast<TPhoneIdentity *>(this)->PhoneOption(i); }
};

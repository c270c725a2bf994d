#pragma once
// Outlook's default contacts folder as the pump reads it, through the
// platform's automation interface (Windows only).
#include <QString>

class IOutlookContacts {
public:
    struct TItem {
        QString FullName;
        QString Email1Address, Email2Address, Email3Address;
        QString HomeTelephoneNumber, BusinessTelephoneNumber, OtherTelephoneNumber, MobileTelephoneNumber;
        QString HomeAddress, BusinessAddress, OtherAddress;
    };

    virtual ~IOutlookContacts() = default;
    // "Outlook.Application", its "MAPI" name space and default folder 10;
    // false when any of them cannot be had.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // The folder's Items; both throw std::exception when Outlook fails.
    virtual int Count() = 0;
    virtual TItem Item(int Index) = 0;   // 1-based
};

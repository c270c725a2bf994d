#pragma once
// Outlook's contacts through its automation (COM) interface; Windows only.
#include "IOutlookContacts.h"
#include <memory>

class QAxObject;

class TOutlookAutomation : public IOutlookContacts {
public:
    ~TOutlookAutomation() override;
    bool Open() override;
    void Close() override;
    int Count() override;
    TItem Item(int Index) override;

private:
    std::unique_ptr<QAxObject> FApplication;
    QAxObject *FNameSpace = nullptr;
    QAxObject *FFolder = nullptr;
    QAxObject *FItems = nullptr;
    QAxObject *items();
};

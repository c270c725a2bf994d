#include "TOutlookAutomation.h"
#include "TOutlookPump.h"
#include <QAxObject>
#include <stdexcept>

std::unique_ptr<IOutlookContacts> TOutlookPump::PlatformContacts()
{
    return std::make_unique<TOutlookAutomation>();
}

TOutlookAutomation::~TOutlookAutomation()
{
    Close();
}

bool TOutlookAutomation::Open()
{
    Close();
    FApplication = std::make_unique<QAxObject>(QStringLiteral("Outlook.Application"));
    if (FApplication->isNull())
        return false;
    FNameSpace = FApplication->querySubObject("GetNameSpace(const QString&)", QStringLiteral("MAPI"));
    if (!FNameSpace)
        return false;
    FFolder = FNameSpace->querySubObject("GetDefaultFolder(int)", 10);
    return FFolder != nullptr;
}

void TOutlookAutomation::Close()
{
    // The sub-objects belong to their parents.
    FItems = nullptr;
    FFolder = nullptr;
    FNameSpace = nullptr;
    FApplication.reset();
}

// The folder's Items, asked once per connection.
QAxObject *TOutlookAutomation::items()
{
    if (!FItems && FFolder)
        FItems = FFolder->querySubObject("Items");
    if (!FItems)
        throw std::runtime_error("Outlook: no Items");
    return FItems;
}

int TOutlookAutomation::Count()
{
    return items()->property("Count").toInt();
}

IOutlookContacts::TItem TOutlookAutomation::Item(int Index)
{
    // Each contact is let go of as soon as it is read.
    std::unique_ptr<QAxObject> contact(items()->querySubObject("Item(int)", Index));
    if (!contact)
        throw std::runtime_error("Outlook: no item");
    const auto text = [&contact](const char *name) { return contact->property(name).toString(); };
    TItem item;
    item.FullName = text("FullName");
    item.Email1Address = text("Email1Address");
    item.Email2Address = text("Email2Address");
    item.Email3Address = text("Email3Address");
    item.HomeTelephoneNumber = text("HomeTelephoneNumber");
    item.BusinessTelephoneNumber = text("BusinessTelephoneNumber");
    item.OtherTelephoneNumber = text("OtherTelephoneNumber");
    item.MobileTelephoneNumber = text("MobileTelephoneNumber");
    item.HomeAddress = text("HomeAddress");
    item.BusinessAddress = text("BusinessAddress");
    item.OtherAddress = text("OtherAddress");
    return item;
}

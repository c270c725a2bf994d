#include "TOutlookPump.h"
#include "TAddressImport.h"

const QString TOutlookPump::ImportFailed = QStringLiteral("Импорт данных из Outlook невозможен");

#ifndef Q_OS_WIN
std::unique_ptr<IOutlookContacts> TOutlookPump::PlatformContacts()
{
    return {};
}
#endif

TOutlookPump::TOutlookPump(std::unique_ptr<IOutlookContacts> Contacts)
    : FContacts(Contacts ? std::move(Contacts) : PlatformContacts())
{
}

TOutlookPump::~TOutlookPump()
{
    CloseOutlook();
}

void TOutlookPump::OpenOutlook()
{
    FConnected = false;
    if (!FContacts)
        return;
    try {
        FConnected = FContacts->Open();
    } catch (...) {
        FConnected = false;
    }
    if (!FConnected)
        FContacts->Close();
}

void TOutlookPump::CloseOutlook()
{
    if (FContacts)
        FContacts->Close();
    FConnected = false;
}

int TOutlookPump::ImportContacts(TAddressBook &Book, const TImportWords &Words)
{
    if (!FConnected)
        return 0;
    TAddressImport import(Book, Words);
    return import.ImportContacts(
        [this](const std::function<bool(const TContact &)> &add) {
            const int count = FContacts->Count();
            for (int i = 1; i <= count; ++i) {
                const IOutlookContacts::TItem item = FContacts->Item(i);
                TContact c;
                c.Name = item.FullName;
                QString mail = item.Email1Address;
                for (const QString &more : {item.Email2Address, item.Email3Address})
                    if (!more.isEmpty())
                        mail += QStringLiteral(", ") + more;
                if (!mail.isEmpty())
                    c.Notes = QStringLiteral("Электронная почта: ") + mail;
                const TContactNumber numbers[] = {{item.HomeTelephoneNumber, nkHome, item.HomeAddress},
                                                  {item.BusinessTelephoneNumber, nkWork, item.BusinessAddress},
                                                  {item.OtherTelephoneNumber, nkOther, item.OtherAddress},
                                                  {item.MobileTelephoneNumber, nkMobile, QString()}};
                for (const TContactNumber &n : numbers)
                    if (!n.Number.isEmpty())
                        c.Numbers << n;
                if (!add(c))
                    break;
            }
        },
        true);
}

#pragma once
// Copies the numbers of Outlook's contacts into the address book. Where the
// platform offers no Outlook (anything but Windows) OpenOutlook fails
// silently and the pump does nothing.
#include "IOutlookContacts.h"
#include <memory>

class TAddressBook;
struct TImportWords;

class TOutlookPump {
public:
    // Contacts: the folder to read; null takes the platform's (none here).
    explicit TOutlookPump(std::unique_ptr<IOutlookContacts> Contacts = {});
    ~TOutlookPump();

    // Sets Connected; any error leaves it clear, without a message.
    void OpenOutlook();
    bool Connected() const { return FConnected; }
    // Adds every new number of every contact; returns the count added.
    // Throws std::exception when Outlook fails; rows added before stay.
    int ImportContacts(TAddressBook &Book, const TImportWords &Words);
    void CloseOutlook();

    static std::unique_ptr<IOutlookContacts> PlatformContacts();
    static const QString ImportFailed;   // "Импорт данных из Outlook невозможен"

private:
    std::unique_ptr<IOutlookContacts> FContacts;
    bool FConnected = false;
};

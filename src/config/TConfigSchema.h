#pragma once
// Every value the settings keep: key, value name and type, in the order they
// are written. Used by the tools that read and write single values.
#include <QList>
#include <QString>
#include "TSettingsStore.h"

class TConfigSchema {
public:
    enum TValueKind { vkString, vkInteger, vkBoolean, vkTime, vkDateTime };

    struct TEntry {
        QString Key;           // below Software\Konvelo, "/" between the parts
        QString Name;
        TValueKind Kind;
        bool Optional;         // written only in some cases ("BDPath", "CustomBaudRate")
        QString Path() const { return Key + QLatin1Char('/') + Name; }
    };

    static const QList<TEntry> &Entries();
    // Values that the tools print only when asked to: the deletion password
    // (Data/ypw) and the webhook key (Feed/WebhookSecret).
    static bool IsSecret(const TEntry &entry);
    // Looks up "Key/Name" (the value name after the last "/"), case-sensitively.
    static const TEntry *Find(const QString &path);

    // The value as text: strings as they are, integers in decimal, Booleans
    // true/false, times HH:mm:ss, date-times yyyy-MM-ddTHH:mm:ss.zzz (local).
    // False when the stored value cannot be read as the entry's type.
    static bool Format(const TEntry &entry, const TSettingsStore::TValue &value, QString &out);
    // Parses text of that form (Booleans also 1/0) and writes it into the
    // store; false, and nothing written, when the text is not of the type.
    static bool Write(const TEntry &entry, const QString &text, TSettingsStore &store);
};

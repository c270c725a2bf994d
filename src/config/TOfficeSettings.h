#pragma once
// The office link's settings, kept in the Office key: the office server's
// libpq connection string (empty: no office) and this workstation's name.
#include <QString>

class TSettingsStore;

struct TOfficeSettings {
    QString Database;      // keyword=value or URI; a password may be in it or in ~/.pgpass
    QString Workstation;   // shown to the other workstations; the host name when empty

    static const QString Key;   // "Office"

    static TOfficeSettings Load(const TSettingsStore &store);
    void Store(TSettingsStore &store) const;
    bool Enabled() const { return !Database.trimmed().isEmpty(); }
    // Workstation, else the host name.
    QString WorkstationName() const;
    // The connection string with any password in it replaced by "****".
    static QString MaskedDatabase(const QString &conninfo);

    friend bool operator==(const TOfficeSettings &, const TOfficeSettings &) = default;
};

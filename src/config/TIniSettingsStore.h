#pragma once
#include "TSettingsStore.h"
#include <QSettings>

// The settings in an INI file (QSettings INI format), one group per key below
// Software\Konvelo. Integers are written as numbers, date-times as 8-byte
// binary values. Value names are escaped so that slashes and backslashes in
// them stay part of the name instead of opening subgroups. The file holds
// secrets (the webhook key, the deletion password): it is readable and
// writable by its owner only, and so is any copy kept of it.
class TIniSettingsStore : public TSettingsStore {
public:
    explicit TIniSettingsStore(const QString &fileName);

    bool KeyExists(const QString &key) const override;
    void CreateKey(const QString &key) override;
    TValue Read(const QString &key, const QString &name) const override;
    void WriteString(const QString &key, const QString &name, const QString &value) override;
    void WriteInteger(const QString &key, const QString &name, qint32 value) override;
    void WriteBinary(const QString &key, const QString &name, const QByteArray &value) override;
    void DeleteValue(const QString &key, const QString &name) override;
    QStringList Keys() const override;
    QStringList ValueNames(const QString &key) const override;
    bool Flush() override;
    QString KeepCopy() override;
    QString Location() const override { return FFileName; }

    // The copy kept of the file before it was rewritten (empty when none).
    QString KeptCopy() const { return FKeptCopy; }

    static QString EscapeName(const QString &name);
    static QString UnescapeName(const QString &name);

private:
    QString Path(const QString &key, const QString &name) const;
    void BeforeWrite();
    void OwnerOnly(bool Create);
    static QByteArray ReadIfBroken(const QString &fileName);

    QString FFileName;
    QByteArray FOriginal;   // the file as it was, when QSettings cannot keep all of it
    mutable QSettings FSettings;
    QString FKeptCopy;
    bool FOwnerOnly = false;   // the file's permissions have been seen to
};

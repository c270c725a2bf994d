#pragma once
#include <QtGlobal>
#ifdef Q_OS_WIN
#include "TSettingsStore.h"

// The settings in the registry under HKEY_LOCAL_MACHINE\Software\Konvelo:
// strings as REG_SZ, integers and Booleans as REG_DWORD, date-times as 8-byte
// REG_BINARY values.
class TRegistrySettingsStore : public TSettingsStore {
public:
    TRegistrySettingsStore();

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
    QString Location() const override;

private:
    void Write(const QString &key, const QString &name, unsigned long type,
               const void *data, unsigned long size);
    void CollectKeys(const QString &key, QStringList &out) const;

    bool FWriteFailed = false;
};
#endif

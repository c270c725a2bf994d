#pragma once
// The persistent key-value store below Software\Konvelo: the registry on
// Windows, <base>/Konvelo.ini elsewhere. Keys are paths below Software\Konvelo
// with "/" between the parts ("Data", "ExternalData/Outlook"); value names are
// taken as they stand (spaces, slashes, Cyrillic letters).
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include "common/TDateTime.h"

class TSettingsStore {
public:
    enum TValueType { vtNone, vtString, vtInteger, vtBinary, vtOther };

    // A raw value as the store holds it. An INI file keeps no integer type:
    // its numbers arrive as vtString and are accepted where an integer is read.
    struct TValue {
        TValueType Type = vtNone;
        QString Text;
        qint32 Integer = 0;
        QByteArray Binary;
    };

    virtual ~TSettingsStore() = default;

    // The store of this platform: the registry or <BaseFolder>/Konvelo.ini.
    static std::unique_ptr<TSettingsStore> Open();

    // Empty key: Software\Konvelo itself.
    virtual bool KeyExists(const QString &key) const = 0;
    virtual void CreateKey(const QString &key) = 0;
    virtual TValue Read(const QString &key, const QString &name) const = 0;
    virtual void WriteString(const QString &key, const QString &name, const QString &value) = 0;
    virtual void WriteInteger(const QString &key, const QString &name, qint32 value) = 0;
    virtual void WriteBinary(const QString &key, const QString &name, const QByteArray &value) = 0;
    virtual void DeleteValue(const QString &key, const QString &name) = 0;
    // Every key that holds values, and the value names of one key.
    virtual QStringList Keys() const = 0;
    virtual QStringList ValueNames(const QString &key) const = 0;
    // Writes pending changes; false when the store could not be written.
    virtual bool Flush() = 0;
    // Keeps a copy of the stored settings before they are rewritten; returns
    // where it went, or an empty text when the store keeps no copies.
    virtual QString KeepCopy() { return QString(); }
    // Where the settings live, for messages.
    virtual QString Location() const = 0;

    bool ValueExists(const QString &key, const QString &name) const;

    // Typed reads; a missing value or one of the wrong type raises TConfigError.
    QString ReadString(const QString &key, const QString &name) const;
    qint32 ReadInteger(const QString &key, const QString &name) const;
    bool ReadBool(const QString &key, const QString &name) const;
    TDateTime ReadDateTime(const QString &key, const QString &name) const;

    void WriteBool(const QString &key, const QString &name, bool value);
    void WriteDateTime(const QString &key, const QString &name, TDateTime value);

    // Conversions used by the typed reads, also for tools that show raw values.
    static bool ToInteger(const TValue &v, qint32 &out);
    static bool ToBool(const TValue &v, bool &out);
    static bool ToDateTime(const TValue &v, TDateTime &out);
    static QByteArray EncodeDateTime(TDateTime value);   // 8 bytes, little-endian double
};

#include "TRegistrySettingsStore.h"
#ifdef Q_OS_WIN
#include <windows.h>
#include <vector>

namespace {
const wchar_t RootPath[] = L"Software\\Konvelo";

std::wstring SubKey(const QString &key)
{
    QString k = QString::fromWCharArray(RootPath);
    if (!key.isEmpty())
        k += QLatin1Char('\\') + QString(key).replace(QLatin1Char('/'), QLatin1Char('\\'));
    return k.toStdWString();
}

// Opens a key for reading; returns nullptr when it does not exist.
HKEY OpenForRead(const QString &key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SubKey(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return nullptr;
    return h;
}
}

TRegistrySettingsStore::TRegistrySettingsStore() = default;

QString TRegistrySettingsStore::Location() const
{
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString::fromWCharArray(RootPath);
}

bool TRegistrySettingsStore::KeyExists(const QString &key) const
{
    HKEY h = OpenForRead(key);
    if (!h)
        return false;
    RegCloseKey(h);
    return true;
}

void TRegistrySettingsStore::CreateKey(const QString &key)
{
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, SubKey(key).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &h, nullptr) == ERROR_SUCCESS)
        RegCloseKey(h);
    else
        FWriteFailed = true;
}

TSettingsStore::TValue TRegistrySettingsStore::Read(const QString &key, const QString &name) const
{
    TValue v;
    HKEY h = OpenForRead(key);
    if (!h)
        return v;
    const std::wstring wname = name.toStdWString();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(h, wname.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> buf(size + sizeof(wchar_t));
        DWORD got = size;
        if (RegQueryValueExW(h, wname.c_str(), nullptr, &type, buf.data(), &got) == ERROR_SUCCESS) {
            switch (type) {
            case REG_SZ:
            case REG_EXPAND_SZ: {
                v.Type = vtString;
                qsizetype chars = qsizetype(got / sizeof(wchar_t));
                const wchar_t *text = reinterpret_cast<const wchar_t *>(buf.data());
                while (chars > 0 && text[chars - 1] == L'\0')
                    --chars;
                v.Text = QString::fromWCharArray(text, chars);
                break;
            }
            case REG_DWORD:
                if (got == sizeof(DWORD)) {
                    v.Type = vtInteger;
                    v.Integer = *reinterpret_cast<const qint32 *>(buf.data());
                } else {
                    v.Type = vtOther;
                }
                break;
            case REG_BINARY:
                v.Type = vtBinary;
                v.Binary = QByteArray(reinterpret_cast<const char *>(buf.data()), qsizetype(got));
                break;
            default:
                v.Type = vtOther;
                break;
            }
        }
    }
    RegCloseKey(h);
    return v;
}

void TRegistrySettingsStore::Write(const QString &key, const QString &name, unsigned long type,
                                   const void *data, unsigned long size)
{
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, SubKey(key).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS) {
        FWriteFailed = true;
        return;
    }
    const std::wstring wname = name.toStdWString();
    if (RegSetValueExW(h, wname.c_str(), 0, type, static_cast<const BYTE *>(data), size) != ERROR_SUCCESS)
        FWriteFailed = true;
    RegCloseKey(h);
}

void TRegistrySettingsStore::WriteString(const QString &key, const QString &name, const QString &value)
{
    const std::wstring w = value.toStdWString();
    Write(key, name, REG_SZ, w.c_str(), DWORD((w.size() + 1) * sizeof(wchar_t)));
}

void TRegistrySettingsStore::WriteInteger(const QString &key, const QString &name, qint32 value)
{
    const DWORD d = DWORD(value);
    Write(key, name, REG_DWORD, &d, sizeof d);
}

void TRegistrySettingsStore::WriteBinary(const QString &key, const QString &name, const QByteArray &value)
{
    Write(key, name, REG_BINARY, value.constData(), DWORD(value.size()));
}

void TRegistrySettingsStore::DeleteValue(const QString &key, const QString &name)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SubKey(key).c_str(), 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(h, name.toStdWString().c_str());
    RegCloseKey(h);
}

QStringList TRegistrySettingsStore::ValueNames(const QString &key) const
{
    QStringList names;
    HKEY h = OpenForRead(key);
    if (!h)
        return names;
    DWORD count = 0;
    DWORD maxLen = 0;
    if (RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &maxLen, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<wchar_t> buf(maxLen + 1);
        for (DWORD i = 0; i < count; ++i) {
            DWORD len = DWORD(buf.size());
            if (RegEnumValueW(h, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                names << QString::fromWCharArray(buf.data(), qsizetype(len));
        }
    }
    RegCloseKey(h);
    return names;
}

void TRegistrySettingsStore::CollectKeys(const QString &key, QStringList &out) const
{
    HKEY h = OpenForRead(key);
    if (!h)
        return;
    DWORD subKeys = 0;
    DWORD maxLen = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subKeys, &maxLen, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(h);
        return;
    }
    if (values > 0)
        out << key;
    std::vector<wchar_t> buf(maxLen + 1);
    QStringList children;
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD len = DWORD(buf.size());
        if (RegEnumKeyExW(h, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            children << QString::fromWCharArray(buf.data(), qsizetype(len));
    }
    RegCloseKey(h);
    for (const QString &c : children)
        CollectKeys(key.isEmpty() ? c : key + QLatin1Char('/') + c, out);
}

QStringList TRegistrySettingsStore::Keys() const
{
    QStringList keys;
    CollectKeys(QString(), keys);
    return keys;
}

bool TRegistrySettingsStore::Flush()
{
    HKEY h = OpenForRead(QString());
    if (h) {
        RegFlushKey(h);
        RegCloseKey(h);
    }
    const bool ok = !FWriteFailed;
    FWriteFailed = false;
    return ok;
}
#endif

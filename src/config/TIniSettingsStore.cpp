#include "TIniSettingsStore.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

TIniSettingsStore::TIniSettingsStore(const QString &fileName)
    : FFileName(fileName), FOriginal(ReadIfBroken(fileName)),
      FSettings(fileName, QSettings::IniFormat)
{
    if (FOriginal.isEmpty() && FSettings.status() == QSettings::FormatError) {
        QFile f(fileName);
        if (f.open(QIODevice::ReadOnly))
            FOriginal = f.readAll();
    }
}

QByteArray TIniSettingsStore::ReadIfBroken(const QString &fileName)
{
    // QSettings reports a parse error only to the instance that parsed the
    // file first; look for what it cannot keep: lines that are neither a
    // section, a comment nor "name=value", and text that is not UTF-8.
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return bytes;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') ? !line.contains(']') : !line.contains('='))
            return bytes;
    }
    return QByteArray();
}

namespace {
const QFileDevice::Permissions OwnerPermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
const QFileDevice::Permissions OthersPermissions = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
}

void TIniSettingsStore::OwnerOnly(bool Create)
{
    // Done before QSettings writes: its atomic save gives the new file the
    // permissions of the one it replaces, and a new file would get the umask's.
    QFile f(FFileName);
    if (!f.exists()) {
        if (!Create)
            return;
        QDir().mkpath(QFileInfo(FFileName).absolutePath());
        if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerPermissions))
            f.close();
    } else if (f.permissions() & OthersPermissions) {
        f.setPermissions(OwnerPermissions);
    }
    FOwnerOnly = true;
}

void TIniSettingsStore::BeforeWrite()
{
    if (!FOwnerOnly)
        OwnerOnly(true);
    // QSettings drops the lines it cannot parse when it writes the file: keep
    // the file as it was before the first change.
    if (!FOriginal.isEmpty() && FKeptCopy.isEmpty())
        KeepCopy();
}

QString TIniSettingsStore::EscapeName(const QString &name)
{
    QString r;
    r.reserve(name.size());
    for (const QChar c : name) {
        if (c == QLatin1Char('%'))
            r += QLatin1String("%25");
        else if (c == QLatin1Char('/'))
            r += QLatin1String("%2F");
        else if (c == QLatin1Char('\\'))
            r += QLatin1String("%5C");
        else
            r += c;
    }
    return r;
}

QString TIniSettingsStore::UnescapeName(const QString &name)
{
    QString r;
    r.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) == QLatin1Char('%') && i + 2 < name.size()) {
            const QStringView code = QStringView(name).mid(i + 1, 2);
            if (code == QLatin1String("25")) { r += QLatin1Char('%'); i += 2; continue; }
            if (code.compare(QLatin1String("2F"), Qt::CaseInsensitive) == 0) { r += QLatin1Char('/'); i += 2; continue; }
            if (code.compare(QLatin1String("5C"), Qt::CaseInsensitive) == 0) { r += QLatin1Char('\\'); i += 2; continue; }
        }
        r += name.at(i);
    }
    return r;
}

QString TIniSettingsStore::Path(const QString &key, const QString &name) const
{
    return key.isEmpty() ? EscapeName(name) : key + QLatin1Char('/') + EscapeName(name);
}

bool TIniSettingsStore::KeyExists(const QString &key) const
{
    const QStringList all = FSettings.allKeys();
    if (key.isEmpty())
        return !all.isEmpty();
    const QString prefix = key + QLatin1Char('/');
    for (const QString &k : all)
        if (k.startsWith(prefix))
            return true;
    return false;
}

void TIniSettingsStore::CreateKey(const QString &)
{
    // An INI group exists as soon as it holds a value.
}

TSettingsStore::TValue TIniSettingsStore::Read(const QString &key, const QString &name) const
{
    TValue v;
    const QVariant q = FSettings.value(Path(key, name));
    if (!q.isValid())
        return v;
    switch (q.typeId()) {
    case QMetaType::QByteArray:
        v.Type = vtBinary;
        v.Binary = q.toByteArray();
        break;
    case QMetaType::QString:
        v.Type = vtString;
        v.Text = q.toString();
        break;
    case QMetaType::QStringList:
        // An unquoted text with commas in a hand-edited file.
        v.Type = vtString;
        v.Text = q.toStringList().join(QLatin1String(", "));
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
    case QMetaType::Double:
        v.Type = vtString;
        v.Text = q.toString();
        break;
    default:
        v.Type = vtOther;
        break;
    }
    return v;
}

void TIniSettingsStore::WriteString(const QString &key, const QString &name, const QString &value)
{
    BeforeWrite();
    FSettings.setValue(Path(key, name), value);
}

void TIniSettingsStore::WriteInteger(const QString &key, const QString &name, qint32 value)
{
    BeforeWrite();
    FSettings.setValue(Path(key, name), value);
}

void TIniSettingsStore::WriteBinary(const QString &key, const QString &name, const QByteArray &value)
{
    BeforeWrite();
    FSettings.setValue(Path(key, name), value);
}

void TIniSettingsStore::DeleteValue(const QString &key, const QString &name)
{
    BeforeWrite();
    FSettings.remove(Path(key, name));
}

QStringList TIniSettingsStore::Keys() const
{
    QStringList keys;
    for (const QString &k : FSettings.allKeys()) {
        const qsizetype slash = k.lastIndexOf(QLatin1Char('/'));
        const QString key = slash < 0 ? QString() : k.left(slash);
        if (!keys.contains(key))
            keys << key;
    }
    return keys;
}

QStringList TIniSettingsStore::ValueNames(const QString &key) const
{
    if (!key.isEmpty())
        FSettings.beginGroup(key);
    QStringList names;
    for (const QString &k : FSettings.childKeys())
        names << UnescapeName(k);
    if (!key.isEmpty())
        FSettings.endGroup();
    return names;
}

bool TIniSettingsStore::Flush()
{
    // Seen to again after a write of ours: the file may have been replaced meanwhile.
    if (FOwnerOnly)
        OwnerOnly(false);
    FSettings.sync();
    return FSettings.status() != QSettings::AccessError;
}

QString TIniSettingsStore::KeepCopy()
{
    if (!FKeptCopy.isEmpty())
        return FKeptCopy;
    QByteArray bytes = FOriginal;
    if (bytes.isEmpty()) {
        QFile f(FFileName);
        if (f.open(QIODevice::ReadOnly))
            bytes = f.readAll();
    }
    if (bytes.isEmpty())
        return QString();
    const QString base = FFileName + QLatin1String(".bad-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 1; QFileInfo::exists(target); ++n)
        target = base + QLatin1Char('-') + QString::number(n);
    QFile out(target);
    if (out.open(QIODevice::NewOnly, OwnerPermissions) && out.write(bytes) == bytes.size() && out.flush())
        FKeptCopy = target;
    return FKeptCopy;
}

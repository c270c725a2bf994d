#include "TSettingsStore.h"
#include "TConfigError.h"
#include "common/BaseFolder.h"
#include <QDir>
#include <QtEndian>
#include <cmath>
#include <cstring>
#ifdef Q_OS_WIN
#include "TRegistrySettingsStore.h"
#else
#include "TIniSettingsStore.h"
#endif

namespace {
// Day counts of 01.01.0001 and 01.01.10000: the range a date-time may take.
constexpr double MinDays = -693593.0;
constexpr double MaxDays = 2958466.0;

QString KeyText(const QString &key)
{
    QString k = QStringLiteral("Software\\Konvelo");
    if (!key.isEmpty())
        k += QLatin1Char('\\') + QString(key).replace(QLatin1Char('/'), QLatin1Char('\\'));
    return k;
}

[[noreturn]] void Fail(const QString &key, const QString &name, bool missing)
{
    throw TConfigError(QStringLiteral("Значение \"%1\" раздела \"%2\" %3")
                           .arg(name, KeyText(key),
                                missing ? QStringLiteral("отсутствует")
                                        : QStringLiteral("имеет неверный тип")));
}
}

std::unique_ptr<TSettingsStore> TSettingsStore::Open()
{
#ifdef Q_OS_WIN
    return std::make_unique<TRegistrySettingsStore>();
#else
    return std::make_unique<TIniSettingsStore>(
        QDir(BaseFolder::path()).filePath(QStringLiteral("Konvelo.ini")));
#endif
}

bool TSettingsStore::ValueExists(const QString &key, const QString &name) const
{
    return Read(key, name).Type != vtNone;
}

bool TSettingsStore::ToInteger(const TValue &v, qint32 &out)
{
    if (v.Type == vtInteger) {
        out = v.Integer;
        return true;
    }
    if (v.Type != vtString)
        return false;
    bool ok = false;
    const qint32 n = v.Text.trimmed().toInt(&ok, 10);
    if (ok)
        out = n;
    return ok;
}

bool TSettingsStore::ToBool(const TValue &v, bool &out)
{
    qint32 n = 0;
    if (ToInteger(v, n)) {
        out = n != 0;
        return true;
    }
    // A hand-edited file may say true or false.
    if (v.Type == vtString) {
        const QString t = v.Text.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            out = true;
            return true;
        }
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            out = false;
            return true;
        }
    }
    return false;
}

bool TSettingsStore::ToDateTime(const TValue &v, TDateTime &out)
{
    if (v.Type != vtBinary || v.Binary.size() != 8)
        return false;
    const quint64 bits = qFromLittleEndian<quint64>(v.Binary.constData());
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (!std::isfinite(d) || d < MinDays || d >= MaxDays)
        return false;
    out = TDateTime(d);
    return true;
}

QByteArray TSettingsStore::EncodeDateTime(TDateTime value)
{
    const double d = value.value();
    quint64 bits;
    std::memcpy(&bits, &d, sizeof bits);
    QByteArray b(8, Qt::Uninitialized);
    qToLittleEndian<quint64>(bits, b.data());
    return b;
}

QString TSettingsStore::ReadString(const QString &key, const QString &name) const
{
    const TValue v = Read(key, name);
    if (v.Type == vtNone)
        Fail(key, name, true);
    if (v.Type != vtString)
        Fail(key, name, false);
    return v.Text;
}

qint32 TSettingsStore::ReadInteger(const QString &key, const QString &name) const
{
    const TValue v = Read(key, name);
    if (v.Type == vtNone)
        Fail(key, name, true);
    qint32 n = 0;
    if (!ToInteger(v, n))
        Fail(key, name, false);
    return n;
}

bool TSettingsStore::ReadBool(const QString &key, const QString &name) const
{
    const TValue v = Read(key, name);
    if (v.Type == vtNone)
        Fail(key, name, true);
    bool b = false;
    if (!ToBool(v, b))
        Fail(key, name, false);
    return b;
}

TDateTime TSettingsStore::ReadDateTime(const QString &key, const QString &name) const
{
    const TValue v = Read(key, name);
    if (v.Type == vtNone)
        Fail(key, name, true);
    TDateTime t;
    if (!ToDateTime(v, t))
        Fail(key, name, false);
    return t;
}

void TSettingsStore::WriteBool(const QString &key, const QString &name, bool value)
{
    WriteInteger(key, name, value ? 1 : 0);
}

void TSettingsStore::WriteDateTime(const QString &key, const QString &name, TDateTime value)
{
    WriteBinary(key, name, EncodeDateTime(value));
}

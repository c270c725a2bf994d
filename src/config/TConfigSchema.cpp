#include "TConfigSchema.h"
#include "TFeedSettings.h"
#include "TNumberRules.h"
#include "TOfficeSettings.h"
#include "TPortSettings.h"
#include <QDateTime>

namespace {
QList<TConfigSchema::TEntry> Build()
{
    using S = TConfigSchema;
    QList<S::TEntry> e;
    const QString port = TPortSettings::Key;
    for (const QString &n : TPortSettings::TextNames())
        e.append({port, n, S::vkString, false});
    e.append({port, QStringLiteral("CustomBaudRate"), S::vkInteger, true});

    const QString data = QStringLiteral("Data");
    e.append({data, QStringLiteral("ypw"), S::vkString, false});
    e.append({data, QStringLiteral("yrd"), S::vkBoolean, false});
    e.append({data, QStringLiteral("Channel Type"), S::vkInteger, false});
    e.append({data, QStringLiteral("IncomingSort"), S::vkString, false});
    e.append({data, QStringLiteral("OutgoingSort"), S::vkString, false});
    e.append({data, QStringLiteral("AddressSort"), S::vkString, false});
    e.append({data, QStringLiteral("Input Filter"), S::vkString, false});
    e.append({data, QStringLiteral("Output Filter"), S::vkString, false});
    e.append({data, QStringLiteral("Default play message"), S::vkBoolean, false});
    e.append({data, QStringLiteral("Record incoming calls"), S::vkBoolean, false});
    e.append({data, QStringLiteral("Record outgoing calls"), S::vkBoolean, false});
    e.append({data, QStringLiteral("LastOff"), S::vkDateTime, false});
    e.append({data, QStringLiteral("Ask for \u0441alls"), S::vkBoolean, false});
    e.append({data, QStringLiteral("Records Directory"), S::vkString, false});

    const QString config = QStringLiteral("Config");
    for (const char *n : {"ActivePage", "ActiveSetting", "RegionalNumberLength", "Prefix",
                          "DayVolume", "NightVolume"})
        e.append({config, QLatin1String(n), S::vkInteger, false});
    e.append({config, QStringLiteral("StartNight"), S::vkTime, false});
    e.append({config, QStringLiteral("EndNight"), S::vkTime, false});
    e.append({config, QStringLiteral("Creschendo"), S::vkBoolean, false});
    e.append({config, QStringLiteral("DisplayMessage"), S::vkBoolean, false});
    e.append({config, QStringLiteral("PlaySound"), S::vkBoolean, false});
    e.append({config, QStringLiteral("SoundFileName"), S::vkString, false});
    for (const char *n : {"MuteOnCall", "AdjustSoundSettings", "NoMessageOnTalk", "NeedCheckPort",
                          "NeedStartMinimized", "NoAlertOnTalk"})
        e.append({config, QLatin1String(n), S::vkBoolean, false});
    for (const char *n : {"Left", "Top", "Width", "Height", "WindowState", "AONSettingState",
                          "TreeWidth"})
        e.append({config, QLatin1String(n), S::vkInteger, false});
    for (const char *side : {"In", "Out"})
        for (int i = 1; i <= 8; ++i)
            e.append({config, QStringLiteral("%1Field%2").arg(QLatin1String(side)).arg(i),
                      S::vkString, false});
    for (const char *side : {"In", "Out"})
        for (int i = 1; i <= 8; ++i)
            e.append({config, QStringLiteral("%1FieldYes%2").arg(QLatin1String(side)).arg(i),
                      S::vkBoolean, false});
    e.append({config, QStringLiteral("ShowInFieldKind"), S::vkInteger, false});
    e.append({config, QStringLiteral("ShowOutFieldKind"), S::vkInteger, false});
    e.append({config, QStringLiteral("ShowInputFormOnInCall"), S::vkBoolean, false});
    e.append({config, QStringLiteral("ShowInputFormOnOutCall"), S::vkBoolean, false});
    e.append({config, QStringLiteral("BDPath"), S::vkString, true});

    const QString stats = QStringLiteral("Statistics");
    for (const char *side : {"In", "Out"}) {
        e.append({stats, QStringLiteral("%1Phone").arg(QLatin1String(side)), S::vkBoolean, false});
        for (int i = 1; i <= 7; ++i)
            e.append({stats, QStringLiteral("%1F%2").arg(QLatin1String(side)).arg(i),
                      S::vkBoolean, false});
    }

    const QString outlook = QStringLiteral("ExternalData/Outlook");
    e.append({outlook, QStringLiteral("AddOutlNamePostfix"), S::vkBoolean, false});
    for (const char *n : {"OutlHomeName", "OutlWorkName", "OutlMobileName", "OutlOtherName"})
        e.append({outlook, QLatin1String(n), S::vkString, false});

    const QString feed = TFeedSettings::Key;
    e.append({feed, QStringLiteral("Enabled"), S::vkBoolean, false});
    e.append({feed, QStringLiteral("ListenAddress"), S::vkString, false});
    e.append({feed, QStringLiteral("Port"), S::vkInteger, false});
    e.append({feed, QStringLiteral("AllowedClients"), S::vkString, false});
    e.append({feed, QStringLiteral("Webhooks"), S::vkString, false});
    e.append({feed, QStringLiteral("WebhookSecret"), S::vkString, false});
    e.append({TNumberRules::Key, TNumberRules::Name, S::vkString, false});
    // Written once the office is set up: a workstation on its own has no Office group.
    e.append({TOfficeSettings::Key, QStringLiteral("Database"), S::vkString, true});
    e.append({TOfficeSettings::Key, QStringLiteral("Workstation"), S::vkString, true});
    return e;
}

const QString TimeFormat = QStringLiteral("HH:mm:ss");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");
}

const QList<TConfigSchema::TEntry> &TConfigSchema::Entries()
{
    static const QList<TEntry> entries = Build();
    return entries;
}

bool TConfigSchema::IsSecret(const TEntry &entry)
{
    return (entry.Key == QLatin1String("Data") && entry.Name == QLatin1String("ypw"))
        || (entry.Key == TFeedSettings::Key && entry.Name == QLatin1String("WebhookSecret"));
}

const TConfigSchema::TEntry *TConfigSchema::Find(const QString &path)
{
    for (const TEntry &e : Entries())
        if (e.Path() == path)
            return &e;
    return nullptr;
}

bool TConfigSchema::Format(const TEntry &entry, const TSettingsStore::TValue &value, QString &out)
{
    switch (entry.Kind) {
    case vkString:
        if (value.Type != TSettingsStore::vtString)
            return false;
        out = value.Text;
        return true;
    case vkInteger: {
        qint32 n = 0;
        if (!TSettingsStore::ToInteger(value, n))
            return false;
        out = QString::number(n);
        return true;
    }
    case vkBoolean: {
        bool b = false;
        if (!TSettingsStore::ToBool(value, b))
            return false;
        out = b ? QStringLiteral("true") : QStringLiteral("false");
        return true;
    }
    case vkTime: {
        TDateTime t;
        if (!TSettingsStore::ToDateTime(value, t))
            return false;
        out = t.time().toString(TimeFormat);
        return true;
    }
    case vkDateTime: {
        TDateTime t;
        if (!TSettingsStore::ToDateTime(value, t))
            return false;
        out = t.toIsoString();
        return true;
    }
    }
    return false;
}

bool TConfigSchema::Write(const TEntry &entry, const QString &text, TSettingsStore &store)
{
    switch (entry.Kind) {
    case vkString:
        store.WriteString(entry.Key, entry.Name, text);
        return true;
    case vkInteger: {
        bool ok = false;
        const qint32 n = text.toInt(&ok, 10);
        if (!ok)
            return false;
        store.WriteInteger(entry.Key, entry.Name, n);
        return true;
    }
    case vkBoolean:
        if (text == QLatin1String("true") || text == QLatin1String("1"))
            store.WriteBool(entry.Key, entry.Name, true);
        else if (text == QLatin1String("false") || text == QLatin1String("0"))
            store.WriteBool(entry.Key, entry.Name, false);
        else
            return false;
        return true;
    case vkTime: {
        QTime t = QTime::fromString(text, TimeFormat);
        if (!t.isValid())
            t = QTime::fromString(text, QStringLiteral("H:mm:ss"));
        if (!t.isValid())
            return false;
        store.WriteDateTime(entry.Key, entry.Name, TDateTime::fromTime(t));
        return true;
    }
    case vkDateTime: {
        QDateTime t = QDateTime::fromString(text, DateTimeFormat);
        if (!t.isValid())
            t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        if (!t.isValid())
            return false;
        store.WriteDateTime(entry.Key, entry.Name, TDateTime::fromQDateTime(t));
        return true;
    }
    }
    return false;
}

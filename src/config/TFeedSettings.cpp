#include "TFeedSettings.h"
#include "TSettingsStore.h"
#include <QRegularExpression>

const QString TFeedSettings::Key = QStringLiteral("Feed");

namespace {
const QString NEnabled = QStringLiteral("Enabled");
const QString NListen = QStringLiteral("ListenAddress");
const QString NPort = QStringLiteral("Port");
const QString NAllowed = QStringLiteral("AllowedClients");
const QString NWebhooks = QStringLiteral("Webhooks");
const QString NSecret = QStringLiteral("WebhookSecret");

QString readString(const TSettingsStore &s, const QString &name, const QString &def)
{
    const TSettingsStore::TValue v = s.Read(TFeedSettings::Key, name);
    return v.Type == TSettingsStore::vtString ? v.Text : def;
}
}

TFeedSettings TFeedSettings::Load(const TSettingsStore &s)
{
    TFeedSettings f;
    bool b = false;
    if (TSettingsStore::ToBool(s.Read(Key, NEnabled), b))
        f.Enabled = b;
    f.ListenAddress = readString(s, NListen, f.ListenAddress);
    qint32 port = 0;
    if (TSettingsStore::ToInteger(s.Read(Key, NPort), port) && port > 0 && port < 65536)
        f.Port = port;
    f.AllowedClients = readString(s, NAllowed, f.AllowedClients);
    f.Webhooks = readString(s, NWebhooks, f.Webhooks);
    f.WebhookSecret = readString(s, NSecret, f.WebhookSecret);
    return f;
}

void TFeedSettings::Store(TSettingsStore &s) const
{
    s.WriteBool(Key, NEnabled, Enabled);
    s.WriteString(Key, NListen, ListenAddress);
    s.WriteInteger(Key, NPort, Port);
    s.WriteString(Key, NAllowed, AllowedClients);
    s.WriteString(Key, NWebhooks, Webhooks);
    s.WriteString(Key, NSecret, WebhookSecret);
}

QStringList TFeedSettings::AllowedClientList() const
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return AllowedClients.split(separators, Qt::SkipEmptyParts);
}

QStringList TFeedSettings::WebhookList() const
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return Webhooks.split(blanks, Qt::SkipEmptyParts);
}

#pragma once
// The call feed's settings, kept in the Feed key: the NCID-compatible server
// (on/off, listen address, port, the clients allowed to connect) and the
// webhooks (addresses and the shared secret that signs each body).
#include <QString>
#include <QStringList>

class TSettingsStore;

struct TFeedSettings {
    bool Enabled = true;
    QString ListenAddress = QStringLiteral("127.0.0.1");
    int Port = 3333;
    // Addresses and subnets (a.b.c.d, a.b.c.d/n, IPv6 likewise) separated by
    // blanks or commas; a client whose address matches none is closed at once.
    QString AllowedClients = QStringLiteral("127.0.0.1 ::1");
    // URLs separated by blanks; empty: no webhooks.
    QString Webhooks;
    // When not empty, each body is signed with HMAC-SHA256 under this key.
    QString WebhookSecret;

    static const QString Key;    // "Feed"

    // Reads the Feed key; a missing or unreadable value keeps its default, so
    // that settings written before the feed existed load unchanged.
    static TFeedSettings Load(const TSettingsStore &store);
    void Store(TSettingsStore &store) const;

    // The list values split into their items.
    QStringList AllowedClientList() const;
    QStringList WebhookList() const;

    friend bool operator==(const TFeedSettings &, const TFeedSettings &) = default;
};

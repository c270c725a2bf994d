#pragma once
// The call feed for other programs: the NCID-compatible server and the
// webhooks, fed by the call handling through the calls below. Each call
// returns at once; names are read from the address book without moving its
// current row, and the call log new clients get comes from the journals.
#include "TNcidServer.h"
#include "TWebhookSender.h"
#include "common/PhoneTypes.h"
#include "config/TFeedSettings.h"
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class TAddressBook;
class TIncomingCallBook;
class TOutgoingCallBook;
struct TInCall;
struct TOutCall;

class TCallFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int LogSize = 200;   // calls of both journals replayed to a new client
    static constexpr int WebhookTextChars = 1000;   // number and name in a webhook body

    TCallFeed(TAddressBook &AddressBook, TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls,
              QObject *parent = nullptr);
    ~TCallFeed() override;

    // Starts, restarts or stops the server and sets the webhooks by Settings;
    // connected clients stay while the address and port stay, unless the new
    // allowed list excludes them. False, with ErrorString() (also reported),
    // when the server cannot listen; the webhooks work anyway.
    bool Apply(const TFeedSettings &Settings);
    QString ErrorString() const { return FError; }
    // Where failures go: a listen error, a bad allowed-list item or webhook
    // address, a post that failed for good. Standard error by default.
    std::function<void(const QString &)> OnReport;

    // A call's number is known: CID: for ckIncoming, OUT: for ckOutgoing, and
    // the "ring" or "outgoing" webhook. Number empty or "?" when the phone gave
    // none; Name empty looks the subscriber up.
    void CallNumberKnown(TCallKind Kind, const QString &Number, const QString &Name, const TDateTime &Start);
    // The number rules hung an incoming call up: HUP: and the "blocked" webhook.
    void CallBlocked(const QString &Number, const QString &Name, const TDateTime &Start);
    // An incoming call was written to the journal: END: (BYE unless Attributes
    // has caNoTalk, i.e. nobody lifted a receiver) and the "end" webhook.
    void CallEnded(const TInCall &Row, TCallAttributes Attributes);
    // An outgoing call was written to the journal: END: (BYE when it lasted a
    // second or more and its Attributes lack caNoTalk) and the "end" webhook.
    void CallEnded(const TOutCall &Row);

    TNcidServer &Server() { return FServer; }
    TWebhookSender &Webhooks() { return FWebhooks; }

    // One webhook body: event "ring", "outgoing", "blocked" or "end"; the end
    // time, length, answered and the files only for "end" (null otherwise).
    // Number and name are capped at WebhookTextChars characters.
    struct TEvent {
        QString Event;
        bool Incoming = true;
        QString Number;
        QString Name;
        TDateTime Start;
        std::optional<TDateTime> End;
        std::optional<bool> Answered;
        QString Recording;   // the talk's file, the incoming call's message file
        QString Message;
        QByteArray Json() const;
    };
    // ISO 8601 with the local offset: 2026-12-09T18:45:40+03:00.
    static QString IsoWithOffset(TDateTime Time);

private:
    void numberKnown(const QString &Label, const QString &Event, bool Incoming, const QString &Number,
                     const QString &Name, TDateTime Start);
    QString nameOf(const QString &Number, const QString &Given) const;
    void ended(bool Incoming, bool Talked, const QString &Number, TDateTime Start, TDateTime Length,
               const QString &Recording, const QString &Message);
    QStringList callLog();

    TAddressBook &FAddressBook;
    TIncomingCallBook &FInCalls;
    TOutgoingCallBook &FOutCalls;
    TNcidServer FServer;
    TWebhookSender FWebhooks;
    void report(const QString &Text);

    QString FError;
    QHostAddress FListening;
    int FListeningPort = -1;
    // Names given with CID:/OUT: until the call's END:, by direction and number.
    QHash<QString, QString> FCallNames;
    // The call log, built once until a table changes.
    QStringList FLog;
    bool FLogValid = false;
};

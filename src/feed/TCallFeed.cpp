#include "TCallFeed.h"
#include "TNcidLine.h"
#include "common/JsonLine.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include <QHostAddress>
#include <cmath>
#include <cstdio>
#include <exception>

namespace {
const QString Ask = QStringLiteral("?");

QString numberText(const QString &Number)
{
    return Number.trimmed().isEmpty() ? Ask : Number;
}

QString nameKey(bool Incoming, const QString &Number)
{
    return (Incoming ? QStringLiteral("in:") : QStringLiteral("out:")) + Number;
}

qint64 seconds(TDateTime Length)
{
    return std::llround(Length.value() * 86400.0);
}

QJsonValue textOrNull(const QString &s)
{
    return s.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s);
}

struct TLogCall {
    double Time;
    bool Incoming;
    QString Phone;
};
}

TCallFeed::TCallFeed(TAddressBook &AddressBook, TIncomingCallBook &InCalls, TOutgoingCallBook &OutCalls,
                     QObject *parent)
    : QObject(parent), FAddressBook(AddressBook), FInCalls(InCalls), FOutCalls(OutCalls)
{
    OnReport = [](const QString &text) {
        const QByteArray b = (QStringLiteral("konvelo: ") + text + QLatin1Char('\n')).toUtf8();
        std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
        std::fflush(stderr);
    };
    FWebhooks.OnFailure = [this](const QString &text) { report(text); };
    FServer.SetCallLog([this] { return callLog(); });
    for (TRecordTable *t : {static_cast<TRecordTable *>(&AddressBook), static_cast<TRecordTable *>(&InCalls),
                            static_cast<TRecordTable *>(&OutCalls)})
        connect(t, &TRecordTable::changed, this, [this] { FLogValid = false; });
}

TCallFeed::~TCallFeed() = default;

bool TCallFeed::Apply(const TFeedSettings &Settings)
{
    FError.clear();
    FWebhooks.SetTargets(Settings.WebhookList(), Settings.WebhookSecret.toUtf8());
    const TClientFilter filter(Settings.AllowedClientList());
    for (const QString &bad : filter.Rejected())
        report(QStringLiteral("feed: not an address or subnet, ignored: ") + bad);
    FServer.SetFilter(filter);
    if (!Settings.Enabled) {
        FServer.Close();
        return true;
    }
    const QString listen = Settings.ListenAddress.trimmed();
    const QHostAddress address = listen.isEmpty() || listen == u"*" ? QHostAddress(QHostAddress::Any)
                                                                     : QHostAddress(listen);
    // Other settings applied: the clients stay connected.
    if (FServer.IsListening() && address == FListening && Settings.Port == FListeningPort)
        return true;
    FServer.Close();
    FListening = QHostAddress();
    if (address.isNull() || Settings.Port < 0 || Settings.Port > 65535)   // 0: any free port
        FError = QStringLiteral("feed: cannot listen on %1 port %2").arg(listen).arg(Settings.Port);
    else if (!FServer.Listen(address, quint16(Settings.Port)))
        FError = QStringLiteral("feed: cannot listen on %1 port %2: %3")
                     .arg(listen).arg(Settings.Port).arg(FServer.ErrorString());
    if (!FError.isEmpty()) {
        report(FError);
        return false;
    }
    FListening = address;
    FListeningPort = Settings.Port;
    return true;
}

void TCallFeed::report(const QString &Text)
{
    if (OnReport)
        OnReport(Text);
}

QString TCallFeed::nameOf(const QString &Number, const QString &Given) const
{
    if (!Given.trimmed().isEmpty())
        return Given;
    try {
        return FAddressBook.NameOfPhone(Number);
    } catch (const std::exception &) {
        return QString();   // an unreadable address book gives no name, never a lost event
    }
}

void TCallFeed::numberKnown(const QString &Label, const QString &Event, bool Incoming, const QString &Number,
                            const QString &Name, TDateTime Start)
{
    const QString number = numberText(Number);
    const QString name = nameOf(number, Name);
    if (FCallNames.size() > 64)
        FCallNames.clear();   // calls whose end never came
    FCallNames.insert(nameKey(Incoming, number), name);
    FServer.Send(TNcidLine::Call(Label, number, name, Start));
    FWebhooks.Post(TEvent{Event, Incoming, number, name, Start}.Json());
}

void TCallFeed::CallNumberKnown(TCallKind Kind, const QString &Number, const QString &Name, const TDateTime &Start)
{
    if (Kind == ckIncoming)
        numberKnown(QStringLiteral("CID"), QStringLiteral("ring"), true, Number, Name, Start);
    else
        numberKnown(QStringLiteral("OUT"), QStringLiteral("outgoing"), false, Number, Name, Start);
}

void TCallFeed::CallBlocked(const QString &Number, const QString &Name, const TDateTime &Start)
{
    numberKnown(QStringLiteral("HUP"), QStringLiteral("blocked"), true, Number, Name, Start);
}

void TCallFeed::CallEnded(const TInCall &Row, TCallAttributes Attributes)
{
    ended(true, !Attributes.has(caNoTalk), Row.Phone, Row.Time, Row.Length, Row.FileName, Row.MessageFileName);
}

void TCallFeed::CallEnded(const TOutCall &Row)
{
    const bool talked = !TCallAttributes::fromByte(Row.Attributes).has(caNoTalk) && seconds(Row.Length) >= 1;
    ended(false, talked, Row.Phone, Row.Time, Row.Length, Row.FileName, QString());
}

void TCallFeed::ended(bool Incoming, bool Talked, const QString &Number, TDateTime Start, TDateTime Length,
                      const QString &Recording, const QString &Message)
{
    FLogValid = false;
    const QString number = numberText(Number);
    const QString key = nameKey(Incoming, number);
    const auto known = FCallNames.constFind(key);
    const QString name = known != FCallNames.cend() ? *known : nameOf(number, QString());
    FCallNames.remove(key);
    const TDateTime end = Start + Length.value();
    FServer.Send(TNcidLine::End(Talked, Incoming, number, name, Start, end));
    FWebhooks.Post(TEvent{QStringLiteral("end"), Incoming, number, name, Start, end, Talked, Recording, Message}.Json());
}

QStringList TCallFeed::callLog()
{
    if (FLogValid)
        return FLog;
    QList<TLogCall> calls;
    try {
        for (TCallBook *book : {static_cast<TCallBook *>(&FInCalls), static_cast<TCallBook *>(&FOutCalls)}) {
            const TTableSchema &s = book->schema();
            const int phone = s.fieldIndex(QStringLiteral("Phone"));
            const int time = s.fieldIndex(QStringLiteral("Time"));
            for (const QVariantList &row : book->newestRows(LogSize))
                calls.append({row.value(time).toDouble(), book == &FInCalls, row.value(phone).toString()});
        }
    } catch (const std::exception &) {
        return {};   // a journal that cannot be read gives an empty log
    }
    std::stable_sort(calls.begin(), calls.end(), [](const TLogCall &a, const TLogCall &b) { return a.Time < b.Time; });
    if (calls.size() > LogSize)
        calls.remove(0, calls.size() - LogSize);
    QHash<QString, QString> names;
    FLog.clear();
    for (const TLogCall &c : std::as_const(calls)) {
        auto it = names.constFind(c.Phone);
        if (it == names.cend())
            it = names.insert(c.Phone, nameOf(c.Phone, QString()));
        FLog << TNcidLine::Call(c.Incoming ? QStringLiteral("CIDLOG") : QStringLiteral("OUTLOG"), c.Phone, *it,
                                TDateTime(c.Time));
    }
    FLogValid = true;
    return FLog;
}

QString TCallFeed::IsoWithOffset(TDateTime Time)
{
    const QDateTime t = Time.toQDateTime();
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
        + QStringLiteral("%1%2:%3")
              .arg(QLatin1Char(offset < 0 ? '-' : '+'))
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray TCallFeed::TEvent::Json() const
{
    JsonLine j;
    j.add(QStringLiteral("event"), Event);
    j.add(QStringLiteral("direction"), Incoming ? QStringLiteral("in") : QStringLiteral("out"));
    j.add(QStringLiteral("number"), TNcidLine::Capped(Number, WebhookTextChars));
    j.add(QStringLiteral("name"), textOrNull(TNcidLine::Capped(Name, WebhookTextChars)));
    j.add(QStringLiteral("start"), IsoWithOffset(Start));
    if (End) {
        j.add(QStringLiteral("end"), IsoWithOffset(*End));
        j.add(QStringLiteral("length"), QJsonValue(seconds(TDateTime(qMax(0.0, *End - Start)))));
    } else {
        j.addNull(QStringLiteral("end"));
        j.addNull(QStringLiteral("length"));
    }
    if (Answered)
        j.add(QStringLiteral("answered"), *Answered);
    else
        j.addNull(QStringLiteral("answered"));
    j.add(QStringLiteral("recording"), textOrNull(Recording));
    if (Incoming && End)
        j.add(QStringLiteral("message"), textOrNull(Message));
    return j.toString().toUtf8();
}

// Phone link subcommands: the line monitor and the technician's commands.
#include "common/SignalQuit.h"
#include "CliCommand.h"
#include "common/JsonLine.h"
#include "phone/EPhoneError.h"
#include "phone/TPhone.h"
#include "phone/TPhoneCapabilities.h"
#include "phone/TPhoneDetection.h"
#include "phone/TPhoneNumber.h"
#include "phone/TPortAccess.h"
#include "phone/TPortList.h"
#include <QCoreApplication>
#include <QJsonArray>
#include <QTimer>

namespace {

const char *const StateNames[] = {"psOffline", "psWaiting", "psOutgoingCall",
                                  "psIncomingCall", "psInUse", "psSendTalk"};
const char *const ReceiverNames[] = {"rsDown", "rsUp", "rsUpParallel"};
const char *const PlaceNames[] = {"cpVrx", "cpParallel", "cpUnknown"};
const char *const AttributeNames[] = {"caVRX", "caParallel", "caAutoAnswer", "caNoTalk", "caRobot"};
const char *const TalkKindNames[] = {"tkOutTalk", "tkInTalk", "tkInMessage"};

QString kindName(TCallKind k)
{
    return k == ckIncoming ? QStringLiteral("ckIncoming") : QStringLiteral("ckOutgoing");
}

QJsonArray codesJson(const TBuffer &number)
{
    QJsonArray a;
    for (char c : number)
        a.append(int(uint8_t(c)));
    return a;
}

JsonLine &addNumber(JsonLine &j, const TBuffer &number, bool starMode)
{
    return j.add("Number", PhoneNumberToText(number, starMode)).add("Codes", codesJson(number));
}

JsonLine event(const char *name)
{
    JsonLine j;
    j.add("event", QString::fromLatin1(name));
    return j;
}

QString recordJson(TCallKind kind, const TCallRec &r)
{
    JsonLine rec;
    rec.add("Number", r.Number);
    if (r.Time.isZero())
        rec.addNull("Time");
    else
        rec.add("Time", r.Time.toIsoString());
    if (r.Duration.isZero())
        rec.addNull("Duration");
    else
        rec.add("Duration", r.Duration.toQDateTime().time().toString(QStringLiteral("hh:mm:ss")));
    rec.add("Flags", int(r.Flags)).add("Category", int(r.Category));
    JsonLine j = event("OnPhoneRecord");
    j.add("CallKind", kindName(kind)).add("CallRec", rec);
    return j.toString();
}

QString identityJson(const TPhoneIdentity &id)
{
    QJsonArray options;
    for (int i = 1; i <= 8; ++i)
        options.append(id.PhoneOption(i));
    JsonLine j = event("Identity");
    j.add("PhoneModel", int(id.PhoneModel))
        .add("PhoneSubModel", int(id.PhoneSubModel))
        .add("PhoneModelLetter", id.PhoneModelLetter)
        .add("PhoneVariant", id.PhoneVariant)
        .add("PhoneModelCode", id.PhoneModelCode)
        .add("PhoneOptions", options)
        .add("FirmwareVersion", int(id.FirmwareVersion));
    return j.toString();
}

bool isEmptyRecord(const TCallRec &r)
{
    return r.Number.isEmpty() && r.Time.isZero() && r.Duration.isZero() && r.Flags == 0
        && r.Category == 0;
}

// The main window's part, as far as a command-line tool needs it.
class CliHost : public TPhoneHost {
public:
    std::function<void()> onModelDetection;
    std::function<void()> onIdentity;
    std::function<void(quint16, const QList<quint16> &)> onParam;
    std::function<void()> onMemoryReadEnd;

    void StartModelDetection() override
    {
        if (onModelDetection)
            onModelDetection();
    }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void IdentityReceived() override
    {
        if (onIdentity)
            onIdentity();
    }
    void ParamReceived(quint16 address, const QList<quint16> &values) override
    {
        if (onParam)
            onParam(address, values);
    }
    void EndMemoryRead() override
    {
        MemoryReadActive = false;
        if (onMemoryReadEnd)
            onMemoryReadEnd();
    }
};

class ListedPorts : public TPortList {
public:
    explicit ListedPorts(QStringList ports) : FPorts(std::move(ports)) {}
    QStringList Ports() const override { return FPorts; }

private:
    QStringList FPorts;
};

// One phone link on the port given by --port.
struct Session {
    CliHost host;
    TPhone phone{&host};
    TPhoneDetection detection{phone};

    Session()
    {
        phone.OnPhoneCode = [this](const QString &code) { detection.PhoneCodeReceived(code); };
    }

    // Connects to --port; prints the reason and gives the exit status on failure.
    int connect(const CliArgs &a)
    {
        const QString port = a.option("port");
        if (port.isEmpty()) {
            cliErr(QStringLiteral("--port DEV is required"));
            return CliUsage;
        }
        phone.SetPort(port);
        if (!phone.Connect()) {
            cliErr(QStringLiteral("cannot open port ") + port);
            TPortAccess access;
            if (access.Check(port, phone.OpenError()))
                cliErr(access.Text());
            return CliNotFound;
        }
        return CliOk;
    }
};

bool parseNumber(const QString &text, int max, int &out)
{
    bool ok = false;
    out = text.toInt(&ok);
    return ok && out >= 0 && out <= max;
}

// Runs the event loop until quit() or the time limit (ms, 0 = none); false on time-out.
bool runLoop(int limitMs, const std::function<bool()> &done = {})
{
    QEventLoop loop;
    bool timedOut = false;
    QTimer limit;
    if (limitMs > 0) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        limit.start(limitMs);
    }
    QTimer poll;
    if (done) {
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        poll.start(20);
        if (done())
            return true;
    }
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    if (SignalQuit *q = SignalQuit::instance())
        QObject::connect(q, &SignalQuit::signalled, &loop, &QEventLoop::quit);
    if (SignalQuit::received())
        return false;
    loop.exec();
    return !timedOut;
}

// ------------------------------------------------------------------ events

int runEvents(const CliArgs &a)
{
    Session s;
    TPhone &p = s.phone;
    int length = 7, prefix = 8;
    if ((a.has("regional-length") && !parseNumber(a.option("regional-length"), 255, length))
        || (a.has("prefix") && !parseNumber(a.option("prefix"), 255, prefix))) {
        cliErr(QStringLiteral("--regional-length and --prefix take whole numbers"));
        return CliUsage;
    }
    p.SetLocalNumberRule(length, uint8_t(prefix));

    p.OnStateChanged = [](TPhone *sender) {
        JsonLine j = event("OnStateChanged");
        j.add("State", QString::fromLatin1(StateNames[sender->State()]))
            .add("ReceiverState", QString::fromLatin1(ReceiverNames[sender->ReceiverState()]));
        cliOut(j.toString());
    };
    p.OnStartCall = [](TCallKind k, const TBuffer &n) {
        JsonLine j = event("OnStartCall");
        j.add("CallKind", kindName(k));
        cliOut(addNumber(j, n, k == ckOutgoing).toString());
    };
    p.OnGotPhoneNumber = [&p](const TBuffer &n) {
        JsonLine j = event("OnGotPhoneNumber");
        cliOut(addNumber(j, n, p.CurrentCallKind() == ckOutgoing).toString());
    };
    p.OnStartTalk = [](TCallKind k) {
        JsonLine j = event("OnStartTalk");
        cliOut(j.add("CallKind", kindName(k)).toString());
    };
    p.OnEndCall = [](TCallKind k, TCallPlace place, TDateTime time, const TBuffer &n,
                     TCallAttributes attributes, uint8_t category) {
        JsonLine j = event("OnEndCall");
        j.add("CallKind", kindName(k)).add("CallPlace", QString::fromLatin1(PlaceNames[place]));
        if (time.isZero())
            j.addNull("Time");
        else
            j.add("Time", time.toIsoString());
        addNumber(j, n, k == ckOutgoing);
        QJsonArray attrs;
        for (int i = caVRX; i <= caRobot; ++i)
            if (attributes.has(TCallAttribute(i)))
                attrs.append(QString::fromLatin1(AttributeNames[i]));
        j.add("Attributes", attrs).add("Category", int(category));
        cliOut(j.toString());
    };
    p.OnReceiverUp = [](TPhone *) { cliOut(event("OnReceiverUp").toString()); };
    p.OnLineFree = [](TPhone *) { cliOut(event("OnLineFree").toString()); };
    p.OnCallerMessage = [](TPhone *) { cliOut(event("OnCallerMessage").toString()); };
    p.OnStopSendTalk = [] { cliOut(event("OnStopSendTalk").toString()); };
    p.OnPhoneRecord = [](TCallKind k, const TCallRec &r) { cliOut(recordJson(k, r)); };
    p.OnPhoneCode = [&s](const QString &code) {
        JsonLine j = event("OnPhoneCode");
        cliOut(j.add("PhoneCode", code).toString());
        s.detection.PhoneCodeReceived(code);
    };
    p.OnStartSendTalk = [](TTalkKind kind, quint16 length, int cell) {
        JsonLine j = event("OnStartSendTalk");
        j.add("TalkKind", QString::fromLatin1(TalkKindNames[kind])).add("Length", int(length)).add("CellNo", cell);
        cliOut(j.toString());
    };
    s.host.onModelDetection = [&s] { s.detection.StartModelDetection(); };
    s.host.onIdentity = [&s] { cliOut(identityJson(s.host.Identity)); };
    s.host.onParam = [](quint16 address, const QList<quint16> &values) {
        QJsonArray v;
        for (quint16 x : values)
            v.append(int(x));
        JsonLine j = event("ParamReceived");
        cliOut(j.add("Address", int(address)).add("Values", v).toString());
    };
    if (a.has("robot")) {
        p.SetPhoneRobotMode([](uint8_t code) {
            JsonLine j = event("RobotByte");
            cliOut(j.add("Code", int(code)).toString());
        });
    }
    if (const int rc = s.connect(a))
        return rc;
    return QCoreApplication::exec() == 0 ? CliOk : CliNotFound;
}

CliRegistration regEvents(CliCommand{
    QStringLiteral("events"),
    QStringLiteral("events --port DEV [--regional-length N] [--prefix D] [--robot]   line events as JSON lines until interrupted"),
    {QStringLiteral("regional-length"), QStringLiteral("prefix")},
    {QStringLiteral("robot")},
    runEvents});

// ------------------------------------------------------------------ dial, hangup

int runDial(const CliArgs &a)
{
    if (a.words.size() != 2) {
        cliErr(QStringLiteral("usage: dial NUMBER [--channel 0|1] --port DEV"));
        return CliUsage;
    }
    int channel = 0;
    if (a.has("channel") && !parseNumber(a.option("channel"), 1, channel)) {
        cliErr(QStringLiteral("--channel takes 0 or 1"));
        return CliUsage;
    }
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    try {
        s.phone.Dial(a.words.at(1), channel);
    } catch (const EPhoneError &e) {
        cliErr(e.Message());
        return CliUsage;
    }
    return CliOk;
}

int runHangup(const CliArgs &a)
{
    if (a.words.size() != 1) {
        cliErr(QStringLiteral("usage: hangup --port DEV"));
        return CliUsage;
    }
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    s.phone.HangUp();
    return CliOk;
}

CliRegistration regDial(CliCommand{
    QStringLiteral("dial"),
    QStringLiteral("dial NUMBER --port DEV [--channel 0|1]   has the phone dial the number"),
    {QStringLiteral("channel")}, {}, runDial});
CliRegistration regHangup(CliCommand{
    QStringLiteral("hangup"), QStringLiteral("hangup --port DEV   has the phone hang up"), {}, {}, runHangup});

// ------------------------------------------------------------------ identify, ports

int runIdentify(const CliArgs &a)
{
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    s.detection.StartModelDetection();
    const bool answered = runLoop(10000, [&] { return !s.detection.ModelDetection() || !s.phone.Connected(); });
    if (!answered || s.detection.ModelDetection()) {
        cliErr(QStringLiteral("the phone did not identify itself"));
        return CliNotFound;
    }
    const TPhoneIdentity &id = s.host.Identity;
    cliOut(TPhoneDetection::Caption());
    cliOut(TPhoneDetection::ModelLine(id));
    for (const QString &line : TPhoneDetection::IdentityText(id).split(u'\r'))
        cliOut(line);
    const TPhoneCapabilities c = TPhoneCapabilities::From(id, true);
    JsonLine j;
    j.add("TalkDownload", c.TalkDownload).add("Robot", c.Robot).add("PhoneSettings", c.PhoneSettings)
        .add("NibbleCells", c.NibbleCells);
    cliOut(j.toString());
    return CliOk;
}

int runFindPort(const CliArgs &a)
{
    Session s;
    std::unique_ptr<ListedPorts> ports;
    if (a.has("ports")) {
        ports = std::make_unique<ListedPorts>(a.option("ports").split(u',', Qt::SkipEmptyParts));
        s.phone.SetPortList(ports.get());
    }
    if (!a.option("port").isEmpty()) {
        s.phone.SetPort(a.option("port"));
        s.phone.Connect();
    } else {
        s.phone.SetPort(QString());
    }
    if (!s.detection.FindPort()) {
        cliErr(QStringLiteral("no phone answered on any port"));
        return CliNotFound;
    }
    cliOut(s.phone.Port());
    return CliOk;
}

int runCheckPort(const CliArgs &a)
{
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    return s.detection.CheckPort() ? CliOk : CliNotFound;
}

CliRegistration regIdentify(CliCommand{
    QStringLiteral("identify"),
    QStringLiteral("identify --port DEV   model, firmware version, individual number and capabilities"),
    {}, {}, runIdentify});
CliRegistration regFindPort(CliCommand{
    QStringLiteral("find-port"),
    QStringLiteral("find-port [--ports DEV,DEV,...] [--port DEV]   prints the port a phone answers on"),
    {QStringLiteral("ports")}, {}, runFindPort});
CliRegistration regCheckPort(CliCommand{
    QStringLiteral("check-port"),
    QStringLiteral("check-port --port DEV   exit 0 when the phone answers"), {}, {}, runCheckPort});

// ------------------------------------------------------------------ clock

int runSetClock(const CliArgs &a)
{
    QDateTime time = QDateTime::currentDateTime();
    if (a.has("time")) {
        time = QDateTime::fromString(a.option("time"), Qt::ISODateWithMs);
        if (!time.isValid() || time.date().year() < 1900 || time.date().year() > 2155) {
            cliErr(QStringLiteral("--time takes a date and time as yyyy-MM-ddTHH:mm:ss"));
            return CliUsage;
        }
    }
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    s.phone.SetPhoneClock(TDateTime::fromQDateTime(time));
    return CliOk;
}

int runReadClock(const CliArgs &a)
{
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    const TDateTime t = s.phone.ReadPhoneClock();
    if (t.value() == 1.0) {
        cliErr(QStringLiteral("the phone gave no valid time"));
        return CliNotFound;
    }
    cliOut(t.toQDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
    return CliOk;
}

CliRegistration regSetClock(CliCommand{
    QStringLiteral("set-clock"),
    QStringLiteral("set-clock --port DEV [--time ISO]   sets the phone's clock (default now)"),
    {QStringLiteral("time")}, {}, runSetClock});
CliRegistration regReadClock(CliCommand{
    QStringLiteral("read-clock"),
    QStringLiteral("read-clock --port DEV   prints the phone's time"), {}, {}, runReadClock});

// ------------------------------------------------------------------ memory

int runReadMemory(const CliArgs &a)
{
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    TPhone &p = s.phone;
    CliHost &h = s.host;
    bool finished = false;
    int records = 0;
    bool anyAnswer = false;
    const auto nextKind = [&] {
        if (h.MemoryReadKind == 0) {
            h.MemoryReadKind = 1;
            h.MemoryReadCell = 0;
            h.MemoryReadActive = true;
            p.StartCallRecordRequest(1, 0);
        } else {
            h.MemoryReadActive = false;
            finished = true;
        }
    };
    p.OnPhoneRecord = [&](TCallKind kind, const TCallRec &r) {
        if (!h.MemoryReadActive || kind != TCallKind(h.MemoryReadKind))
            return;
        anyAnswer = true;
        if (isEmptyRecord(r)) {
            nextKind();
            return;
        }
        cliOut(recordJson(kind, r));
        ++records;
        if (h.MemoryReadCell >= TPhone::CellCount - 1) {
            nextKind();
            return;
        }
        ++h.MemoryReadCell;
        p.StartCallRecordRequest(h.MemoryReadKind, h.MemoryReadCell);
    };
    h.onMemoryReadEnd = [&] { nextKind(); };
    h.MemoryReadKind = 0;
    h.MemoryReadCell = 0;
    h.MemoryReadActive = true;
    p.StartCallRecordRequest(0, 0);
    runLoop(0, [&] { return finished || !p.Connected(); });
    h.MemoryReadActive = false;
    if (SignalQuit::received()) {
        cliErr(QStringLiteral("the memory read was interrupted"));
        return CliNotFound;
    }
    if (!p.Connected()) {
        p.GoOffline();
        cliErr(QStringLiteral("the phone's port went away during the memory read"));
        return CliNotFound;
    }
    if (!anyAnswer) {
        cliErr(QStringLiteral("the phone did not answer the call-record requests"));
        return CliNotFound;
    }
    return CliOk;
}

CliRegistration regReadMemory(CliCommand{
    QStringLiteral("read-memory"),
    QStringLiteral("read-memory --port DEV   the phone's call records as OnPhoneRecord JSON lines"),
    {}, {}, runReadMemory});

// ------------------------------------------------------------------ parameters

int runParam(const CliArgs &a)
{
    const QString usage = QStringLiteral("usage: param get ADDRESS | param set ADDRESS V [V2]  --port DEV");
    int address = 0;
    if (a.words.size() < 3 || !parseNumber(a.words.at(2), 0xFFFF, address)) {
        cliErr(usage);
        return CliUsage;
    }
    const QString verb = a.words.at(1);
    if (verb == QLatin1String("set")) {
        if (a.words.size() < 4 || a.words.size() > 5) {
            cliErr(usage);
            return CliUsage;
        }
        QList<quint16> values;
        for (int i = 3; i < a.words.size(); ++i) {
            int v = 0;
            if (!parseNumber(a.words.at(i), 255, v)) {
                cliErr(QStringLiteral("a parameter value is a whole number from 0 to 255"));
                return CliUsage;
            }
            values << quint16(v);
        }
        Session s;
        if (const int rc = s.connect(a))
            return rc;
        s.phone.WriteParameter(quint16(address), values);
        return CliOk;
    }
    if (verb != QLatin1String("get") || a.words.size() != 3) {
        cliErr(usage);
        return CliUsage;
    }
    Session s;
    if (const int rc = s.connect(a))
        return rc;
    bool got = false;
    s.host.onParam = [&](quint16 addr, const QList<quint16> &values) {
        if (got || addr != address)
            return;
        got = true;
        QJsonArray v;
        for (quint16 x : values)
            v.append(int(x));
        JsonLine j = event("ParamReceived");
        cliOut(j.add("Address", int(addr)).add("Values", v).toString());
    };
    // Asked again every 400 ms, 12 times in all, like the call-record requests.
    int sent = 0;
    bool gaveUp = false;
    QTimer retry;
    QObject::connect(&retry, &QTimer::timeout, [&] {
        if (got)
            return;
        if (sent < TPhone::RetryLimit + 2) {
            s.phone.RequestParameter(quint16(address));
            ++sent;
        } else {
            gaveUp = true;
        }
    });
    s.phone.RequestParameter(quint16(address));
    ++sent;
    retry.start(TPhone::RetryInterval);
    runLoop(0, [&] { return got || gaveUp || !s.phone.Connected(); });
    if (!got) {
        cliErr(QStringLiteral("the phone did not answer for parameter %1").arg(address));
        return CliNotFound;
    }
    return CliOk;
}

CliRegistration regParam(CliCommand{
    QStringLiteral("param"),
    QStringLiteral("param get ADDRESS | param set ADDRESS V [V2]  --port DEV   a phone parameter"),
    {}, {}, runParam});

}

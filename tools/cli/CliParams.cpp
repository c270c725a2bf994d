// params tree, profile dump, profile read, profile write: the phone's
// parameters without windows, for technicians setting up many phones.
#include "CliCommand.h"
#include "common/JsonLine.h"
#include "common/SignalQuit.h"
#include "phone/TPhone.h"
#include "phone/TPhoneDetection.h"
#include "phonesettings/TParamTransfer.h"
#include "phonesettings/TPhoneParamLink.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QTimer>

namespace {

const char *KindNames[] = {"skNone", "skGroup", "skSet", "skFlag"};
const char *StateNames[] = {"pvQuerying", "pvDefined", "pvChanged", "pvLocked", "pvNoValue", "pvNoModule"};

// The allowed numbers as "1-3,7".
QString rangeText(const TAllowedSet &set)
{
    QStringList parts;
    for (int v = 0; v < 256;) {
        if (!set.test(size_t(v))) {
            ++v;
            continue;
        }
        int e = v;
        while (e + 1 < 256 && set.test(size_t(e + 1)))
            ++e;
        parts << (e == v ? QString::number(v) : QStringLiteral("%1-%2").arg(v).arg(e));
        v = e + 1;
    }
    return parts.join(QLatin1Char(','));
}

JsonLine paramJson(const TParam &p)
{
    QJsonArray values;
    for (const TParamValue &v : p.Values) {
        JsonLine s;
        s.add("Kind", QString::fromLatin1(KindNames[v.Kind])).add("Value", int(v.Value));
        if (v.Kind == skSet)
            s.add("Allowed", rangeText(v.Allowed));
        s.add("Labels", QJsonArray::fromStringList(v.Labels));
        values.append(QJsonValue(s.toString()));
    }
    JsonLine j;
    j.add("Id", p.Id).add("Name", p.Name).add("State", QString::fromLatin1(StateNames[p.State]));
    QStringList encoded;
    for (const QJsonValue &v : values)
        encoded << v.toString();
    j.addRaw("Values", QLatin1Char('[') + encoded.join(QLatin1Char(',')) + QLatin1Char(']'));
    j.add("Description", QJsonArray::fromStringList(p.Description));
    return j;
}

bool loadModel(const QString &file, quint16 firmware, TParamModel &model)
{
    QString error;
    if (!model.LoadDescriptionFile(file, firmware, error)) {
        cliErr(QStringLiteral("cannot read %1: %2").arg(file, error));
        return false;
    }
    if (model.Empty()) {
        cliErr(QStringLiteral("%1 describes no tab for firmware %2").arg(file).arg(firmware));
        return false;
    }
    return true;
}

bool firmwareOption(const CliArgs &a, int &firmware)
{
    bool ok = false;
    firmware = a.option("firmware").toInt(&ok);
    if (!ok || firmware < 0 || firmware > 65535) {
        cliErr(QStringLiteral("--firmware expects a version 0..65535"));
        return false;
    }
    return true;
}

int runTree(const CliArgs &a)
{
    if (a.words.size() != 3 || a.words.at(1) != QLatin1String("tree") || !a.has("firmware")) {
        cliErr(QStringLiteral("usage: params tree FILE --firmware N"));
        return CliUsage;
    }
    int firmware = 0;
    if (!firmwareOption(a, firmware))
        return CliUsage;
    TParamModel model;
    if (!loadModel(a.words.at(2), quint16(firmware), model))
        return CliNotFound;
    for (const auto &g : model.Groups) {
        QStringList items;
        for (const TTreeItem &it : TParamModel::BuildTree(*g)) {
            JsonLine j;
            j.add("Caption", it.Caption).add("Depth", it.Depth).add("Parent", it.Parent);
            if (it.Param)
                j.add("Param", paramJson(*it.Param));
            else
                j.addNull("Param");
            items << j.toString();
        }
        JsonLine line;
        line.add("Tab", model.TabCaptions.value(g->TabIndex)).add("Module", int(g->Module))
            .add("Parameters", int(g->Params.size()))
            .addRaw("Tree", QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']'));
        cliOut(line.toString());
    }
    return CliOk;
}

CliRegistration regParams(CliCommand{
    QStringLiteral("params"),
    QStringLiteral("params tree FILE --firmware N   the parameter description as JSON, one line per tab"),
    {QStringLiteral("firmware")}, {}, runTree});

// ------------------------------------------------------------------ profiles

class ParamsHost : public TPhoneHost {
public:
    std::function<void(quint16, const QList<quint16> &)> onParam;
    std::function<void()> onModelDetection;
    void StartModelDetection() override
    {
        if (onModelDetection)
            onModelDetection();
    }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void ParamReceived(quint16 address, const QList<quint16> &values) override
    {
        if (onParam)
            onParam(address, values);
    }
};

int dump(const CliArgs &a)
{
    if (a.words.size() != 3) {
        cliErr(QStringLiteral("usage: profile dump FILE.AON"));
        return CliUsage;
    }
    QFile f(a.words.at(2));
    if (!f.open(QIODevice::ReadOnly)) {
        cliErr(QStringLiteral("cannot read %1: %2").arg(f.fileName(), f.errorString()));
        return CliNotFound;
    }
    qint64 total = 0;
    for (;;) {
        const QByteArray r = f.read(TProfileRecord::Size);
        total += r.size();
        if (r.size() < TProfileRecord::Size)
            break;
        const TProfileRecord rec = TProfileRecord::FromBytes(r.constData());
        JsonLine j;
        j.add("ParamId", rec.ParamId).add("Count", int(rec.Count));
        if (rec.Count >= 1)
            j.add("Value1", int(rec.Value1));
        if (rec.Count >= 2)
            j.add("Value2", int(rec.Value2));
        cliOut(j.toString());
    }
    if (total % TProfileRecord::Size) {
        cliErr(QStringLiteral("%1: the last %2 bytes form no whole 12-byte record and were ignored")
                   .arg(f.fileName()).arg(total % TProfileRecord::Size));
    }
    return CliOk;
}

// Runs the event loop until done() or a signal; false on a signal.
bool waitFor(const std::function<bool()> &done, int limitMs = 0)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(20);
    QTimer limit;
    bool timedOut = false;
    if (limitMs > 0) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        limit.start(limitMs);
    }
    if (SignalQuit *q = SignalQuit::instance())
        QObject::connect(q, &SignalQuit::signalled, &loop, &QEventLoop::quit);
    if (done())
        return true;
    if (SignalQuit::received())
        return false;
    loop.exec();
    return !timedOut && !SignalQuit::received();
}

const char *ResultTexts[] = {"done", "cancelled", "Телефон не отвечает", "Нет связи с телефоном"};

int transfer(const CliArgs &a, bool read)
{
    const QString usage = read ? QStringLiteral("usage: profile read --port DEV --params FILE [--firmware N] OUT.AON")
                               : QStringLiteral("usage: profile write --port DEV --params FILE [--firmware N] IN.AON");
    if (a.words.size() != 3 || a.option("port").isEmpty() || a.option("params").isEmpty()) {
        cliErr(usage);
        return CliUsage;
    }
    int firmware = -1;
    if (a.has("firmware") && !firmwareOption(a, firmware))
        return CliUsage;
    const QString file = a.words.at(2);

    ParamsHost host;
    TPhone phone(&host);
    TPhoneDetection detection(phone);
    phone.OnPhoneCode = [&](const QString &code) { detection.PhoneCodeReceived(code); };
    host.onModelDetection = [&] { detection.StartModelDetection(); };
    phone.SetPort(a.option("port"));
    if (!phone.Connect()) {
        cliErr(QStringLiteral("cannot open port ") + a.option("port"));
        return CliNotFound;
    }
    // The phone's identity gives the firmware (unless given) and its modules.
    cliErr(QStringLiteral("identifying the phone..."));
    detection.StartModelDetection();
    waitFor([&] { return !detection.ModelDetection() || !phone.Online(); }, 10000);
    const bool identified = host.Identity.FirmwareVersion != 0 && host.Identity.PhoneModel != 0;
    if (firmware < 0) {
        if (!identified) {
            cliErr(QStringLiteral("the phone did not identify itself; give --firmware N"));
            return CliNotFound;
        }
        firmware = host.Identity.FirmwareVersion;
    }
    cliErr(QStringLiteral("firmware version %1%2").arg(firmware).arg(identified ? QString() : QStringLiteral(" (the phone did not identify itself)")));
    TParamModel model;
    if (!loadModel(a.option("params"), quint16(firmware), model))
        return CliNotFound;
    if (identified)
        model.RefreshModules(host.Identity);

    if (!read) {
        QString error, warning;
        if (!model.LoadProfile(file, error, &warning)) {
            cliErr(QStringLiteral("cannot read %1: %2").arg(file, error));
            return CliNotFound;
        }
        if (!warning.isEmpty())
            cliErr(file + QStringLiteral(": ") + warning);
    }

    TPhoneParamLink link(phone);
    std::unique_ptr<TParamTransfer> t;
    TQtParamTimer timer([&] {
        if (t)
            t->TimerTick();
    });
    t = std::make_unique<TParamTransfer>(model, link, timer);
    bool finished = false;
    TTransferResult result = tdDone;
    t->OnProgress = [&](int pos, int max, const TParam *p) {
        QString line = QStringLiteral("%1 %2/%3").arg(read ? QStringLiteral("read") : QStringLiteral("write"))
                           .arg(pos).arg(max);
        if (p)
            line += QStringLiteral("  %1 %2").arg(p->Id).arg(p->Name);
        cliErr(line);
    };
    t->OnDone = [&](TTransferResult r) {
        finished = true;
        result = r;
    };
    host.onParam = [&](quint16 address, const QList<quint16> &values) { t->ParamAnswer(address, values); };
    t->StartTransfer(read ? ptmRead : ptmWriteKnown);
    if (!waitFor([&] { return finished; })) {
        t->Cancel();
        cliErr(QStringLiteral("interrupted; nothing saved"));
        return CliNotFound;
    }
    if (result != tdDone) {
        cliErr(QString::fromUtf8(ResultTexts[result]));
        return CliNotFound;
    }
    if (read) {
        int missing = 0;
        for (const TProfileRecord &r : t->ReadList())
            missing += r.Count == 0;
        t->ApplyReadValues();
        QString error;
        if (!model.SaveProfile(file, error)) {
            cliErr(QStringLiteral("cannot write %1: %2").arg(file, error));
            return CliNotFound;
        }
        if (missing)
            cliErr(QStringLiteral("%1 parameters did not answer and are saved without a value").arg(missing));
        JsonLine j;
        j.add("File", file).add("Read", int(t->ReadList().size()) - missing).add("Missing", missing);
        cliOut(j.toString());
    } else {
        int written = 0;
        for (const auto &g : model.Groups)
            for (const auto &p : g->Params)
                written += p->State == pvDefined;
        JsonLine j;
        j.add("File", file).add("Written", written);
        cliOut(j.toString());
    }
    return CliOk;
}

int runProfile(const CliArgs &a)
{
    const QString verb = a.words.value(1);
    if (verb == QLatin1String("dump"))
        return dump(a);
    if (verb == QLatin1String("read") || verb == QLatin1String("write"))
        return transfer(a, verb == QLatin1String("read"));
    cliErr(QStringLiteral("usage: profile dump FILE.AON | profile read|write --port DEV --params FILE FILE.AON"));
    return CliUsage;
}

CliRegistration regProfile(CliCommand{
    QStringLiteral("profile"),
    QStringLiteral("profile dump FILE.AON | profile read|write --port DEV --params Params.vrx [--firmware N] "
                   "FILE.AON   profile records as JSON lines; all parameters from or to the phone"),
    {QStringLiteral("port"), QStringLiteral("params"), QStringLiteral("firmware")}, {}, runProfile});

} // namespace

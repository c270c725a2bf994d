// konvelo-cli office: the office server link (schema, status, sync, calls).
#include "CliCommand.h"
#include "common/BaseFolder.h"
#include "common/JsonLine.h"
#include "common/TDateTime.h"
#include "config/TOfficeSettings.h"
#include "config/TSettingsStore.h"
#include "office/TOfficeServer.h"
#include "office/TOfficeSync.h"
#include "records/TAddressBook.h"
#include "records/TIncomingCallBook.h"
#include "records/TOutgoingCallBook.h"
#include "records/TTableError.h"
#include <QDate>

namespace {
constexpr int TimeoutMs = 5000;

bool settings(TOfficeSettings &o)
{
    o = TOfficeSettings::Load(*TSettingsStore::Open());
    if (!o.Enabled()) {
        cliErr(QStringLiteral("no office server: set Office/Database (konvelo-cli config set Office/Database ...)"));
        return false;
    }
    return true;
}

bool connect(TOfficeServer &server, const TOfficeSettings &o)
{
    if (server.Connect(o.Database, TimeoutMs) && server.InitSchema() >= 0)
        return true;
    cliErr(QStringLiteral("office server: ") + server.LastError());
    return false;
}

// The table files exist and carry their outboxes.
bool prepareFiles(const QString &data)
{
    try {
        TAddressBook book(data + QStringLiteral("/AddressBook"));
        TIncomingCallBook in(data + QStringLiteral("/InCalls"));
        TOutgoingCallBook out(data + QStringLiteral("/OutCalls"));
    } catch (const TTableError &e) {
        cliErr(e.message());
        return false;
    }
    try {
        TOfficeSync::Install(data);
    } catch (const TTableError &e) {
        cliErr(e.message());
        return false;
    }
    return true;
}

bool parseDate(const QString &text, double &out)
{
    QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        d = QDate::fromString(text, Qt::ISODate);
    if (!d.isValid())
        return false;
    out = TDateTime::fromDate(d).value();
    return true;
}

int Init()
{
    TOfficeSettings o;
    if (!settings(o))
        return CliUsage;
    TOfficeServer server;
    if (!server.Connect(o.Database, TimeoutMs)) {
        cliErr(QStringLiteral("office server: ") + server.LastError());
        return CliNotFound;
    }
    const int version = server.InitSchema();
    if (version < 0) {
        cliErr(QStringLiteral("office server: ") + server.LastError());
        return CliNotFound;
    }
    JsonLine line;
    line.add(QStringLiteral("version"), version);
    cliOut(line.toString());
    return CliOk;
}

int Status()
{
    const TOfficeSettings o = TOfficeSettings::Load(*TSettingsStore::Open());
    JsonLine line;
    line.add(QStringLiteral("database"), TOfficeSettings::MaskedDatabase(o.Database));
    line.add(QStringLiteral("workstation"), o.WorkstationName());
    TOfficeSync sync(BaseFolder::dataPath(), o.WorkstationName());
    qint64 queued = 0;
    if (sync.Open())
        queued = sync.Pending();
    bool connected = false;
    QString error;
    if (o.Enabled()) {
        TOfficeServer server;
        connected = server.Connect(o.Database, TimeoutMs);
        if (!connected)
            error = server.LastError();
    } else {
        error = QStringLiteral("no office server configured");
    }
    line.add(QStringLiteral("connected"), connected);
    line.add(QStringLiteral("queued"), double(queued));
    if (error.isEmpty())
        line.addNull(QStringLiteral("error"));
    else
        line.add(QStringLiteral("error"), error);
    cliOut(line.toString());
    return connected ? CliOk : CliNotFound;
}

int Sync()
{
    TOfficeSettings o;
    if (!settings(o))
        return CliUsage;
    const QString data = BaseFolder::dataPath();
    if (!prepareFiles(data))
        return CliNotFound;
    TOfficeSync sync(data, o.WorkstationName());
    if (!sync.Open()) {
        cliErr(sync.Error());
        return CliNotFound;
    }
    const qint64 before = sync.Pending();
    cliErr(QStringLiteral("sending %1 entries").arg(before));
    TOfficeServer server;
    if (!connect(server, o))
        return CliNotFound;
    int sent = 0, applied = 0;
    if (!sync.Publish(server, &sent) || !sync.CatchUp(server, &applied)) {
        cliErr(QStringLiteral("office sync: ") + sync.Error());
        return CliNotFound;
    }
    JsonLine line;
    line.add(QStringLiteral("sent"), sent);
    line.add(QStringLiteral("applied"), applied);
    line.add(QStringLiteral("queued"), double(sync.Pending()));
    cliOut(line.toString());
    return CliOk;
}

int Calls(const CliArgs &args)
{
    TOfficeSettings o;
    if (!settings(o))
        return CliUsage;
    TOfficeServer::TCallFilter f;
    if (args.options.contains(QStringLiteral("from")) && !parseDate(args.option(QStringLiteral("from")), f.From)) {
        cliErr(QStringLiteral("not a date: ") + args.option(QStringLiteral("from")));
        return CliUsage;
    }
    if (args.options.contains(QStringLiteral("to"))) {
        if (!parseDate(args.option(QStringLiteral("to")), f.To)) {
            cliErr(QStringLiteral("not a date: ") + args.option(QStringLiteral("to")));
            return CliUsage;
        }
        f.To += 1;   // the whole last day
    }
    f.Number = args.option(QStringLiteral("number"));
    f.Workstation = args.option(QStringLiteral("workstation"));
    TOfficeServer server;
    if (!connect(server, o))
        return CliNotFound;
    QList<TOfficeServer::TCall> calls;
    if (!server.Calls(f, calls)) {
        cliErr(QStringLiteral("office server: ") + server.LastError());
        return CliNotFound;
    }
    for (const TOfficeServer::TCall &c : calls) {
        JsonLine line;
        line.add(QStringLiteral("workstation"), c.Workstation);
        line.add(QStringLiteral("journal"), c.Journal);
        line.add(QStringLiteral("Call_ID"), double(c.CallId));
        line.add(QStringLiteral("Phone"), c.Phone);
        line.add(QStringLiteral("Time"), TDateTime(c.Time).toQDateTime().toString(QStringLiteral("dd.MM.yyyy H:mm:ss")));
        line.add(QStringLiteral("Length"), qRound(c.Length * 86400.0));
        for (int i = 0; i < 7; ++i) {
            const QString name = QStringLiteral("Field_%1").arg(i + 1);
            if (c.Fields.value(i).isEmpty())
                line.addNull(name);
            else
                line.add(name, c.Fields.value(i));
        }
        if (c.Reminder == 0)
            line.addNull(QStringLiteral("Field_8"));
        else
            line.add(QStringLiteral("Field_8"),
                     TDateTime(c.Reminder).toQDateTime().toString(QStringLiteral("dd.MM.yyyy H:mm:ss")));
        cliOut(line.toString());
    }
    return CliOk;
}

int Run(const CliArgs &args)
{
    const QString what = args.words.value(1);
    if (what == QLatin1String("init") && args.words.size() == 2)
        return Init();
    if (what == QLatin1String("status") && args.words.size() == 2)
        return Status();
    if (what == QLatin1String("sync") && args.words.size() == 2)
        return Sync();
    if (what == QLatin1String("calls") && args.words.size() == 2)
        return Calls(args);
    cliErr(QStringLiteral("usage: office init | status | sync | calls [--from DATE] [--to DATE] [--number N] [--workstation W]"));
    return CliUsage;
}

CliRegistration regOffice(CliCommand{
    QStringLiteral("office"),
    QStringLiteral("office init|status|sync|calls [--from DATE] [--to DATE] [--number N] [--workstation W]"
                   "   the office server: schema, link state, send and fetch now, the office's calls"),
    {QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("number"), QStringLiteral("workstation")},
    {},
    Run});
}

// konvelo-cli config: the settings store of the base folder.
#include "CliCommand.h"
#include "common/JsonLine.h"
#include "common/BaseFolder.h"
#include "config/TAutostart.h"
#include "config/TConfig.h"
#include "config/TConfigSchema.h"
#include "config/TOfficeSettings.h"
#include "config/TPortSettings.h"
#include "config/TSettingsStore.h"
#include <QDir>
#include <QFileInfo>

namespace {
using S = TConfigSchema;

int Init(const CliArgs &args)
{
    if (args.words.size() != 2) {
        cliErr(QStringLiteral("usage: config init [--records DIR]"));
        return CliUsage;
    }
    QString records;
    if (args.options.contains(QStringLiteral("records"))) {
        const QString given = args.option(QStringLiteral("records"));
        if (given.trimmed().isEmpty()) {
            cliErr(QStringLiteral("--records needs a folder"));
            return CliUsage;
        }
        records = QDir::toNativeSeparators(QFileInfo(given).absoluteFilePath());
        if (!QDir().mkpath(records) || !QFileInfo(records).isDir()) {
            cliErr(QStringLiteral("cannot create the records folder: ") + records);
            return CliUsage;
        }
    }
    TConfig config(nullptr);
    if (!config.FirstRun(records)) {
        cliErr(QStringLiteral("cannot write ") + config.StoreLocation());
        return CliNotFound;
    }
    JsonLine line;
    line.add(QStringLiteral("settings"), config.StoreLocation());
    line.add(QStringLiteral("Records Directory"), config.RecordsDirectory);
    if (!config.KeptCopy().isEmpty())
        line.add(QStringLiteral("kept"), config.KeptCopy());
    cliOut(line.toString());
    return CliOk;
}

// What stands for a secret that is set, unless --show-secrets is given.
const QString Masked = QStringLiteral("********");

bool Hidden(const CliArgs &args, const S::TEntry &e, const QString &text)
{
    return S::IsSecret(e) && !text.isEmpty() && !args.has(QStringLiteral("show-secrets"));
}

const S::TEntry *Entry(const QString &path)
{
    const S::TEntry *e = S::Find(path);
    if (!e)
        cliErr(QStringLiteral("unknown key: ") + path);
    return e;
}

int Get(const CliArgs &args)
{
    if (args.words.size() != 3) {
        cliErr(QStringLiteral("usage: config get KEY [--show-secrets]"));
        return CliUsage;
    }
    const S::TEntry *e = Entry(args.words.at(2));
    if (!e)
        return CliUsage;
    const auto store = TSettingsStore::Open();
    const TSettingsStore::TValue v = store->Read(e->Key, e->Name);
    if (v.Type == TSettingsStore::vtNone) {
        cliErr(QStringLiteral("not set: ") + e->Path());
        return CliNotFound;
    }
    QString text;
    if (!S::Format(*e, v, text)) {
        cliErr(QStringLiteral("the stored value is not of its type: ") + e->Path());
        return CliNotFound;
    }
    if (e->Key == TOfficeSettings::Key && e->Name == QLatin1String("Database"))
        text = TOfficeSettings::MaskedDatabase(text);
    cliOut(Hidden(args, *e, text) ? Masked : text);
    return CliOk;
}

int Set(const CliArgs &args)
{
    if (args.words.size() != 4) {
        cliErr(QStringLiteral("usage: config set KEY VALUE"));
        return CliUsage;
    }
    const S::TEntry *e = Entry(args.words.at(2));
    if (!e)
        return CliUsage;
    const QString value = args.words.at(3);
    // Values the next start would refuse, rewriting every setting with its defaults.
    if (e->Key == TPortSettings::Key && e->Kind == S::vkString
        && !TPortSettings::IsValidText(e->Name, value)) {
        cliErr(QStringLiteral("not a value of %1: %2").arg(e->Path(), value));
        return CliUsage;
    }
    if (e->Name == QLatin1String("Records Directory") && value.trimmed().isEmpty()) {
        cliErr(QStringLiteral("the records folder must not be empty"));
        return CliUsage;
    }
    const auto store = TSettingsStore::Open();
    if (!S::Write(*e, value, *store)) {
        cliErr(QStringLiteral("not a value of %1: %2").arg(e->Path(), value));
        return CliUsage;
    }
    if (!store->Flush()) {
        cliErr(QStringLiteral("cannot write ") + store->Location());
        return CliNotFound;
    }
    return CliOk;
}

QJsonValue Json(const S::TEntry &e, const TSettingsStore::TValue &v)
{
    QString text;
    if (!S::Format(e, v, text))
        return QJsonValue(QJsonValue::Null);
    if (e.Key == TOfficeSettings::Key && e.Name == QLatin1String("Database"))
        text = TOfficeSettings::MaskedDatabase(text);
    switch (e.Kind) {
    case S::vkInteger:
        return QJsonValue(text.toInt());
    case S::vkBoolean:
        return QJsonValue(text == QLatin1String("true"));
    default:
        return QJsonValue(text);
    }
}

int Dump(const CliArgs &args)
{
    if (args.words.size() != 2) {
        cliErr(QStringLiteral("usage: config dump [--show-secrets]"));
        return CliUsage;
    }
    const auto store = TSettingsStore::Open();
    JsonLine line;
    QStringList known;
    for (const S::TEntry &e : S::Entries()) {
        known << e.Path();
        const TSettingsStore::TValue v = store->Read(e.Key, e.Name);
        if (v.Type == TSettingsStore::vtNone)
            continue;
        const QJsonValue value = Json(e, v);
        line.add(e.Path(), Hidden(args, e, value.toString()) ? QJsonValue(Masked) : value);
    }
    // Values the program does not know, as they are stored.
    for (const QString &key : store->Keys()) {
        for (const QString &name : store->ValueNames(key)) {
            const QString path = key + QLatin1Char('/') + name;
            if (known.contains(path))
                continue;
            const TSettingsStore::TValue v = store->Read(key, name);
            if (v.Type == TSettingsStore::vtString)
                line.add(path, v.Text);
            else if (v.Type == TSettingsStore::vtInteger)
                line.add(path, v.Integer);
            else if (v.Type == TSettingsStore::vtBinary)
                line.add(path, QString::fromLatin1(v.Binary.toHex()));
            else
                line.addNull(path);
        }
    }
    cliOut(line.toString());
    return CliOk;
}

// The login start of the program; a base folder given by --home or
// KONVELO_HOME goes into the entry, so that the login start uses it too.
int Autostart(const CliArgs &args)
{
    const QString what = args.words.value(2);
    if (args.words.size() > 3 || (!what.isEmpty() && what != QLatin1String("on") && what != QLatin1String("off"))) {
        cliErr(QStringLiteral("usage: config autostart [on|off]"));
        return CliUsage;
    }
    if (!what.isEmpty()) {
        QString error;
        if (!TAutostart::SetEnabled(what == QLatin1String("on"), error)) {
            cliErr(error);
            return CliNotFound;
        }
    }
    JsonLine line;
    line.add(QStringLiteral("autostart"), TAutostart::Enabled());
    line.add(QStringLiteral("entry"), TAutostart::EntryPath());
    cliOut(line.toString());
    return CliOk;
}

int Run(const CliArgs &args)
{
    const QString what = args.words.value(1);
    if (what == QLatin1String("init"))
        return Init(args);
    if (what == QLatin1String("get"))
        return Get(args);
    if (what == QLatin1String("set"))
        return Set(args);
    if (what == QLatin1String("dump"))
        return Dump(args);
    if (what == QLatin1String("autostart"))
        return Autostart(args);
    cliErr(QStringLiteral("usage: config init [--records DIR] | get KEY [--show-secrets] | set KEY VALUE | "
                          "dump [--show-secrets] | autostart [on|off]"));
    return CliUsage;
}

const CliRegistration Registration(CliCommand{
    QStringLiteral("config"),
    QStringLiteral("config init [--records DIR] | config get KEY [--show-secrets] | config set KEY VALUE | "
                   "config dump [--show-secrets] | config autostart [on|off]   (the deletion password and the "
                   "webhook key print as ******** without --show-secrets)"),
    {QStringLiteral("records")},
    {QStringLiteral("show-secrets")},
    Run});

// Where this run keeps its files.
int Paths(const CliArgs &args)
{
    if (args.words.size() != 1) {
        cliErr(QStringLiteral("usage: paths"));
        return CliUsage;
    }
    JsonLine line;
    line.add(QStringLiteral("home"), BaseFolder::path());
    line.add(QStringLiteral("data"), QDir(BaseFolder::path()).filePath(QStringLiteral("Data")));
    line.add(QStringLiteral("settings"), TSettingsStore::Open()->Location());
    line.add(QStringLiteral("autostart"), TAutostart::EntryPath());
    cliOut(line.toString());
    return CliOk;
}

const CliRegistration PathsRegistration(CliCommand{
    QStringLiteral("paths"),
    QStringLiteral("paths   the base folder, its Data/ and settings file, the autostart entry"),
    {},
    {},
    Paths});
}

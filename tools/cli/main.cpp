#include "CliCommand.h"
#include "common/BaseFolder.h"
#include "common/SignalQuit.h"
#include <QCoreApplication>
#include <cstdio>

QList<CliCommand> &CliRegistry::commands()
{
    static QList<CliCommand> list;
    return list;
}

const CliCommand *CliRegistry::find(const QString &name)
{
    for (const CliCommand &c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

void cliOut(const QString &line)
{
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void cliErr(const QString &line)
{
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

namespace {
const QStringList GlobalValueOptions{QStringLiteral("port"), QStringLiteral("home")};

// On standard output when asked for with --help, else on standard error.
void usage(bool asked)
{
    const auto print = asked ? cliOut : cliErr;
    print(QStringLiteral("usage: konvelo-cli SUBCOMMAND [words] [--port DEV] [--home DIR] [options]"));
    if (asked) {
        print(QStringLiteral("\nThe technician's and administrator's tool of Konvelo, the telephone line monitor.\n"
                             "Output for machines is JSON, one object per line; a failure ends with a non-zero\n"
                             "status and a message on standard error.\n\n"
                             "The base folder (Data/, Konvelo.ini) is --home DIR, else KONVELO_HOME, else the\n"
                             "program's folder when it is writable and not installed, else ~/.local/share/Konvelo.\n\n"
                             "Subcommands:"));
    }
    for (const CliCommand &c : CliRegistry::commands())
        print(QStringLiteral("  ") + c.usage);
}

// Options may stand anywhere; whether one takes a value is known from every
// subcommand's declaration, so the subcommand need not come first.
bool parse(const QStringList &argv, CliArgs &out, QString &error)
{
    QSet<QString> valueOpts(GlobalValueOptions.begin(), GlobalValueOptions.end());
    for (const CliCommand &c : CliRegistry::commands())
        for (const QString &o : c.valueOptions)
            valueOpts.insert(o);
    for (int i = 1; i < argv.size(); ++i) {
        const QString &a = argv.at(i);
        if (a.startsWith(QLatin1String("--")) && a.size() > 2) {
            QString name = a.mid(2);
            const int eq = name.indexOf(QLatin1Char('='));
            if (eq >= 0) {
                out.options.insert(name.left(eq), name.mid(eq + 1));
            } else if (valueOpts.contains(name)) {
                if (i + 1 >= argv.size()) {
                    error = QStringLiteral("option --%1 needs a value").arg(name);
                    return false;
                }
                out.options.insert(name, argv.at(++i));
            } else {
                out.flags.insert(name);
            }
        } else {
            out.words << a;
        }
    }
    return true;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    BaseFolder::resolve(args);
    SignalQuit::install();

    CliArgs parsed;
    QString error;
    if (!parse(args, parsed, error)) {
        cliErr(error);
        return CliUsage;
    }
    if (parsed.flags.contains(QStringLiteral("help"))) {
        usage(true);
        return CliOk;
    }
    if (parsed.flags.contains(QStringLiteral("version")) && parsed.words.isEmpty()) {
        cliOut(QStringLiteral("konvelo-cli ") + QStringLiteral(KONVELO_VERSION));
        return CliOk;
    }
    if (parsed.words.isEmpty()) {
        usage(false);
        return CliUsage;
    }
    const CliCommand *cmd = CliRegistry::find(parsed.words.first());
    if (!cmd) {
        cliErr(QStringLiteral("unknown subcommand: ") + parsed.words.first());
        usage(false);
        return CliUsage;
    }
    for (auto it = parsed.options.cbegin(); it != parsed.options.cend(); ++it) {
        if (!GlobalValueOptions.contains(it.key()) && !cmd->valueOptions.contains(it.key())) {
            cliErr(QStringLiteral("unknown option --%1 for %2").arg(it.key(), cmd->name));
            return CliUsage;
        }
    }
    for (const QString &f : parsed.flags) {
        if (!cmd->flagOptions.contains(f)) {
            cliErr(QStringLiteral("unknown option --%1 for %2").arg(f, cmd->name));
            return CliUsage;
        }
    }
    return cmd->run(parsed);
}

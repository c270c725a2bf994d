#pragma once
// Subcommand registry of konvelo-cli. Each Cli*.cpp file registers its
// subcommands with a static CliRegistration; main() parses the command line.
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

struct CliArgs {
    QStringList words;                 // positional words, the subcommand first
    QMap<QString, QString> options;    // --name VALUE / --name=VALUE (name without dashes)
    QSet<QString> flags;               // --name

    QString option(const QString &name, const QString &def = QString()) const
    {
        return options.value(name, def);
    }
    bool has(const QString &name) const { return options.contains(name) || flags.contains(name); }
};

// Exit statuses shared by every subcommand.
enum CliExit { CliOk = 0, CliNotFound = 1, CliUsage = 2 };

struct CliCommand {
    QString name;                  // first word
    QString usage;                 // one line for --help
    QStringList valueOptions;      // options that take a value (without dashes)
    QStringList flagOptions;       // options without a value
    std::function<int(const CliArgs &)> run;
};

class CliRegistry {
public:
    static QList<CliCommand> &commands();
    static const CliCommand *find(const QString &name);
};

struct CliRegistration {
    explicit CliRegistration(CliCommand c) { CliRegistry::commands().append(std::move(c)); }
};

// Output helpers: every line is flushed at once, also into a pipe.
void cliOut(const QString &line);
void cliErr(const QString &line);

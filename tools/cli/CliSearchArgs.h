#pragma once
// What the search and stats subcommands share: a journal opened by its word
// and a period from --from/--to.
#include "CliCommand.h"
#include "search/TPeriod.h"
#include <memory>

class TRecordTable;

// "in", "out" (and "book" when Book is set) to an open table; null with a message otherwise.
std::unique_ptr<TRecordTable> cliOpenTable(const QString &Which, bool Book);
// --from DATE and --to DATE (dd.MM.yyyy or yyyy-MM-dd, an optional H:mm:ss); a date
// without a time starts at 0:00 (--from) or ends at the day's last millisecond (--to).
bool cliPeriod(const CliArgs &Args, TPeriod &Period);

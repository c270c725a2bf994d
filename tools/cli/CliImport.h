#pragma once
#include "CliCommand.h"

// book import FILE: a CSV or vCard file into the address book of --home.
int cliBookImport(const CliArgs &a);

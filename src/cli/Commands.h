#pragma once

#include "CommandLine.h"

#include <QCoroTask>

#include <functional>

namespace quorvane::cli {

// Each group of subcommands lives in its own file and contributes its entries here.
QList<Command> toolCommands();
QList<Command> launchCommands();
QList<Command> wirelessCommands();
QList<Command> desktopCommands();
QList<Command> probeCommands();
QList<Command> sessionCommands();
QList<Command> storeCommands();
// Whether a session already followed itself as JSON Lines, whose last event then carries its failure.
bool sessionEventsPrinted();

QList<Command> allCommands();

} // namespace quorvane::cli

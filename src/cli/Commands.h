#pragma once

#include "CliContext.h"

#include <QCoroTask>

#include <functional>

namespace quorvane::cli {

using CommandHandler = std::function<QCoro::Task<int>(CliContext, ArgumentList)>;

struct Command
{
    QString name;
    QString synopsis;
    CommandHandler run;
};

// Each group of subcommands lives in its own file and contributes its entries here.
QList<Command> toolCommands();
QList<Command> launchCommands();
QList<Command> wirelessCommands();
QList<Command> desktopCommands();
QList<Command> probeCommands();
QList<Command> sessionCommands();

QList<Command> allCommands();

} // namespace quorvane::cli

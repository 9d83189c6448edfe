#include "Commands.h"

namespace quorvane::cli {

QList<Command> allCommands()
{
    QList<Command> commands;
    commands += toolCommands();
    commands += launchCommands();
    commands += wirelessCommands();
    commands += desktopCommands();
    commands += probeCommands();
    return commands;
}

} // namespace quorvane::cli

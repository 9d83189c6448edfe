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
    commands += sessionCommands();
    commands += storeCommands();
    return commands;
}

} // namespace quorvane::cli

#include "Commands.h"

namespace quorvane::cli {

QList<Command> allCommands()
{
    QList<Command> commands;
    commands += toolCommands();
    return commands;
}

} // namespace quorvane::cli

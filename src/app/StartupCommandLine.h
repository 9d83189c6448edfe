#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane::app {

// What the command line settles before any window exists: --help, --version, and a start without a
// display, which Qt would otherwise end with an abort the user cannot act on.
struct StartupCommandLine
{
    int exitCode = 0;
    QString standardOutput;
    QString standardError;

    // Absent when the application should start; arguments include the program name. Qt's own options
    // (-platform and the like) are left to Qt.
    static std::optional<StartupCommandLine> answer(const QStringList &arguments,
                                                    const QProcessEnvironment &environment);
    // Prints the answer for argv, if there is one, and gives the exit code to end with.
    static std::optional<int> handle(int argc, char *argv[]);
};

} // namespace quorvane::app

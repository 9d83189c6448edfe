#pragma once

#include "ToolPaths.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <optional>
#include <stdexcept>

namespace quorvane::cli {

// A malformed command line; the front end prints the text and the usage, and exits 2.
class UsageError final : public std::runtime_error
{
public:
    explicit UsageError(const QString &text);
};

// What every subcommand shares: the user's tool overrides and how results are printed.
struct CliContext
{
    ToolPaths paths;
    bool json = false;
    // The application's "Run mirror windows through XWayland" choice, which this tool honours too.
    bool xwaylandWindows = false;

    void print(const QString &text) const;
    void printJson(const QJsonObject &object) const;
    void printJson(const QJsonArray &array) const;
};

// Puts back the phone settings an interrupted run of ours left changed, and says so on stderr. Every
// command that works on one phone calls it before doing anything else with the phone.
QCoro::Task<void> putBackLeftoverSettings(ToolPaths paths, QString serial);

// The phone a command works on, chosen the way adb chooses: the one named, else ANDROID_SERIAL, else the
// one phone ready; none or several ready is an error that says which.
QCoro::Task<QString> choosePhone(ToolPaths paths, std::optional<QString> named);

} // namespace quorvane::cli

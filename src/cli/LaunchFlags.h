#pragma once

#include "CommandLine.h"
#include "LaunchConfig.h"
#include "SessionRecords.h"

namespace quorvane::cli {

// mirror's launch flags, named as scrcpy names them; each value is checked as the command line is read,
// against the limits the argument builder enforces.
QList<OptionRule> launchFlagOptions();

// The mode the flags belong to ("camera" for the camera flags, "desktop" for --new-display), checked
// against the mode asked for: a flag of another mode is a usage error rather than silently ignored.
std::optional<QString> impliedMode(const ParsedArguments &arguments, const std::optional<QString> &mode);

// Lays the flags over a record (the recommendation, a file or a preset); what is not given stays.
void applyLaunchFlags(const ParsedArguments &arguments, LaunchConfig &config);

// --no-fallback, --no-learn, --record=PATH and the words after "--". The recording file's folder must
// exist and the file must not: scrcpy would write over it.
LaunchOptions launchOptions(const ParsedArguments &arguments);

} // namespace quorvane::cli

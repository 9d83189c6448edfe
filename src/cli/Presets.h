#pragma once

#include "LaunchConfig.h"
#include "SavedProfile.h"

#include <QList>

namespace quorvane::cli {

// The preset a command line names: by its name, or by its id where several share the name. None or
// several is an error that says which.
SavedProfile findPreset(const QList<SavedProfile> &presets, const QString &nameOrId);

// The preset's video settings laid over a record, as the application applies them.
void applyPreset(const SavedProfile &preset, LaunchConfig &config);

// A preset of the record's main video settings, under a new id.
SavedProfile presetFrom(const LaunchConfig &config, const QString &name);

} // namespace quorvane::cli

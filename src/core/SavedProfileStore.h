#pragma once

#include "SavedProfile.h"

#include <QList>
#include <QString>

namespace quorvane {

// The user's presets, kept in list order in "saved-profiles.json" in the application folder; read whole at
// start-up and written whole after each change.
class SavedProfileStore
{
public:
    // The file's location; the application folder exists afterwards. FileSystemError when it cannot.
    static QString url();

    // Never fails: a missing, unreadable or invalid file reads as no presets.
    QList<SavedProfile> load() const;
    // Replaces the file atomically; on failure (thrown) the previous file stays as it was. A file that
    // cannot be read is kept aside under a new name, never overwritten.
    void save(const QList<SavedProfile> &profiles) const;
};

} // namespace quorvane

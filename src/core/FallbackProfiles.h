#pragma once

#include "LaunchConfig.h"

#include <QList>

namespace quorvane {

// The ladder of ever safer copies of a launch record, tried in order when scrcpy dies at once.
namespace FallbackProfiles {

// Never empty; the first rung is the record itself. Each rung's condition is tested on the record asked
// for, and each rung keeps every earlier relaxation. Rungs are not de-duplicated.
QList<LaunchConfig> variants(const LaunchConfig &config);

} // namespace FallbackProfiles
} // namespace quorvane

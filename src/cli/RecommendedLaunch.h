#pragma once

#include "LaunchConfig.h"
#include "Recommendation.h"

namespace quorvane::cli {

// The launch record the application would start a session with: the default record carrying the smart
// recommendation's choices. `recommend` prints it and `mirror` starts it, so one can feed the other.
LaunchConfig recommendedRecord(const Recommendation &recommendation, const QString &serial);

} // namespace quorvane::cli

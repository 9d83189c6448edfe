#pragma once

#include "LaunchConfig.h"

#include <QList>
#include <QString>

#include <optional>

namespace quorvane {

// The ladder of ever safer copies of a launch record, tried in order when scrcpy dies at once.
namespace FallbackProfiles {

// Never empty; the first rung is the record itself. Each rung's condition is tested on the record asked
// for, and each rung keeps every earlier relaxation. Rungs are not de-duplicated.
QList<LaunchConfig> variants(const LaunchConfig &config);

// A jump down the ladder that a known error line justifies, and the reason told to the user.
struct Leap
{
    qsizetype index;
    QString reason;
};

// After the rung at index failed with the known error errorId (an ErrorCatalog id): the first later rung
// that changes what was refused. An encoder refusal lowers the size when the rung allows more than
// 1280 px, else leaves for H.264; a decoder the computer lacks leaves for H.264 at once. Absent when the
// error says nothing about the rungs or no later rung makes that change: the ladder then goes on one step.
std::optional<Leap> leap(const QList<LaunchConfig> &ladder, qsizetype index, const QString &errorId);

} // namespace FallbackProfiles
} // namespace quorvane

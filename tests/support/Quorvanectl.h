#pragma once

#include "ProcessRunner.h"

#include <QJsonDocument>
#include <QStringList>

namespace quorvane::test {

// Runs the built quorvanectl with the given words and waits for it (tests only).
ProcessResult runQuorvanectl(const QStringList &arguments);

// Standard output parsed as JSON; fails the calling test's expectations when it is not JSON.
QJsonDocument jsonOutput(const ProcessResult &result);

} // namespace quorvane::test

#pragma once

#include "DoctorFinding.h"
#include "RuntimeLocator.h"
#include "ToolPaths.h"

#include <QList>

#include <QCoroTask>

#include <functional>

namespace quorvane {

// Explains why a phone cannot be mirrored: the tools, the optional accessibility permission and what adb
// sees. Never fails; every problem becomes a finding.
struct DoctorService
{
    RuntimeLocator locator;
    // Whether this application may send keys to other windows. A platform facility the application
    // supplies; without one the permission counts as missing.
    std::function<bool()> accessibilityTrusted;

    QCoro::Task<QList<DoctorFinding>> runDoctor(ToolPaths paths) const;

    static QList<DoctorFinding> deviceFindings(const QList<DeviceInfo> &devices);
};

} // namespace quorvane

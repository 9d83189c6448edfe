#pragma once

#include "DoctorFinding.h"
#include "HostDesktop.h"
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
    // supplies. Without one (quorvanectl) the desktop decides: on X11 there is nothing to grant, so keys
    // count as possible; on macOS the permission counts as missing.
    std::function<bool()> accessibilityTrusted;
    // Whose words the accessibility findings use.
    HostDesktop desktop = HostDesktop::detect();
    // Whether mirror windows are started as X11 windows, which on Wayland is what lets keys reach them.
    bool xwaylandWindows = false;
    // Where the kernel describes USB devices by port, to name the vendor of a phone adb may not open.
    QString usbDevicesFolder = QStringLiteral("/sys/bus/usb/devices");

    QCoro::Task<QList<DoctorFinding>> runDoctor(ToolPaths paths) const;

    QList<DoctorFinding> deviceFindings(const QList<DeviceInfo> &devices) const;

    // A scrcpy-server named by SCRCPY_SERVER_PATH (server) that is not the file installed with the scrcpy
    // executable: beside it, as scrcpy's release archives and the bundle have it, or in ../share/scrcpy,
    // as packages install it. Said only when both files exist and differ.
    static std::optional<DoctorFinding> foreignServerFinding(const QString &scrcpy,
                                                             const std::optional<QString> &server);
};

} // namespace quorvane

#pragma once

#include "Models.h"
#include "ToolPaths.h"

#include <QList>
#include <QStringList>

#include <QCoroTask>

namespace quorvane {

// The thin bridge to adb: the device list and commands on one phone. A value; every call starts its own
// adb, resolved afresh from the paths.
struct ADBService
{
    ToolPaths paths;

    QCoro::Task<QList<DeviceInfo>> listDevices() const;
    // The words after "shell" are passed separately; adb joins them into the phone's command line.
    QCoro::Task<QString> shell(QString serial, QStringList arguments) const;
    // Never fails: an unknown property and an unreachable phone both read as "".
    QCoro::Task<QString> getprop(QString serial, QString key) const;

    static QList<DeviceInfo> parseDevices(const QString &text);
    static bool isWirelessSerial(const QString &serial);
};

} // namespace quorvane

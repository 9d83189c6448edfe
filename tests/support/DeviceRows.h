#pragma once

#include "Models.h"

#include <optional>

namespace quorvane::test {

// One row of adb's device list as the parser should read it.
inline DeviceInfo device(const char *serial, const char *state, const char *kind,
                         std::optional<QString> model = {}, std::optional<QString> product = {},
                         std::optional<QString> name = {})
{
    return DeviceInfo{
        QString::fromUtf8(serial), QString::fromUtf8(state), std::move(model), std::move(product),
        std::move(name),           QString::fromUtf8(kind),  std::nullopt};
}

// The same row as listed with the USB port adb names.
inline DeviceInfo onPort(DeviceInfo device, const char *port)
{
    device.usbPort = QString::fromUtf8(port);
    return device;
}

} // namespace quorvane::test

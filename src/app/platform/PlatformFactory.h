#pragma once

#include "PlatformServices.h"
#include "Timing.h"

#include <memory>

namespace quorvane::app {

// The one place that decides which desktop facilities the application uses.
class PlatformFactory
{
public:
    // macOS on Apple; elsewhere X11 when an X display answers (an X session, or XWayland), otherwise
    // the unavailable platform, whose shortcut keys report the missing permission.
    static std::unique_ptr<PlatformServices> create(Timing timing = {});
};

} // namespace quorvane::app

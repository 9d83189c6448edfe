#include "PlatformFactory.h"

#include "UnavailablePlatform.h"

#if defined(QUORVANE_PLATFORM_MAC)
#include "MacPlatform.h"
#elif defined(QUORVANE_PLATFORM_X11)
#include "X11Platform.h"
#endif

namespace quorvane::app {

std::unique_ptr<PlatformServices> PlatformFactory::create(Timing timing)
{
#if defined(QUORVANE_PLATFORM_MAC)
    return std::make_unique<MacPlatform>(std::move(timing));
#else
#if defined(QUORVANE_PLATFORM_X11)
    if (std::unique_ptr<X11Platform> x11 = X11Platform::open(timing))
        return x11;
#else
    Q_UNUSED(timing)
#endif
    return std::make_unique<UnavailablePlatform>();
#endif
}

} // namespace quorvane::app

#include "Timing.h"

namespace quorvane {

namespace {
milliseconds scale(milliseconds value, double factor)
{
    return milliseconds{static_cast<milliseconds::rep>(static_cast<double>(value.count()) * factor)};
}
} // namespace

Timing Timing::scaled(double factor) const
{
    Timing copy = *this;
    for (milliseconds *wait :
         {&copy.launchWatchInterval, &copy.stopCheckInterval, &copy.tcpipToConnect, &copy.afterDisconnect,
          &copy.monitorPause, &copy.onboardingDelay, &copy.quitFallback, &copy.keyGap})
        *wait = scale(*wait, factor);
    for (milliseconds &wait : copy.reconnectWaits)
        wait = scale(wait, factor);
    return copy;
}

} // namespace quorvane

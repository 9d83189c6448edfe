#pragma once

#include <chrono>
#include <vector>

namespace quorvane {

using std::chrono::milliseconds;

// Every fixed wait of the system in one place, so tests can run with a scaled-down copy.
struct Timing
{
    milliseconds launchWatchInterval{150};
    int launchWatchChecks = 6;
    milliseconds stopCheckInterval{50};
    int stopChecks = 20;
    milliseconds tcpipToConnect{900};
    milliseconds afterDisconnect{250};
    milliseconds monitorPause{3000};
    std::vector<milliseconds> reconnectWaits{milliseconds{1000}, milliseconds{2000}, milliseconds{4000},
                                             milliseconds{8000}, milliseconds{10000}};
    milliseconds onboardingDelay{500};
    milliseconds quitFallback{5000};
    milliseconds keyGap{40};

    // The same record with every wait multiplied by factor (counts unchanged).
    Timing scaled(double factor) const;
};

} // namespace quorvane

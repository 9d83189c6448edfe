#pragma once

#include <QString>
#include <QStringList>

namespace quorvane {

// Starting settings proposed for one device and mode, with the reasons shown beside them. Made by
// ADBService::recommendation.
struct Recommendation
{
    // The mode it was made for, as passed in; the rest may be edited by whoever holds it.
    QString mode;
    quint32 maxSize = 0;
    quint32 maxFps = 0;
    QString codec;
    bool audio = false;
    bool stayAwake = false;
    bool turnScreenOff = false;
    bool showTouches = false;
    QString qualityLabel;
    // In display order.
    QStringList rationale;

    bool operator==(const Recommendation &) const = default;
};

} // namespace quorvane

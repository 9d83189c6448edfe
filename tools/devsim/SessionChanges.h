#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace devsim {

// What scrcpy's server changes on the phone for a session's lifetime, and how its clean-up undoes it.
// The undo is a plan (a JSON object) computed when the change is made, so that either the session
// itself or its watcher (after the session was killed) can carry it out.
class SessionChanges
{
public:
    struct Request
    {
        bool showTouches = false;
        bool stayAwake = false;
        bool cleanup = true;
        // "WxH/dpi" of a new virtual display, when the session creates one.
        std::optional<QString> newDisplay;
    };

    // Applies the changes under the world lock; the plan is empty when nothing needs undoing.
    static QJsonObject apply(const QString &worldPath, const QString &phoneId, const Request &request);
    static void restore(const QString &worldPath, const QJsonObject &plan);
    // The id the new virtual display received, if the plan holds one.
    static std::optional<int> virtualDisplayId(const QJsonObject &plan);
};

} // namespace devsim

#pragma once

#include "HostDesktop.h"

#include <QString>
#include <QtGlobal>

#include <QCoroTask>

namespace quorvane::app {

// What the model needs from the desktop it runs on: the accessibility permission, bringing a mirror
// window to the front and typing scrcpy's shortcut keys into it. The application supplies the real
// implementation; tests supply fakes. Every call is made on the main thread.
class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    // The desktop the application runs on, whose words every screen uses for keys, this computer and
    // the accessibility facility.
    virtual HostDesktop desktop() const = 0;

    // Whether this process may send keys to other windows (checked by the Connection Doctor).
    virtual bool hasAccessibility() const = 0;

    // Asks the system, where it can, to let the user grant that permission; does not wait for an answer.
    virtual void promptForAccessibility() = 0;

    // Brings the window of the process with this id to the front; false when no such window is known.
    virtual bool activate(qint64 pid) = 0;

    // Sends one scrcpy shortcut key (compared lower-cased: "f", "o", "t"; "shift+o" adds Shift) with
    // Control+Alt held to the frontmost window. Fails by throwing a quorvane::Error whose text() is the
    // sentence the user sees.
    virtual QCoro::Task<void> sendShortcut(QString key) = 0;
};

} // namespace quorvane::app

#pragma once

#include <QString>

namespace quorvane::app {

// Tells the user of something that happened on its own (a session ended, a push finished) while they may
// be looking at another window. The desktop decides whether and where it shows: the application hands the
// model one that speaks through the system tray; tests hand it one that records.
class Notifier
{
public:
    virtual ~Notifier() = default;

    virtual void notify(const QString &title, const QString &message) = 0;
};

} // namespace quorvane::app

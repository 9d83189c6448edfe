#include "UnavailablePlatform.h"

#include "ShortcutError.h"

namespace quorvane::app {

bool UnavailablePlatform::activate(qint64 pid)
{
    Q_UNUSED(pid)
    return false;
}

QCoro::Task<void> UnavailablePlatform::sendShortcut(QString key)
{
    Q_UNUSED(key)
    ShortcutError::requireAccessibility(*this);
    co_return;
}

} // namespace quorvane::app

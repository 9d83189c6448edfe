#pragma once

#include <QObject>
#include <QString>

namespace quorvane::test {

// The descendant of that name. A missing one ends the run at once, naming it, rather than crashing later
// on a null pointer with no hint of which widget lost its name.
template<typename T>
T *child(const QObject &parent, const QString &name)
{
    T *found = parent.findChild<T *>(name);
    if (!found)
        qFatal("no child named %s", qPrintable(name));
    return found;
}

} // namespace quorvane::test

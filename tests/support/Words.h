#pragma once

#include <QStringList>

namespace quorvane::test {

// The words of a command line split at its spaces, as a call's arguments are written in a test.
inline QStringList words(const char *line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace quorvane::test

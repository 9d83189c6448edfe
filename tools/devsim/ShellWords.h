#pragma once

#include <QStringList>

namespace devsim {

// Splits a command line into words the way the phone's /system/bin/sh does for a simple command:
// blanks separate, single quotes keep everything, double quotes and backslashes escape. No expansion.
QStringList splitShellWords(const QString &line);

} // namespace devsim

#pragma once

#include <QString>
#include <QStringList>

namespace devsim {

// Appends one JSON line per invocation to the file named by DEVSIM_LOG, so tests can check what was run
// and with which environment. Lines are written with one write() on an O_APPEND file, which keeps the
// lines of parallel invocations whole.
class CallLog
{
public:
    // program is argv[0] as started; arguments are the words after it.
    static void record(const QString &tool, const QString &program, const QStringList &arguments);
};

} // namespace devsim

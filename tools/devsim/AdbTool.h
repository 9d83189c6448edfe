#pragma once

#include <QStringList>

namespace devsim {

// The simulator started as "adb": the client and its server in one short-lived process. Output shapes,
// channels and exit codes follow adb 1.0.41; the server's state (running or not, its transports) lives
// in the world.
class AdbTool
{
public:
    AdbTool(QString program, QStringList arguments);
    int run();

private:
    QString m_program;
    QStringList m_arguments;
};

} // namespace devsim

#include "AdbTool.h"
#include "CallLog.h"
#include "CleanupWatcher.h"
#include "ScrcpyTool.h"
#include "WindowPlugin.h"
#include "World.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <memory>

using namespace devsim;

namespace {

// The tool is chosen by the name it was started under; "devsim adb ..." works too, for debugging.
int dispatch(int &argc, char **argv, QString tool, const QString &program, QStringList arguments)
{
    if (tool == QLatin1String("devsim") && !arguments.isEmpty())
        tool = arguments.takeFirst();
    // The session's clean-up watcher is the simulator's own helper, not a call anybody made.
    if (tool == QLatin1String("cleanup-watch")) {
        QCoreApplication application(argc, argv);
        return CleanupWatcher::watch(arguments.value(0));
    }
    CallLog::record(tool, program, arguments);
    if (tool == QLatin1String("adb")) {
        QCoreApplication application(argc, argv);
        return AdbTool(program, arguments).run();
    }
    if (tool == QLatin1String("scrcpy")) {
        const auto application =
            WindowPlugin::createApplication(ScrcpyTool::wantsWindow(arguments), argc, argv);
        return ScrcpyTool(program, arguments).run();
    }
    std::fprintf(stderr, "usage: devsim adb|scrcpy ARGS... (or start it under the name adb or scrcpy)\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString program = QString::fromLocal8Bit(argv[0]);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    try {
        return dispatch(argc, argv, QFileInfo(program).fileName(), program, arguments);
    } catch (const WorldError &error) {
        std::fprintf(stderr, "devsim: the world file is unusable: %s\n", error.what());
        return 70;
    }
}

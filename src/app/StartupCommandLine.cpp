#include "StartupCommandLine.h"

#include "ApplicationVersion.h"
#include "HostDesktop.h"

#include <cstdio>

namespace quorvane::app {

namespace {

const QString usage =
    QStringLiteral("Usage: quorvane [options]\n"
                   "Mirror and control an Android phone from this computer with scrcpy and adb.\n"
                   "\n"
                   "Options:\n"
                   "  -h, --help     Show this help and exit.\n"
                   "  -v, --version  Show the version and exit.\n"
                   "\n"
                   "Qt's own options, such as -platform offscreen, are passed on to Qt.\n"
                   "quorvanectl offers the same functions in a terminal.\n");

// An explicit platform plugin (offscreen, vnc, ...) needs no display server.
bool platformChosen(const QStringList &arguments, const QProcessEnvironment &environment)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return true;
    return arguments.contains(QStringLiteral("-platform")) ||
           arguments.contains(QStringLiteral("--platform"));
}

} // namespace

std::optional<StartupCommandLine> StartupCommandLine::answer(const QStringList &arguments,
                                                             const QProcessEnvironment &environment)
{
    const QStringList options = arguments.mid(1);
    if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h")))
        return StartupCommandLine{0, usage, {}};
    if (options.contains(QStringLiteral("--version")) || options.contains(QStringLiteral("-v")))
        return StartupCommandLine{
            0, QStringLiteral("quorvane %1\n").arg(QLatin1String(applicationVersion)), {}};
    if (!platformChosen(options, environment) &&
        HostDesktop::detect(environment).kind() == HostDesktop::Kind::None)
        return StartupCommandLine{
            1,
            {},
            QStringLiteral("Quorvane needs a graphical session (no DISPLAY or WAYLAND_DISPLAY is set).\n")};
    return std::nullopt;
}

std::optional<int> StartupCommandLine::handle(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const std::optional<StartupCommandLine> result =
        answer(arguments, QProcessEnvironment::systemEnvironment());
    if (!result)
        return std::nullopt;
    std::fputs(result->standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(result->standardError.toLocal8Bit().constData(), stderr);
    return result->exitCode;
}

} // namespace quorvane::app

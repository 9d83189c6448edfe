#include "HostDesktop.h"

#include <QSettings>

namespace quorvane {

namespace {

const QString noSession = QStringLiteral("no DISPLAY or WAYLAND_DISPLAY is set");

} // namespace

HostDesktop HostDesktop::detect(const QProcessEnvironment &environment)
{
#if defined(Q_OS_MACOS)
    Q_UNUSED(environment)
    return HostDesktop(Kind::MacOS);
#else
    if (!environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return HostDesktop(Kind::Wayland);
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return HostDesktop(Kind::X11);
    return HostDesktop(Kind::None);
#endif
}

QString HostDesktop::commandKey(const QString &key) const
{
    return (isMac() ? QStringLiteral("⌘") : QStringLiteral("Ctrl+")) + key;
}

QString HostDesktop::computer() const
{
    return isMac() ? QStringLiteral("Mac") : QStringLiteral("computer");
}

QString HostDesktop::thisComputer() const
{
    return QStringLiteral("this ") + computer();
}

QString HostDesktop::shortcutsUnavailable() const
{
    switch (m_kind) {
    case Kind::MacOS:
        return QStringLiteral("Keyboard shortcuts are unavailable. Grant Accessibility permission in System "
                              "Settings › Privacy & Security if asked.");
    case Kind::X11:
        return QStringLiteral(
            "Keyboard shortcuts are unavailable. Quorvane types them into the mirror window "
            "through the X display's XTEST extension, which it could not use.");
    case Kind::Wayland:
        return QStringLiteral(
                   "Keyboard shortcuts are unavailable. On Wayland they reach only a mirror window "
                   "that runs through XWayland: turn on \"%1\" in Settings, then start the "
                   "session again.")
            .arg(xwaylandOption);
    case Kind::None:
        break;
    }
    return QStringLiteral("Keyboard shortcuts are unavailable without a graphical session (%1).")
        .arg(noSession);
}

QString HostDesktop::shortcutsRefused() const
{
    switch (m_kind) {
    case Kind::MacOS:
        return QStringLiteral(
            "Keyboard shortcuts need the optional Accessibility permission. Quorvane prompted "
            "you to allow it — enable Quorvane in System Settings › Privacy & Security › "
            "Accessibility, then retry. Mirroring works without it.");
    case Kind::X11:
        return QStringLiteral("Keyboard shortcuts need the XTEST extension, which this X display does not "
                              "offer. Mirroring works without it.");
    case Kind::Wayland:
        return QStringLiteral(
                   "Keyboard shortcuts reach only a mirror window that runs through XWayland. Turn "
                   "on \"%1\" in Settings, then start the session again. Mirroring works "
                   "without it.")
            .arg(xwaylandOption);
    case Kind::None:
        break;
    }
    return QStringLiteral("Keyboard shortcuts need a graphical session (%1). Mirroring works without them.")
        .arg(noSession);
}

bool HostDesktop::xwaylandChosen()
{
    return QSettings().value(xwaylandSettingKey, false).toBool();
}

Environment HostDesktop::windowEnvironment(bool throughXWayland) const
{
    if (!throughXWayland || isMac())
        return {};
    return {{xwaylandVariable, xwaylandValue}};
}

} // namespace quorvane

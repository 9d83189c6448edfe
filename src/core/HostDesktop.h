#pragma once

#include "ProcessRunner.h"

#include <QProcessEnvironment>
#include <QString>

namespace quorvane {

// The desktop this computer runs, found at run time, and the words that change with it: how a command
// key is written, what the computer is called, and what sending keys to a mirror window needs. The
// application and quorvanectl both read them here, so they never tell the user two different things.
class HostDesktop
{
public:
    enum class Kind { MacOS, X11, Wayland, None };

    HostDesktop() = default;
    explicit HostDesktop(Kind kind)
        : m_kind(kind)
    {
    }

    // macOS on Apple. Elsewhere a Wayland session when WAYLAND_DISPLAY is set (the DISPLAY that XWayland
    // adds beside it does not make the session X11), an X session when DISPLAY is, otherwise none.
    static HostDesktop
    detect(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    Kind kind() const { return m_kind; }
    bool isMac() const { return m_kind == Kind::MacOS; }

    // The key with the modifier of the main window's commands: "⌘R" on macOS, "Ctrl+R" elsewhere.
    QString commandKey(const QString &key) const;
    // "Mac" or "computer".
    QString computer() const;
    // "this Mac" or "this computer".
    QString thisComputer() const;

    // Why a shortcut toggle cannot be used when nothing can send keys to the mirror window at all.
    QString shortcutsUnavailable() const;
    // Why a shortcut was not sent when the desktop refused the keys after the user was asked.
    QString shortcutsRefused() const;

    bool operator==(const HostDesktop &) const = default;

    // The variable that makes scrcpy open an X11 window, which XWayland shows on a Wayland desktop.
    static inline const QString xwaylandVariable = QStringLiteral("SDL_VIDEODRIVER");
    static inline const QString xwaylandValue = QStringLiteral("x11");
    // The Settings option that sets it, as the user reads it, and the per-user default it is kept in.
    static inline const QString xwaylandOption = QStringLiteral("Run mirror windows through XWayland");
    static inline const QString xwaylandSettingKey = QStringLiteral("mirrorThroughXWayland");

    // Whether the user turned that option on. quorvanectl reads the application's own defaults, so a
    // session it starts opens the same kind of window as one the application starts.
    static bool xwaylandChosen();
    // What every scrcpy run adds to its environment for the window the user chose. macOS has no X server
    // to ask for: scrcpy would find no window system at all.
    Environment windowEnvironment(bool throughXWayland) const;

private:
    Kind m_kind = Kind::None;
};

} // namespace quorvane

#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::app {

// One of scrcpy's shortcut keys, as each system's synthetic keyboard names it. The table is the one the
// macOS virtual key codes (US layout) define; a key outside it is sent as virtual code 0, which is the
// "a" key, and every system sends that same key so a shortcut behaves alike everywhere.
struct ShortcutKey
{
    // macOS virtual key code.
    quint16 virtualKeyCode = 0;
    // X keysym name (XStringToKeysym).
    QByteArray keysymName;
    // Shift held as well (scrcpy's MOD+Shift+o turns the screen back on).
    bool shift = false;

    // The key for a key text, compared lower-cased ("F" is "f"); a "shift+" in front adds Shift.
    static ShortcutKey forText(const QString &text);

    bool operator==(const ShortcutKey &) const = default;
};

} // namespace quorvane::app

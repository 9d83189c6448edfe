#include "ShortcutKey.h"

#include <array>

namespace quorvane::app {

ShortcutKey ShortcutKey::forText(const QString &text)
{
    struct Entry
    {
        QLatin1StringView text;
        quint16 virtualKeyCode;
        const char *keysym;
    };
    static const std::array<Entry, 3> table{{{QLatin1StringView("f"), 3, "f"},
                                             {QLatin1StringView("o"), 31, "o"},
                                             {QLatin1StringView("t"), 17, "t"}}};
    static const QString shiftPrefix = QStringLiteral("shift+");
    QString key = text.toLower();
    const bool shift = key.startsWith(shiftPrefix);
    if (shift)
        key.remove(0, shiftPrefix.size());
    for (const Entry &entry : table) {
        if (key == entry.text)
            return {entry.virtualKeyCode, QByteArray(entry.keysym), shift};
    }
    return {0, QByteArrayLiteral("a"), shift};
}

} // namespace quorvane::app

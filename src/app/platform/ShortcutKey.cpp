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
    const QString key = text.toLower();
    for (const Entry &entry : table) {
        if (key == entry.text)
            return {entry.virtualKeyCode, QByteArray(entry.keysym)};
    }
    return {0, QByteArrayLiteral("a")};
}

} // namespace quorvane::app

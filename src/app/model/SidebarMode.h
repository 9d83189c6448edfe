#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quorvane::app {

// The five modes of the sidebar, in sidebar order. A mode is identified by its title.
enum class SidebarMode { Mirror, Camera, Desktop, Wireless, Doctor };

// What a sidebar row shows for a mode; the tint is the screens' business.
struct ModeAppearance
{
    QString title;
    QString subtitle;
    // A system symbol name.
    QString symbol;

    bool operator==(const ModeAppearance &) const = default;
};

const QList<SidebarMode> &allSidebarModes();
ModeAppearance appearance(SidebarMode mode);
QString title(SidebarMode mode);
// Exactly the five titles give a mode; any other text gives none.
std::optional<SidebarMode> sidebarModeFromTitle(const QString &title);

} // namespace quorvane::app

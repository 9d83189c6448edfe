#include "SidebarMode.h"

namespace quorvane::app {

const QList<SidebarMode> &allSidebarModes()
{
    static const QList<SidebarMode> modes{SidebarMode::Mirror, SidebarMode::Camera, SidebarMode::Desktop,
                                          SidebarMode::Wireless, SidebarMode::Doctor};
    return modes;
}

ModeAppearance appearance(SidebarMode mode)
{
    switch (mode) {
    case SidebarMode::Mirror:
        return {QStringLiteral("Mirror Phone"), QStringLiteral("Mirror and control the screen"),
                QStringLiteral("iphone.gen3")};
    case SidebarMode::Camera:
        return {QStringLiteral("Camera Mode"), QStringLiteral("Stream the phone's camera"),
                QStringLiteral("camera.aperture")};
    case SidebarMode::Desktop:
        return {QStringLiteral("Desktop Mode"), QStringLiteral("Create a second Android display"),
                QStringLiteral("macwindow.on.rectangle")};
    case SidebarMode::Wireless:
        return {QStringLiteral("Wireless"), QStringLiteral("Pair and manage Wi-Fi devices"),
                QStringLiteral("antenna.radiowaves.left.and.right")};
    case SidebarMode::Doctor:
        return {QStringLiteral("Connection Doctor"), QStringLiteral("Diagnose tools and devices"),
                QStringLiteral("stethoscope")};
    }
    Q_UNREACHABLE();
    return {};
}

QString title(SidebarMode mode)
{
    return appearance(mode).title;
}

std::optional<SidebarMode> sidebarModeFromTitle(const QString &text)
{
    for (const SidebarMode mode : allSidebarModes()) {
        if (title(mode) == text)
            return mode;
    }
    return std::nullopt;
}

} // namespace quorvane::app

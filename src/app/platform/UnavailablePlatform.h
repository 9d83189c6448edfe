#pragma once

#include "PlatformServices.h"

namespace quorvane::app {

// A desktop without synthetic keys or window control (Wayland without X, no display at all): never
// trusted, so shortcut keys report the missing permission and mirroring goes on without them.
class UnavailablePlatform final : public PlatformServices
{
public:
    explicit UnavailablePlatform(HostDesktop desktop = HostDesktop::detect())
        : m_desktop(desktop)
    {
    }

    HostDesktop desktop() const override { return m_desktop; }
    bool hasAccessibility() const override { return false; }
    void promptForAccessibility() override {}
    bool activate(qint64 pid) override;
    QCoro::Task<void> sendShortcut(QString key) override;

private:
    HostDesktop m_desktop;
};

} // namespace quorvane::app

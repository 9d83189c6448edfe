#pragma once

#include "PlatformServices.h"
#include "Timing.h"

#include <QByteArray>

#include <memory>
#include <optional>

struct _XDisplay;

namespace quorvane::app {

// The X Window System: keys through the XTEST extension, windows found by the process id their owner
// publishes in _NET_WM_PID. "Trusted" means the display answers and offers XTEST: X has no permission
// to ask for.
class X11Platform final : public PlatformServices
{
public:
    // Connects to the display (empty name: $DISPLAY); nullptr when no X server answers there.
    static std::unique_ptr<X11Platform> open(Timing timing = {}, const QByteArray &displayName = {});

    // An X session, or a Wayland session whose XWayland answered.
    HostDesktop desktop() const override { return m_desktop; }
    bool hasAccessibility() const override { return m_hasXTest; }
    void promptForAccessibility() override {}
    bool activate(qint64 pid) override;
    QCoro::Task<void> sendShortcut(QString key) override;

private:
    X11Platform(std::shared_ptr<_XDisplay> display, Timing timing);

    // Shared with a shortcut in flight, so the connection outlives the platform object if need be.
    std::shared_ptr<_XDisplay> m_display;
    Timing m_timing;
    bool m_hasXTest = false;
    HostDesktop m_desktop = HostDesktop::detect();
    // The window a window manager was asked to activate and may not have activated yet: the next
    // shortcut waits for it, or its keys would go to the window that still has the focus (ours).
    std::optional<unsigned long> m_pendingActivation;
};

} // namespace quorvane::app

#pragma once

#include "PlatformServices.h"
#include "Timing.h"

namespace quorvane::app {

// macOS: the Accessibility trust of this process, CGEvent keys posted to the HID event stream and
// NSRunningApplication activation.
class MacPlatform final : public PlatformServices
{
public:
    explicit MacPlatform(Timing timing = {});

    HostDesktop desktop() const override { return HostDesktop(HostDesktop::Kind::MacOS); }
    bool hasAccessibility() const override;
    void promptForAccessibility() override;
    bool activate(qint64 pid) override;
    QCoro::Task<void> sendShortcut(QString key) override;

private:
    Timing m_timing;
};

} // namespace quorvane::app

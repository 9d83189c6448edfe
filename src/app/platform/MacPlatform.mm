#include "MacPlatform.h"

#include "Async.h"
#include "ShortcutError.h"
#include "ShortcutKey.h"

#include <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

namespace quorvane::app {

namespace {

// Control and Option, the modifiers of scrcpy's --shortcut-mod=lctrl,lalt (0x40000 | 0x80000).
constexpr CGEventFlags shortcutModifiers = kCGEventFlagMaskControl | kCGEventFlagMaskAlternate;

void post(CGEventRef event, bool shift)
{
    CGEventSetFlags(event, shift ? shortcutModifiers | kCGEventFlagMaskShift : shortcutModifiers);
    CGEventPost(kCGHIDEventTap, event);
    CFRelease(event);
}

} // namespace

MacPlatform::MacPlatform(Timing timing)
    : m_timing(std::move(timing))
{
}

bool MacPlatform::hasAccessibility() const
{
    return AXIsProcessTrusted();
}

void MacPlatform::promptForAccessibility()
{
    const void *keys[] = {kAXTrustedCheckOptionPrompt};
    const void *values[] = {kCFBooleanTrue};
    CFDictionaryRef options = CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1,
                                                 &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    AXIsProcessTrustedWithOptions(options);
    CFRelease(options);
}

bool MacPlatform::activate(qint64 pid)
{
    NSRunningApplication *application =
        [NSRunningApplication runningApplicationWithProcessIdentifier:static_cast<pid_t>(pid)];
    if (!application)
        return false;
    [application activateWithOptions:0];
    return true;
}

QCoro::Task<void> MacPlatform::sendShortcut(QString key)
{
    ShortcutError::requireAccessibility(*this);
    const ShortcutKey shortcut = ShortcutKey::forText(key);
    const CGKeyCode code = shortcut.virtualKeyCode;
    CGEventSourceRef source = CGEventSourceCreate(kCGEventSourceStateCombinedSessionState);
    CGEventRef down = CGEventCreateKeyboardEvent(source, code, true);
    CGEventRef up = CGEventCreateKeyboardEvent(source, code, false);
    if (source)
        CFRelease(source);
    if (!down || !up) {
        if (down)
            CFRelease(down);
        if (up)
            CFRelease(up);
        throw ShortcutError::notFound();
    }
    post(down, shortcut.shift);
    QCoro::Task<void> pause = sleepPrecisely(m_timing.keyGap);
    co_await std::move(pause);
    post(up, shortcut.shift);
}

} // namespace quorvane::app

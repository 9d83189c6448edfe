#include "X11Platform.h"

#include "Async.h"
#include "ShortcutError.h"
#include "ShortcutKey.h"
#include "X11ErrorTrap.h"

#include <QList>

#include <optional>
#include <utility>

// Xlib last: its macros (None, Bool, Status, True) would collide with names in the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace quorvane::app {

namespace {

// The first 32-bit item of a window property of the given type.
std::optional<unsigned long> firstItem(Display *display, Window window, const char *property, Atom type)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    const Atom name = XInternAtom(display, property, False);
    if (XGetWindowProperty(display, window, name, 0, 1, False, type, &actualType, &format, &count, &remaining,
                           &data) != Success)
        return std::nullopt;
    std::optional<unsigned long> value;
    if (data && actualType == type && format == 32 && count > 0)
        value = reinterpret_cast<unsigned long *>(data)[0];
    if (data)
        XFree(data);
    return value;
}

bool isViewable(Display *display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The topmost viewable window below parent whose owner published this process id. Under a window
// manager that is the client window inside its frame.
Window findWindowOf(Display *display, Window parent, unsigned long pid)
{
    Window root = 0;
    Window parentOfParent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOfParent, &children, &count))
        return 0;
    Window found = 0;
    // Children come bottom to top; the window in front is the one the user sees.
    for (unsigned int i = count; i-- > 0 && !found;) {
        if (!isViewable(display, children[i]))
            continue;
        if (firstItem(display, children[i], "_NET_WM_PID", XA_CARDINAL) == pid)
            found = children[i];
        else
            found = findWindowOf(display, children[i], pid);
    }
    if (children)
        XFree(children);
    return found;
}

bool rootSupports(Display *display, const char *atomName)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    const Atom wanted = XInternAtom(display, atomName, False);
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM,
                           &actualType, &format, &count, &remaining, &data) != Success)
        return false;
    bool found = false;
    for (unsigned long i = 0; data && format == 32 && i < count && !found; ++i)
        found = reinterpret_cast<Atom *>(data)[i] == wanted;
    if (data)
        XFree(data);
    return found;
}

// A window manager that has gone leaves its properties behind on the root window; one that is running
// keeps a check window naming itself.
bool windowManagerActivates(Display *display)
{
    const auto check = firstItem(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (!check)
        return false;
    X11ErrorTrap trap(display);
    const auto self = firstItem(display, *check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    if (trap.failed() || self != check)
        return false;
    return rootSupports(display, "_NET_ACTIVE_WINDOW");
}

void requestActivation(Display *display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2; // from a pager: window managers honour it without focus-stealing rules
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

// How long a shortcut waits for a window manager to carry out an activation before sending anyway.
constexpr int activationChecks = 25;
constexpr std::chrono::milliseconds activationCheckInterval{20};

QCoro::Task<void> waitUntilActive(std::shared_ptr<Display> display, Window window)
{
    for (int check = 0; check < activationChecks; ++check) {
        if (firstItem(display.get(), DefaultRootWindow(display.get()), "_NET_ACTIVE_WINDOW", XA_WINDOW) ==
            window)
            co_return;
        QCoro::Task<void> pause = sleepPrecisely(activationCheckInterval);
        co_await std::move(pause);
    }
}

KeyCode keyCodeOf(Display *display, const QByteArray &keysymName)
{
    const KeySym keysym = XStringToKeysym(keysymName.constData());
    return keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
}

// Left Control, left Alt (scrcpy's --shortcut-mod=lctrl,lalt), Shift when asked for, then the key itself.
QList<KeyCode> shortcutKeyCodes(Display *display, const ShortcutKey &key)
{
    QList<KeyCode> codes{keyCodeOf(display, QByteArrayLiteral("Control_L")),
                         keyCodeOf(display, QByteArrayLiteral("Alt_L"))};
    if (key.shift)
        codes << keyCodeOf(display, QByteArrayLiteral("Shift_L"));
    codes << keyCodeOf(display, key.keysymName);
    if (codes.contains(0)) {
        throw ShortcutError::sendFailed(
            QStringLiteral("The keyboard of this display has no Control, Alt, Shift or \"%1\" key, so the "
                           "shortcut was not sent.")
                .arg(QString::fromLatin1(key.keysymName)));
    }
    return codes;
}

// Presses the keys in order, or releases them in reverse order; false when the server refused any.
bool fakeKeys(Display *display, const QList<KeyCode> &codes, bool press)
{
    X11ErrorTrap trap(display);
    bool sent = true;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const KeyCode code = codes.at(press ? i : codes.size() - 1 - i);
        sent = XTestFakeKeyEvent(display, code, press ? True : False, CurrentTime) && sent;
    }
    return !trap.failed() && sent;
}

ShortcutError refused()
{
    return ShortcutError::sendFailed(
        QStringLiteral("The X server refused the synthetic key events, so the shortcut was not sent."));
}

} // namespace

std::unique_ptr<X11Platform> X11Platform::open(Timing timing, const QByteArray &displayName)
{
    Display *display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display)
        return nullptr;
    return std::unique_ptr<X11Platform>(
        new X11Platform(std::shared_ptr<Display>(display, XCloseDisplay), timing));
}

X11Platform::X11Platform(std::shared_ptr<_XDisplay> display, Timing timing)
    : m_display(std::move(display))
    , m_timing(std::move(timing))
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    m_hasXTest = XTestQueryExtension(m_display.get(), &eventBase, &errorBase, &major, &minor);
}

bool X11Platform::activate(qint64 pid)
{
    if (pid <= 0)
        return false;
    Display *display = m_display.get();
    Window window = 0;
    {
        // Windows closing during the walk fail their requests and are simply passed over.
        X11ErrorTrap walking(display);
        window = findWindowOf(display, DefaultRootWindow(display), static_cast<unsigned long>(pid));
    }
    if (!window)
        return false;
    X11ErrorTrap trap(display);
    m_pendingActivation.reset();
    if (windowManagerActivates(display)) {
        requestActivation(display, window);
        m_pendingActivation = window;
    } else {
        // A bare X server: nobody else gives focus, and only focus makes keys arrive.
        XRaiseWindow(display, window);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }
    return !trap.failed();
}

QCoro::Task<void> X11Platform::sendShortcut(QString key)
{
    ShortcutError::requireAccessibility(*this);
    const std::shared_ptr<Display> display = m_display;
    const milliseconds gap = m_timing.keyGap;
    const QList<KeyCode> codes = shortcutKeyCodes(display.get(), ShortcutKey::forText(key));
    if (const std::optional<Window> pending = std::exchange(m_pendingActivation, std::nullopt)) {
        QCoro::Task<void> activation = waitUntilActive(display, *pending);
        co_await std::move(activation);
    }
    if (!fakeKeys(display.get(), codes, true)) {
        fakeKeys(display.get(), codes, false);
        throw refused();
    }
    QCoro::Task<void> pause = sleepPrecisely(gap);
    co_await std::move(pause);
    if (!fakeKeys(display.get(), codes, false))
        throw refused();
}

} // namespace quorvane::app

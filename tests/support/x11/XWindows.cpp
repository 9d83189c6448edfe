#include "XWindows.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace quorvane::test {

namespace {

QByteArray utf8Title(Display *display, Window window)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    QByteArray title;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &count, &remaining,
                           &data) == Success &&
        data) {
        if (type == utf8 && format == 8)
            title = QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(count));
        XFree(data);
    }
    return title;
}

QByteArray title(Display *display, Window window)
{
    QByteArray title = utf8Title(display, window);
    char *name = nullptr;
    if (title.isEmpty() && XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

Window findBelow(Display *display, Window parent, const QByteArray &wanted)
{
    Window root = 0;
    Window grandParent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &grandParent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = title(display, children[i]) == wanted ? children[i] : findBelow(display, children[i], wanted);
    if (children)
        XFree(children);
    return found;
}

} // namespace

XWindowId findWindowByTitle(_XDisplay *display, const QByteArray &title)
{
    return findBelow(display, DefaultRootWindow(display), title);
}

bool isViewable(_XDisplay *display, XWindowId window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

XWindowId waitForViewableWindow(_XDisplay *display, const QByteArray &title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        const XWindowId window = findWindowByTitle(display, title);
        if (window && isViewable(display, window))
            return window;
        QThread::msleep(50);
    } while (clock.elapsed() < timeoutMs);
    return 0;
}

} // namespace quorvane::test

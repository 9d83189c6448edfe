#pragma once

#include <QByteArray>

struct _XDisplay;

namespace quorvane::test {

// An X window id, without pulling Xlib's macros into the including test.
using XWindowId = unsigned long;

// The first window (depth first from the root) whose title is `title`: the UTF-8 _NET_WM_NAME when the
// window has one, its WM_NAME otherwise. 0 when there is none.
XWindowId findWindowByTitle(_XDisplay *display, const QByteArray &title);
bool isViewable(_XDisplay *display, XWindowId window);
// Polls until a window of that title is mapped and viewable, or the time is up (then 0). Blocking: meant
// for a window of another process.
XWindowId waitForViewableWindow(_XDisplay *display, const QByteArray &title, int timeoutMs = 10000);

} // namespace quorvane::test

#pragma once

struct _XDisplay;

namespace quorvane::app {

// Catches the X errors of the requests made while it lives. Xlib's default handler ends the process on
// any error, and a window that disappears between two requests (a session ending at that moment) is an
// ordinary event here, not a reason to quit. Never held across a suspension: the handler is process-wide.
// Traps may nest: an inner trap keeps its errors to itself, the outermost one puts the previous handler
// back.
class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(_XDisplay *display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap &) = delete;
    X11ErrorTrap &operator=(const X11ErrorTrap &) = delete;

    // Waits for the server to answer every request so far and tells whether any made since the trap
    // was set failed.
    bool failed();

private:
    _XDisplay *m_display;
    int m_errorsBefore;
};

} // namespace quorvane::app

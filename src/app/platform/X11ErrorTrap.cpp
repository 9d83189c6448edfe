#include "X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace quorvane::app {

namespace {

int errorCount = 0;
int depth = 0;
XErrorHandler previousHandler = nullptr;

int countError(Display *, XErrorEvent *)
{
    ++errorCount;
    return 0;
}

} // namespace

X11ErrorTrap::X11ErrorTrap(_XDisplay *display)
    : m_display(display)
{
    // Errors of earlier requests belong to whoever made them, not to this trap.
    XSync(m_display, False);
    if (depth++ == 0)
        previousHandler = XSetErrorHandler(countError);
    m_errorsBefore = errorCount;
}

X11ErrorTrap::~X11ErrorTrap()
{
    XSync(m_display, False);
    // What this trap caught is dealt with: an enclosing trap does not see it again.
    errorCount = m_errorsBefore;
    if (--depth == 0)
        XSetErrorHandler(previousHandler);
}

bool X11ErrorTrap::failed()
{
    XSync(m_display, False);
    return errorCount > m_errorsBefore;
}

} // namespace quorvane::app

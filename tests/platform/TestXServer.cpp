#include "TestXServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <X11/Xlib.h>

namespace quorvane::test {

namespace {

bool answers(const QByteArray &display)
{
    Display *connection = XOpenDisplay(display.isEmpty() ? nullptr : display.constData());
    if (connection)
        XCloseDisplay(connection);
    return connection;
}

bool displayNumberTaken(int number)
{
    return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number));
}

} // namespace

TestXServer::TestXServer()
    : m_previousDisplay(qgetenv("DISPLAY"))
{
    m_available = (!m_previousDisplay.isEmpty() && answers(m_previousDisplay)) || startOwn();
}

TestXServer::~TestXServer()
{
    if (m_xvfb.state() == QProcess::NotRunning)
        return;
    m_xvfb.terminate();
    m_xvfb.waitForFinished(5000);
    qputenv("DISPLAY", m_previousDisplay);
}

bool TestXServer::startOwn()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        m_problem = QStringLiteral("no X display and no Xvfb to start one (scripts/deps installs xvfb)");
        return false;
    }
    for (int number = 90; number < 110; ++number) {
        if (displayNumberTaken(number))
            continue;
        const QByteArray display = ':' + QByteArray::number(number);
        m_xvfb.start(xvfb, {QString::fromLatin1(display), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                            QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x800x24")});
        const QDeadlineTimer deadline(5000);
        while (m_xvfb.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (answers(display)) {
                qputenv("DISPLAY", display);
                return true;
            }
            QThread::msleep(50);
        }
        m_xvfb.kill();
        m_xvfb.waitForFinished(5000);
    }
    m_problem = QStringLiteral("Xvfb could not be started on any display from :90 to :109");
    return false;
}

} // namespace quorvane::test

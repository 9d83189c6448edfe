#include "TestXServer.h"

#include <QStandardPaths>

#include <X11/Xlib.h>

namespace quorvane::test {

TestXServer::TestXServer()
    : m_previousDisplay(qgetenv("DISPLAY"))
{
    if (startOwn())
        return;
    if (!m_previousDisplay.isEmpty())
        m_connection = XOpenDisplay(m_previousDisplay.constData());
    if (m_connection)
        m_problem.clear();
    else if (m_problem.isEmpty())
        m_problem = QStringLiteral("no X display: DISPLAY is unset and Xvfb is not installed (scripts/deps)");
}

TestXServer::~TestXServer()
{
    if (m_connection)
        XCloseDisplay(m_connection);
    if (m_xvfb.state() == QProcess::NotRunning)
        return;
    m_xvfb.terminate();
    m_xvfb.waitForFinished(5000);
    qputenv("DISPLAY", m_previousDisplay);
}

// Xvfb picks a free display number itself and writes it to standard output once it accepts clients, so
// tests starting servers at the same time never race for a number.
bool TestXServer::startOwn()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return false;
    m_xvfb.setProcessChannelMode(QProcess::SeparateChannels);
    m_xvfb.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1280x800x24")});
    while (!m_xvfb.canReadLine() && m_xvfb.waitForReadyRead(10000)) {
    }
    const QByteArray number = m_xvfb.readLine().trimmed();
    if (number.isEmpty()) {
        m_problem =
            QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_xvfb.readAllStandardError());
        m_xvfb.kill();
        m_xvfb.waitForFinished(5000);
        return false;
    }
    const QByteArray display = ':' + number;
    m_connection = XOpenDisplay(display.constData());
    if (m_connection)
        qputenv("DISPLAY", display);
    return m_connection;
}

} // namespace quorvane::test

#pragma once

#include <QProcess>
#include <QString>

struct _XDisplay;

namespace quorvane::test {

// A private X display for the platform tests, named in DISPLAY for this process and its children while
// the server lives. The tests move the keyboard focus, press keys and play a window manager on the root
// window, which would disturb (and be disturbed by) other tests sharing the suite's display, so a private
// Xvfb is preferred; without Xvfb the display DISPLAY names is used. The server keeps one connection of
// its own open: an X server left without clients resets, and connections made meanwhile fail.
class TestXServer
{
public:
    TestXServer();
    ~TestXServer();
    TestXServer(const TestXServer &) = delete;
    TestXServer &operator=(const TestXServer &) = delete;

    bool available() const { return m_connection; }
    // Why no display could be had.
    QString problem() const { return m_problem; }
    // The connection the server keeps; tests may use it.
    _XDisplay *connection() const { return m_connection; }

private:
    bool startOwn();

    QProcess m_xvfb;
    _XDisplay *m_connection = nullptr;
    QString m_problem;
    QByteArray m_previousDisplay;
};

} // namespace quorvane::test

#pragma once

#include <QProcess>
#include <QString>

namespace quorvane::test {

// An X display for the platform tests: the one DISPLAY names when it answers (the suite runs under
// xvfb-run), else a private Xvfb started on a free display number and named in DISPLAY for this process
// and its children until the server is destroyed.
class TestXServer
{
public:
    TestXServer();
    ~TestXServer();
    TestXServer(const TestXServer &) = delete;
    TestXServer &operator=(const TestXServer &) = delete;

    bool available() const { return m_available; }
    // Why no display could be had.
    QString problem() const { return m_problem; }

private:
    bool startOwn();

    QProcess m_xvfb;
    bool m_available = false;
    QString m_problem;
    QByteArray m_previousDisplay;
};

} // namespace quorvane::test

#pragma once

#include "CleanupWatcher.h"
#include "ScrcpyOptions.h"
#include "ScrcpyOutput.h"

#include <QJsonObject>
#include <QStringList>

#include <optional>

namespace devsim {

// A running mirroring session: the phone-side checks the server makes, the launch rules of the world,
// the start-up lines, the phone settings scrcpy changes for its lifetime, and a life that ends on
// SIGTERM or SIGINT (exit 0, unless the world says to ignore SIGTERM), on a timed rule, or when the
// optional test window is closed.
class ScrcpySession
{
public:
    ScrcpySession(ScrcpyOptions options, QStringList arguments, QString serial, QString phoneId,
                  ScrcpyOutput &output);
    int run();

    // Installed before scrcpy does anything else, so a signal that arrives early is not lost: SIGTERM
    // and SIGINT end a session cleanly, or SIGTERM is ignored when the world says so.
    static void installSignalHandlers(const QJsonObject &world);

private:
    // The server's refusals (unknown encoder or camera, features the Android release lacks).
    std::optional<QString> phoneRefusal() const;
    std::optional<QJsonObject> matchingRule() const;
    bool ruleMatches(const QJsonObject &rule) const;
    QString sourceSize() const;
    bool startRecording();
    void printStartLines();
    void applyPhoneChanges();
    void restorePhoneChanges();
    int waitForEnd(const std::optional<QJsonObject> &timedRule);
    int finish(int exitCode);

    ScrcpyOptions m_options;
    QStringList m_arguments;
    QString m_serial;
    QString m_phoneId;
    QString m_worldPath;
    QJsonObject m_world;
    QJsonObject m_phone;
    ScrcpyOutput &m_output;
    QJsonObject m_undo;
    CleanupWatcher m_watcher;
    std::optional<int> m_virtualDisplayId;
};

} // namespace devsim

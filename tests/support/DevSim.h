#pragma once

#include "TestHome.h"
#include "ToolPaths.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quorvane::test {

// The device simulator for one test: a world file and a call log inside the test's home, named to
// every child through DEVSIM_WORLD and DEVSIM_LOG. Every helper writes through to the file at once
// (under the simulator's own lock), so a world built here is what the next adb or scrcpy sees.
class DevSim
{
public:
    // One phone of the world. Setters write through and return the phone for chaining.
    class Phone
    {
    public:
        Phone(DevSim &sim, QString id);

        const QString &id() const { return m_id; }
        // The serial of the phone's first transport ("" when it has none).
        QString serial() const;

        Phone &property(const QString &key, const QString &value);
        Phone &model(const QString &model);
        Phone &manufacturer(const QString &manufacturer, const QString &brand);
        Phone &android(const QString &release, int sdk);
        Phone &setting(const QString &space, const QString &key, const QString &value);
        Phone &screen(int width, int height, int density);
        Phone &noWifi();
        Phone &videoEncoders(const QJsonArray &encoders);
        Phone &cameras(const QJsonArray &cameras);
        Phone &displays(const QJsonArray &displays);
        // The state of the phone's transports: "device", "unauthorized", "offline", "no permissions".
        Phone &state(const QString &state);
        // A second transport over Wi-Fi ("<wifi address>:5555"), as after "adb tcpip 5555" + connect.
        Phone &alsoWireless();
        // Wireless debugging switched on (again: off first, as a user toggling it), at a new port each time,
        // or off; returns the port it listens on now (0 when off). Transports to the old port are dropped.
        int setWirelessDebugging(bool enabled);
        // Any other field of the phone object (see tools/devsim/README.md).
        Phone &set(const QString &key, const QJsonValue &value);

        QJsonObject read() const;

    private:
        void change(const std::function<void(QJsonObject &)> &edit);

        DevSim &m_sim;
        QString m_id;
    };

    explicit DevSim(const TestHome &home);
    ~DevSim();
    DevSim(const DevSim &) = delete;
    DevSim &operator=(const DevSim &) = delete;

    // A realistic Pixel 8 on Android 14 over USB (or over Wi-Fi, serial "<address>:5555").
    enum class Connection { Usb, Wireless };
    Phone addPhone(const QString &serial, Connection connection = Connection::Usb);
    Phone phone(const QString &id);
    // A bare transport without a phone behind it, e.g. an emulator that stays offline.
    void addTransport(const QString &serial, const QString &state);

    // A canned answer for commands whose words (after -s SERIAL) start with args.
    void addFault(const QStringList &args, int exitCode, const QString &stderrText = {},
                  const QString &stdoutText = {}, const std::optional<QString> &serial = std::nullopt);
    void addFault(const QJsonObject &fault);
    // scrcpy sessions whose arguments contain one of whenArgs exit at once with exitCode.
    void addLaunchRule(const QStringList &whenArgs, int exitCode = 1, const QString &message = {});
    void addLaunchRule(const QJsonObject &rule);
    void setScrcpy(const QString &key, const QJsonValue &value);
    void setAdbVersion(const QString &version);
    void setServerRunning(bool running);
    void setConnectOutcome(const QString &address, const QString &outcome);
    void addPairing(const QString &address, const QString &code, const QString &guid);

    // Edits the world file under the simulator's lock; for anything the helpers above do not cover.
    void updateWorld(const std::function<void(QJsonObject &)> &edit);
    QJsonObject readWorld() const;
    // One object per invocation, oldest first: tool, program, argv, ADB, SCRCPY_SERVER_PATH,
    // SDL_VIDEODRIVER, pathHead.
    QList<QJsonObject> calls() const;
    // The argument vectors of one tool's invocations, oldest first.
    QList<QStringList> callArguments(const QString &tool) const;
    // How many of one tool's invocations carried every one of words.
    int callsWith(const QString &tool, const QStringList &words) const;
    // The scrcpy invocations that opened a session, leaving out version and listing queries.
    QList<QStringList> scrcpySessions() const;

    // The simulator processes (adb, scrcpy and their helpers) of this world that still run, wherever they
    // were started from: an orphan left by a killed parent counts too.
    QList<qint64> runningProcesses() const;

    QString worldPath() const { return m_worldPath; }
    QString binDir() const;
    QString adbPath() const;
    QString scrcpyPath() const;

    // The user's two overrides pointing at the simulator.
    ToolPaths toolPaths() const;
    // Makes the simulator the in-bundle runtime of this process; undone by the destructor.
    void installAsBundle();
    // Puts the simulator first on PATH, like a system-wide adb and scrcpy; undone by the destructor.
    void putOnPath();

private:
    QString m_worldPath;
    QString m_logPath;
    bool m_bundleInstalled = false;
    std::optional<QByteArray> m_previousPath;
    int m_phoneCount = 0;
};

} // namespace quorvane::test

#pragma once

#include "AppModel.h"
#include "Notifier.h"
#include "PlatformServices.h"

#include "Await.h"
#include "DevSim.h"
#include "TestHome.h"

#include <QList>
#include <QSignalSpy>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace quorvane::test {

inline const QString usbSerial = QStringLiteral("R5CW20ABCDE");
inline const QString wifiSerial = QStringLiteral("192.168.1.20:5555");

// Stands in for the desktop: records what the model asks of it and fails on request.
class FakePlatform final : public app::PlatformServices
{
public:
    bool trusted = true;
    // Linux's X11 unless a test speaks of another desktop.
    HostDesktop host{HostDesktop::Kind::X11};
    QList<qint64> activated;
    QStringList sentKeys;
    std::optional<QString> sendFailure;

    HostDesktop desktop() const override { return host; }
    bool hasAccessibility() const override { return trusted; }
    // The model never prompts on its own: the key path does, inside the platform.
    void promptForAccessibility() override {}
    bool activate(qint64 pid) override;
    QCoro::Task<void> sendShortcut(QString key) override;
};

// Keeps what the model asked to tell the user: {title, message} per notification.
class FakeNotifier final : public app::Notifier
{
public:
    QList<QStringList> told;

    void notify(const QString &title, const QString &message) override { told.append({title, message}); }
};

// Waits a tenth of the system's; the launch watch and the stop checks stay long enough for the simulated
// scrcpy to start (or fail) and to answer a termination request.
Timing modelTiming();

// One test's world: a temporary home with its own user defaults, the simulator, a fake platform and a
// model whose tool paths point at the simulator. The model is built on demand so a test can prepare the
// defaults first.
class ModelWorld
{
public:
    ModelWorld();
    ~ModelWorld();
    ModelWorld(const ModelWorld &) = delete;
    ModelWorld &operator=(const ModelWorld &) = delete;

    TestHome home;
    DevSim sim{home};
    FakePlatform platform;
    FakeNotifier notifier;

    app::AppModel &model();
    // Plugs in the simulator's Pixel with show touches and stay awake off, and waits until the model has
    // listed it and picked it.
    void connectPhone(const QString &serial = usbSerial, const QString &state = QStringLiteral("device"));
    app::AppModel &makeModel(Timing timing = modelTiming());
    // Ends the model and waits until the children it left running have finished.
    void dropModel();

    // Argument vectors of adb calls that list the devices; the monitor makes one per pass.
    int deviceListings() const;
    // Argument vectors of scrcpy sessions started (version queries and listings left out).
    QList<QStringList> scrcpySessions() const;
    // The manager's log lines that start an attempt: one per rung tried.
    int launchAttempts() const;
    QString phoneSetting(const QString &space, const QString &key) const;
    void unplug(const QString &serial);
    void setTransportState(const QString &serial, const QString &state);
    // Sends SIGTERM to the newest scrcpy session, as if its window had been closed or the phone dropped.
    void endNewestSession();

private:
    std::unique_ptr<app::AppModel> m_model;
};

// Values an observable field takes, in order, as its change signal reports them.
template<typename Value>
class Recorder
{
public:
    template<typename Signal>
    Recorder(const app::AppModel *model, Signal signal, std::function<Value()> read)
        : m_read(std::move(read))
    {
        m_connection = QObject::connect(model, signal, model, [this] { values.append(m_read()); });
    }
    // The model may outlive the test function that recorded it.
    ~Recorder() { QObject::disconnect(m_connection); }
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    QList<Value> values;

private:
    std::function<Value()> m_read;
    QMetaObject::Connection m_connection;
};

} // namespace quorvane::test

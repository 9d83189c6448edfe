#include "ModelTesting.h"

#include "Async.h"
#include "Errors.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <signal.h>

namespace quorvane::test {

using namespace Qt::StringLiterals;

bool FakePlatform::activate(qint64 pid)
{
    activated.append(pid);
    return true;
}

QCoro::Task<void> FakePlatform::sendShortcut(QString key)
{
    sentKeys.append(key);
    if (sendFailure)
        throw ScrcpyError::unchecked(*sendFailure);
    co_return;
}

Timing modelTiming()
{
    Timing timing = Timing{}.scaled(0.05);
#ifdef __SANITIZE_ADDRESS__
    // Instrumented, the simulated scrcpy needs several times longer to start, and to fail.
    timing.launchWatchInterval = milliseconds{250};
#else
    timing.launchWatchInterval = milliseconds{75};
#endif
    timing.stopCheckInterval = milliseconds{25};
    return timing;
}

ModelWorld::ModelWorld()
{
    // User defaults live in this home only: no test sees another's (or the developer's) settings.
    const QString settings = home.path() + u"/settings"_s;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
    // scrcpy's own listings find adb on PATH, as with an installed scrcpy.
    sim.putOnPath();
}

ModelWorld::~ModelWorld()
{
    dropModel();
}

app::AppModel &ModelWorld::model()
{
    return m_model ? *m_model : makeModel();
}

app::AppModel &ModelWorld::makeModel(Timing timing)
{
    m_model = std::make_unique<app::AppModel>(&platform, timing);
    m_model->setNotifier(&notifier);
    m_model->setCustomADBPath(sim.adbPath());
    m_model->setCustomScrcpyPath(sim.scrcpyPath());
    return *m_model;
}

void ModelWorld::dropModel()
{
    if (m_model) {
        await(m_model->sessionManager().stopAll());
        m_model.reset();
    }
    // Coroutines of the model still waiting for adb end once it answers; let them.
    QTRY_VERIFY(childProcessOwner()->findChildren<QProcess *>().isEmpty());
}

void ModelWorld::connectPhone(const QString &serial, const QString &state)
{
    sim.addPhone(serial)
        .state(state)
        .setting(u"system"_s, u"show_touches"_s, u"0"_s)
        .setting(u"global"_s, u"stay_on_while_plugged_in"_s, u"0"_s);
    await(model().refreshDevices());
    QCOMPARE(model().selectedSerial(), serial);
}

int ModelWorld::deviceListings() const
{
    int count = 0;
    for (const QStringList &arguments : sim.callArguments(u"adb"_s))
        count += arguments == QStringList{u"devices"_s, u"-l"_s};
    return count;
}

QList<QStringList> ModelWorld::scrcpySessions() const
{
    return sim.scrcpySessions();
}

int ModelWorld::launchAttempts() const
{
    const QStringList lines = m_model ? m_model->logLines() : QStringList();
    return static_cast<int>(std::count_if(lines.cbegin(), lines.cend(), [](const QString &line) {
        return line.startsWith(u"Attempt "_s) && line.contains(u": "_s);
    }));
}

QString ModelWorld::phoneSetting(const QString &space, const QString &key) const
{
    const QJsonObject phone = sim.readWorld().value(u"phones"_s).toObject().begin()->toObject();
    const QJsonValue value = phone.value(u"settings"_s).toObject().value(space).toObject().value(key);
    return value.isUndefined() ? u"<unset>"_s : value.toString();
}

void ModelWorld::unplug(const QString &serial)
{
    sim.updateWorld([&serial](QJsonObject &world) {
        QJsonArray kept;
        for (const QJsonValue &transport : world.value(u"transports"_s).toArray()) {
            if (transport.toObject().value(u"serial"_s).toString() != serial)
                kept.append(transport);
        }
        world.insert(u"transports"_s, kept);
    });
}

void ModelWorld::setTransportState(const QString &serial, const QString &state)
{
    sim.updateWorld([&](QJsonObject &world) {
        QJsonArray transports = world.value(u"transports"_s).toArray();
        for (qsizetype index = 0; index < transports.size(); ++index) {
            QJsonObject transport = transports.at(index).toObject();
            if (transport.value(u"serial"_s).toString() == serial)
                transport.insert(u"state"_s, state);
            transports.replace(index, transport);
        }
        world.insert(u"transports"_s, transports);
    });
}

void ModelWorld::endNewestSession()
{
    QVERIFY(!platform.activated.isEmpty());
    QCOMPARE(::kill(static_cast<pid_t>(platform.activated.last()), SIGTERM), 0);
}

} // namespace quorvane::test

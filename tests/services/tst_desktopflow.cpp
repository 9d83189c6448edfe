#include "AppPaths.h"
#include "DesktopService.h"
#include "DevSim.h"
#include "FailureText.h"
#include "FileSizeLimit.h"
#include "TestHome.h"
#include "Words.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTest>

#include <memory>

using namespace quorvane;
using test::await;
using test::DevSim;
using test::failureOf;
using test::words;

namespace {

const QString serial = QStringLiteral("R5CW20ABCDE");
const QString enableMessage =
    QStringLiteral("Desktop settings enabled from a fresh backup, and the phone is rebooting. "
                   "Reconnect after the reboot; a restore remains available.");
const QString restoreMessage =
    QStringLiteral("Android desktop settings restored to their previous values, and the phone is rebooting.");
const QString enableRebootLine = QStringLiteral("Rebooting the phone so the new windowing settings apply…");
const QString restoreRebootLine =
    QStringLiteral("Restored the backed-up Android desktop settings. Rebooting the phone…");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

// Enabling and restoring the phone's desktop windowing settings, and the probe, against the simulator.
class TestDesktopFlow final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;
    std::shared_ptr<QStringList> m_log;

    DesktopService service() const
    {
        const auto log = m_log;
        return DesktopService{m_sim->toolPaths(), [log](const QString &line) { log->append(line); }};
    }
    QJsonObject globalSettings() const
    {
        return m_sim->phone(QStringLiteral("phone1"))
            .read()
            .value(QStringLiteral("settings"))
            .toObject()
            .value(QStringLiteral("global"))
            .toObject();
    }
    int boots() const
    {
        return m_sim->phone(QStringLiteral("phone1")).read().value(QStringLiteral("bootCount")).toInt();
    }
    QList<QStringList> callsContaining(const QString &word) const
    {
        QList<QStringList> found;
        for (const QStringList &call : m_sim->callArguments(QStringLiteral("adb"))) {
            if (call.contains(word))
                found << call;
        }
        return found;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<DevSim>(*m_home);
        m_log = std::make_shared<QStringList>();
        m_sim->addPhone(serial)
            .setting(QStringLiteral("global"), QStringLiteral("force_desktop_mode_on_external_displays"),
                     QStringLiteral("0"))
            .setting(QStringLiteral("global"), QStringLiteral("force_resizable_activities"),
                     QStringLiteral("1"))
            .setting(QStringLiteral("global"), QStringLiteral("override_desktop_mode_features"),
                     QStringLiteral("on for 'tests'"));
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void enableThenRestoreLeavesThePhoneAsBefore()
    {
        const QJsonObject before = globalSettings();

        QCOMPARE(await(service().enableDesktopExperience(serial)),
                 (DesktopExperienceResult{true, true, true, enableMessage}));
        for (const QString &key : DesktopService::settingKeys())
            QCOMPARE(globalSettings().value(key).toString(), QStringLiteral("1"));
        const DesktopSettingsBackup backup = DesktopBackupStore::read().devices.value(serial);
        QCOMPARE(backup.settings.size(), 6);
        QCOMPARE(backup.settings.value(QStringLiteral("enable_freeform_support")), std::nullopt);
        QCOMPARE(backup.settings.value(QStringLiteral("force_desktop_mode_on_external_displays")),
                 QStringLiteral("0"));
        QCOMPARE(boots(), 1);

        QCOMPARE(await(service().restoreDesktopExperience(serial)),
                 (DesktopExperienceResult{false, false, true, restoreMessage}));
        QCOMPARE(globalSettings(), before);
        QVERIFY(!DesktopBackupStore::read().devices.contains(serial));
        QVERIFY(QFile::exists(AppPaths::desktopBackupFile()));
        QCOMPARE(m_log->last(), restoreRebootLine);
        QCOMPARE(boots(), 2);
        QCOMPARE(callsContaining(QStringLiteral("reboot")),
                 (QList<QStringList>{words("-s R5CW20ABCDE reboot"), words("-s R5CW20ABCDE reboot")}));
        QVERIFY(callsContaining(QStringLiteral("delete"))
                    .contains(words("-s R5CW20ABCDE shell settings delete global enable_freeform_support")));
    }

    void secondEnableKeepsTheFirstBackup()
    {
        await(service().enableDesktopExperience(serial));
        const DesktopBackupStore first = DesktopBackupStore::read();
        m_log->clear();
        QCOMPARE(await(service().enableDesktopExperience(serial)).message, enableMessage);
        QCOMPARE(DesktopBackupStore::read(), first);
        QCOMPARE(*m_log, QStringList{enableRebootLine});
    }

    void enableOnAnUnauthorizedPhone()
    {
        m_sim->phone(QStringLiteral("phone1")).state(QStringLiteral("unauthorized"));
        QCOMPARE(failureOf(service().enableDesktopExperience(serial)),
                 QStringLiteral("deviceState: Authorize the device before changing desktop settings."));
        QCOMPARE(m_sim->callArguments(QStringLiteral("adb")), QList<QStringList>{words("devices -l")});
        QVERIFY(!QFile::exists(AppPaths::desktopBackupFile()));
    }

    void aFailedWriteStopsBeforeTheReboot()
    {
        m_sim->addFault(words("shell settings put global enable_freeform_support"), 255,
                        QStringLiteral("java.lang.SecurityException: Permission denial\n"));
        QCOMPARE(failureOf(service().enableDesktopExperience(serial)),
                 QStringLiteral("process: java.lang.SecurityException: Permission denial (exit code 255)"));
        QCOMPARE(globalSettings().value(QStringLiteral("force_desktop_mode_on_external_displays")).toString(),
                 QStringLiteral("1"));
        QVERIFY(DesktopBackupStore::read().devices.contains(serial));
        QCOMPARE(boots(), 0);
        QVERIFY(callsContaining(QStringLiteral("reboot")).isEmpty());
    }

    void aFailedRebootStillReportsTheRestart()
    {
        m_sim->addFault(words("reboot"), 1, QStringLiteral("error: closed\n"));
        QCOMPARE(await(service().enableDesktopExperience(serial)),
                 (DesktopExperienceResult{true, true, true, enableMessage}));
        QCOMPARE(boots(), 0);
    }

    void anUnreadableSettingChangesNothing()
    {
        // Recording it as unset would make a later restore delete a value the user had.
        m_sim->addFault(words("shell settings get global force_resizable_activities"), 1,
                        QStringLiteral("error: closed\n"));
        const QJsonObject before = globalSettings();
        QCOMPARE(failureOf(service().enableDesktopExperience(serial)),
                 QStringLiteral("process: error: closed (exit code 1)"));
        QCOMPARE(globalSettings(), before);
        QVERIFY(!DesktopBackupStore::read().devices.contains(serial));
        QVERIFY(callsContaining(QStringLiteral("put")).isEmpty());
    }

    void restoreWithoutBackup()
    {
        QCOMPARE(failureOf(service().restoreDesktopExperience(serial)),
                 QStringLiteral("invalidInput: There is no settings backup for this device yet."));
        QCOMPARE(
            m_sim->callArguments(QStringLiteral("adb")),
            (QList<QStringList>{words("devices -l"), words("-s R5CW20ABCDE shell getprop ro.serialno")}));
    }

    // A phone that cannot take commands is named as such before any setting is touched, and the backup stays.
    void restoreNeedsAReadyPhone_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("failure");
        QTest::newRow("not connected")
            << QString()
            << "deviceState: The phone is not connected. Connect it, then restore its desktop settings.";
        QTest::newRow("unauthorized")
            << "unauthorized"
            << "deviceState: Authorize the device before restoring desktop settings.";
        QTest::newRow("offline")
            << "offline"
            << "deviceState: The phone is offline. Reconnect it, then restore its desktop "
               "settings.";
    }

    void restoreNeedsAReadyPhone()
    {
        QFETCH(QString, state);
        QFETCH(QString, failure);
        const DesktopBackupStore backup{
            {{serial, {{{QStringLiteral("enable_freeform_support"), std::nullopt}}}}}};
        backup.write();
        if (!state.isEmpty())
            m_sim->phone(QStringLiteral("phone1")).state(state);
        const QString target = state.isEmpty() ? QStringLiteral("R5CW20ZZZZZ") : serial;
        QCOMPARE(failureOf(service().restoreDesktopExperience(target)), failure);
        QCOMPARE(m_sim->callArguments(QStringLiteral("adb")), QList<QStringList>{words("devices -l")});
        QCOMPARE(DesktopBackupStore::read(), backup);
        QCOMPARE(boots(), 0);
    }

    // The backup file may hold the phone's only record of its original settings: while it cannot be read,
    // enable and restore refuse, name it, change nothing and leave it where it is.
    void unreadableBackupChangesNothing_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("enable, not JSON") << true << QByteArray("{\"devices\": {");
        QTest::newRow("enable, a value that is a number")
            << true << QByteArray("{\"devices\": {\"OTHER\": {\"settings\": {\"a\": 1}}}}");
        QTest::newRow("restore, not JSON") << false << QByteArray("{\"devices\": {");
        QTest::newRow("restore, settings missing")
            << false << QByteArray("{\"devices\": {\"R5CW20ABCDE\": {}}}");
    }

    void unreadableBackupChangesNothing()
    {
        QFETCH(bool, enable);
        QFETCH(QByteArray, content);
        test::writeFile(AppPaths::desktopBackupFile(), content);
        const QJsonObject before = globalSettings();

        const QString failure = failureOf(enable ? service().enableDesktopExperience(serial)
                                                 : service().restoreDesktopExperience(serial));
        QCOMPARE(failure,
                 QStringLiteral("invalidInput: Desktop settings cannot be %1: the backup file %2 cannot "
                                "be read, so nothing on the phone was changed. Repair the file or move "
                                "it away, then try again.")
                     .arg(enable ? QStringLiteral("enabled") : QStringLiteral("restored"),
                          AppPaths::desktopBackupFile()));
        QCOMPARE(contents(AppPaths::desktopBackupFile()), content);
        QCOMPARE(QDir(AppPaths::appSupportFolder()).entryList(QDir::Files),
                 QStringList{QStringLiteral("desktop-settings-backup.json")});
        QCOMPARE(globalSettings(), before);
        QVERIFY(callsContaining(QStringLiteral("put")).isEmpty());
        QVERIFY(callsContaining(QStringLiteral("delete")).isEmpty());
        QVERIFY(m_log->isEmpty());
        QCOMPARE(boots(), 0);
    }

    // A full disk: the backup of another two hundred phones already there makes the new store too big to
    // write. Enable says so and writes not one setting.
    void aBackupThatCannotBeSavedChangesNothing()
    {
        DesktopBackupStore others;
        for (int i = 0; i < 200; ++i) {
            DesktopSettingsBackup backup;
            for (const QString &key : DesktopService::settingKeys())
                backup.settings.insert(key, QStringLiteral("0"));
            others.devices.insert(QStringLiteral("OTHER%1").arg(i), backup);
        }
        others.write();
        const QByteArray before = contents(AppPaths::desktopBackupFile());
        QVERIFY(before.size() > 64 * 1024);

        QString failure;
        {
            const test::FileSizeLimit limit(48 * 1024);
            failure = failureOf(service().enableDesktopExperience(serial));
        }
        QCOMPARE(failure,
                 QStringLiteral("error: Desktop settings cannot be enabled: the settings backup could "
                                "not be saved to %1 (File too large), so nothing on the phone was "
                                "changed.")
                     .arg(AppPaths::desktopBackupFile()));
        QCOMPARE(contents(AppPaths::desktopBackupFile()), before);
        QCOMPARE(callsContaining(QStringLiteral("get")).size(), 6);
        QVERIFY(callsContaining(QStringLiteral("put")).isEmpty());
        QVERIFY(m_log->isEmpty());
        QCOMPARE(boots(), 0);
    }

    void aFailedRestoreCommandKeepsTheBackup()
    {
        await(service().enableDesktopExperience(serial));
        const DesktopBackupStore backup = DesktopBackupStore::read();
        m_sim->addFault(words("shell settings delete global enable_freeform_support"), 1,
                        QStringLiteral("error: closed\n"));
        const DesktopExperienceResult result = await(service().restoreDesktopExperience(serial));
        QCOMPARE(result, (DesktopExperienceResult{
                             false, true, true,
                             QStringLiteral("Some Android desktop settings could not be restored, "
                                            "and the phone is rebooting. The backup is kept, so "
                                            "you can restore again.")}));
        QCOMPARE(DesktopBackupStore::read(), backup);
        QCOMPARE(globalSettings().value(QStringLiteral("force_desktop_mode_on_external_displays")).toString(),
                 QStringLiteral("0"));
        QCOMPARE(boots(), 2);
    }

    // Which settings make a phone prepared is the rules' table; here, the probe reads the phone and the
    // store and changes neither.
    void probeReadsOnly()
    {
        auto phone = m_sim->phone(QStringLiteral("phone1"));
        phone.android(QStringLiteral("16"), 36);
        const QStringList keys = DesktopService::settingKeys();
        for (int i = 0; i < 6; ++i)
            phone.setting(QStringLiteral("global"), keys[i],
                          i == 4 ? QStringLiteral("null") : QStringLiteral("1"));
        DesktopBackupStore{{{serial, {}}}}.write();
        const QByteArray backup = contents(AppPaths::desktopBackupFile());

        const DesktopCapabilities caps = await(service().probeCapabilities(serial));
        QVERIFY(!caps.prepared);
        QCOMPARE(caps.summary, QStringLiteral("A settings backup for this device is available."));
        QVERIFY(caps.backupAvailable && caps.androidDesktopWindowingAvailable && caps.supported);
        QCOMPARE(caps.launcherPackage, QStringLiteral("com.google.android.apps.nexuslauncher"));
        QCOMPARE(caps.message, QStringLiteral("Android 16 supports scrcpy virtual displays."));
        QCOMPARE(QStringLiteral("%1x%2@%3")
                     .arg(caps.recommendedWidth)
                     .arg(caps.recommendedHeight)
                     .arg(caps.recommendedDensity),
                 QStringLiteral("1920x1080@240"));
        QCOMPARE(callsContaining(QStringLiteral("get")).size(), 6);
        QVERIFY(callsContaining(QStringLiteral("put")).isEmpty());
        QCOMPARE(contents(AppPaths::desktopBackupFile()), backup);
    }

    void oneBackupForUsbAndWifi()
    {
        auto phone = m_sim->phone(QStringLiteral("phone1"));
        phone.manufacturer(QStringLiteral("samsung"), QStringLiteral("samsung")).alsoWireless();
        const ADBService adb{m_sim->toolPaths()};
        await(service().saveBackupIfMissing(adb, serial, 34));
        QCOMPARE(DesktopBackupStore::read().devices.value(serial).settings.size(), 4);

        const DesktopCapabilities caps =
            await(service().probeCapabilities(QStringLiteral("192.168.1.20:5555")));
        QVERIFY(caps.backupAvailable);
        QVERIFY(caps.samsungDexAvailable);
        QCOMPARE(QStringLiteral("%1x%2@%3")
                     .arg(caps.recommendedWidth)
                     .arg(caps.recommendedHeight)
                     .arg(caps.recommendedDensity),
                 QStringLiteral("1280x720@180"));
    }

    void stableKeySkipsUnknownSerials()
    {
        m_sim->phone(QStringLiteral("phone1"))
            .property(QStringLiteral("ro.serialno"), QStringLiteral("Unknown"))
            .property(QStringLiteral("ro.boot.serialno"), QStringLiteral("R58N12345"));
        const ADBService adb{m_sim->toolPaths()};
        QCOMPARE(await(DesktopService::stableDeviceKey(adb, serial)), QStringLiteral("R58N12345"));
        m_sim->phone(QStringLiteral("phone1"))
            .property(QStringLiteral("ro.boot.serialno"), QStringLiteral("unknown"));
        QCOMPARE(await(DesktopService::stableDeviceKey(adb, serial)), serial);
    }
};

QTEST_GUILESS_MAIN(TestDesktopFlow)
#include "tst_desktopflow.moc"

#include "AppPaths.h"
#include "DesktopService.h"
#include "TestHome.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

#include <memory>

using namespace quorvane;

namespace {

using Settings = QList<DesktopSettingDiagnostic>;

DeviceProfile profile(quint32 sdk, const char *brand = "google", const char *kind = "usb")
{
    DeviceProfile profile;
    profile.serial = QStringLiteral("SERIAL");
    profile.brand = QString::fromUtf8(brand);
    profile.androidVersion = QString::number(sdk - 20);
    profile.sdk = sdk;
    profile.connectionKind = QString::fromUtf8(kind);
    profile.canAttemptVirtualDisplay = sdk >= 30;
    return profile;
}

// Every key of the list reading "1", and the ones named in unset left out.
Settings enabled(const QStringList &keys, const QStringList &unset = {})
{
    Settings settings;
    for (const QString &key : keys)
        settings.append({key, unset.contains(key) ? std::nullopt : std::optional(QStringLiteral("1"))});
    return settings;
}

const QString notPrepared =
    QStringLiteral("Enabling changes up to five developer settings on the phone, with a full backup first.");
const QString preparedSummary =
    QStringLiteral("Android is already using this device's desktop windowing settings.");

} // namespace

// The pure rules of the desktop probe and the backup file's format.
class TestDesktopRules final : public QObject
{
    Q_OBJECT

private slots:
    void keysFollowTheSdk_data()
    {
        QTest::addColumn<quint32>("sdk");
        QTest::addColumn<int>("count");
        QTest::newRow("34") << 34u << 4;
        QTest::newRow("36") << 36u << 6;
        QTest::newRow("unknown sdk") << 0u << 4;
    }

    void keysFollowTheSdk()
    {
        QFETCH(quint32, sdk);
        QFETCH(int, count);
        QCOMPARE(DesktopService::settingKeys(sdk), DesktopService::settingKeys().mid(0, count));
    }

    void settingValue_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<std::optional<QString>>("value");
        QTest::newRow("one") << QStringLiteral("1") << std::optional(QStringLiteral("1"));
        QTest::newRow("padded") << QStringLiteral(" 1 \n") << std::optional(QStringLiteral("1"));
        QTest::newRow("null") << QStringLiteral("null") << std::optional<QString>();
        QTest::newRow("NULL") << QStringLiteral("NULL\n") << std::optional<QString>();
        QTest::newRow("empty line") << QStringLiteral("\n") << std::optional<QString>();
    }

    void settingValue()
    {
        QFETCH(QString, output);
        QFETCH(std::optional<QString>, value);
        QCOMPARE(DesktopService::settingValue(output), value);
    }

    void launcher_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<std::optional<QString>>("package");
        // The simulator's brief answer is the desktop flow's probe.
        QTest::newRow("last line wins")
            << QStringLiteral("a/.One\nhomeapp/.Main\n") << std::optional(QStringLiteral("homeapp"));
        QTest::newRow("padded with tabs")
            << QStringLiteral("\t homeapp/.Main \t") << std::optional(QStringLiteral("homeapp"));
        QTest::newRow("earlier clean line")
            << QStringLiteral("home/.A\nsome text / with space") << std::optional(QStringLiteral("home"));
        QTest::newRow("leading slash") << QStringLiteral("/.Main") << std::optional<QString>();
        QTest::newRow("nothing") << QString() << std::optional<QString>();
    }

    void launcher()
    {
        QFETCH(QString, output);
        QFETCH(std::optional<QString>, package);
        QCOMPARE(DesktopService::launcherFromResolveOutput(output), package);
    }

    void capabilities_data()
    {
        const QStringList all = DesktopService::settingKeys();
        QTest::addColumn<DeviceProfile>("device");
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<bool>("backup");
        QTest::addColumn<bool>("prepared");
        QTest::addColumn<bool>("windowing");
        QTest::addColumn<QString>("summary");

        QTest::newRow("sdk 34 needs only four keys")
            << profile(34) << enabled(all.mid(0, 4)) << false << true << true << preparedSummary;
        QTest::newRow("sdk 36 with key 5 unset")
            << profile(36) << enabled(all, {all.at(4)}) << false << false << true << notPrepared;
        QTest::newRow("sdk 33 has no desktop windowing")
            << profile(33) << enabled(all.mid(0, 4)) << false << true << false << preparedSummary;
        QTest::newRow("freeform off")
            << profile(34) << enabled(all.mid(0, 4), {all.at(1)}) << false << false << false << notPrepared;
        QTest::newRow("nothing read") << profile(34) << Settings{} << false << false << false << notPrepared;
    }

    void capabilities()
    {
        QFETCH(DeviceProfile, device);
        QFETCH(Settings, settings);
        QFETCH(bool, backup);
        QFETCH(bool, prepared);
        QFETCH(bool, windowing);
        QFETCH(QString, summary);
        const DesktopCapabilities caps = DesktopService::capabilities(device, settings, backup, std::nullopt);
        QCOMPARE(caps.prepared, prepared);
        QCOMPARE(caps.androidDesktopWindowingAvailable, windowing);
        QCOMPARE(caps.backupAvailable, backup);
        QCOMPARE(caps.summary, summary);
    }

    void geometryAndSupport_data()
    {
        QTest::addColumn<DeviceProfile>("device");
        QTest::addColumn<QString>("geometry");
        QTest::addColumn<bool>("dex");
        QTest::addColumn<bool>("supported");
        QTest::addColumn<bool>("freeform");
        QTest::addColumn<QString>("message");
        QTest::newRow("samsung over usb")
            << profile(33, "samsung") << QStringLiteral("1920x1080@284") << true << true << true
            << QStringLiteral("Android 13 supports scrcpy virtual displays.");
        QTest::newRow("sdk 29") << profile(29) << QStringLiteral("1920x1080@240") << false << false << true
                                << QStringLiteral(
                                       "Android 11 or newer is required for scrcpy virtual displays.");
        QTest::newRow("sdk 28") << profile(28) << QStringLiteral("1920x1080@240") << false << false << false
                                << QStringLiteral(
                                       "Android 11 or newer is required for scrcpy virtual displays.");
    }

    void geometryAndSupport()
    {
        QFETCH(DeviceProfile, device);
        QFETCH(QString, geometry);
        QFETCH(bool, dex);
        QFETCH(bool, supported);
        QFETCH(bool, freeform);
        QFETCH(QString, message);
        const auto caps = DesktopService::capabilities(device, {}, false, QStringLiteral("launcher"));
        QCOMPARE(QStringLiteral("%1x%2@%3")
                     .arg(caps.recommendedWidth)
                     .arg(caps.recommendedHeight)
                     .arg(caps.recommendedDensity),
                 geometry);
        QCOMPARE(caps.samsungDexAvailable, dex);
        QCOMPARE(caps.supported, supported);
        QCOMPARE(caps.virtualDisplaySupported, supported);
        QCOMPARE(caps.freeformSupported, freeform);
        QCOMPARE(caps.message, message);
    }

    void backupFileFormat()
    {
        const test::TestHome home;
        DesktopBackupStore store;
        store.devices[QStringLiteral("R58N12345")].settings = {
            {QStringLiteral("enable_freeform_support"), std::nullopt},
            {QStringLiteral("force_resizable_activities"), QStringLiteral("0")}};
        store.write();
        QFile file(AppPaths::desktopBackupFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("{\n"
                                            "    \"devices\": {\n"
                                            "        \"R58N12345\": {\n"
                                            "            \"settings\": {\n"
                                            "                \"enable_freeform_support\": null,\n"
                                            "                \"force_resizable_activities\": \"0\"\n"
                                            "            }\n"
                                            "        }\n"
                                            "    }\n"
                                            "}\n"));
        QCOMPARE(DesktopBackupStore::read(), store);
    }

    void unreadableBackups_data()
    {
        QTest::addColumn<QByteArray>("content");
        // Not JSON, a missing settings object and a number value are enable's and restore's refusals.
        QTest::newRow("devices missing") << QByteArray("{}");
        QTest::newRow("devices as array") << QByteArray(R"({"devices": []})");
    }

    void unreadableBackups()
    {
        QFETCH(QByteArray, content);
        const test::TestHome home;
        test::writeFile(AppPaths::desktopBackupFile(), content);
        QCOMPARE(DesktopBackupStore::read(), DesktopBackupStore{});
    }
};

QTEST_GUILESS_MAIN(TestDesktopRules)
#include "tst_desktoprules.moc"

#include "ADBService.h"
#include "Await.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "TestHome.h"

#include <QTest>

#include <QCoroTask>

using namespace quorvane;
using namespace Qt::StringLiterals;

// Against the adb that the Debian package installs: proves the formats we parse are the real ones.
class TestRealAdb final : public QObject
{
    Q_OBJECT

private:
    std::optional<QString> m_adb;

private slots:
    void initTestCase()
    {
        RuntimeLocator::setBundledDirectoryOverride(std::nullopt);
        m_adb = RuntimeLocator::resolve(u"adb"_s, std::nullopt);
        if (!m_adb)
            QSKIP("no adb installed; scripts/deps installs it");
    }

    void runtimeStatusFindsAdbWithItsVersionLine()
    {
        const RuntimeStatus status = test::await(RuntimeLocator{}.probeStatus());
        QVERIFY(status.adbFound);
        QCOMPARE(status.adbPath, m_adb);
        QVERIFY2(status.adbVersion.value_or(QString()).startsWith(u"Android Debug Bridge version"_s),
                 qPrintable(status.adbVersion.value_or(u"<absent>"_s)));
    }

    void devicesIsEmptyWithoutPhones()
    {
        const QList<DeviceInfo> devices = test::await(ADBService{}.listDevices());
        QVERIFY2(devices.isEmpty(), qPrintable(devices.value(0).serial));
    }

    void cleanupTestCase()
    {
        if (m_adb)
            test::await(ProcessRunner::runCollect(*m_adb, QStringList{u"kill-server"_s}));
    }
};

QTEST_GUILESS_MAIN(TestRealAdb)
#include "tst_realadb.moc"

#include "AppPaths.h"
#include "TestHome.h"
#include "WirelessStoreFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace quorvane;

Q_DECLARE_METATYPE(quorvane::SavedWirelessDevice)

namespace {

SavedWirelessDevice saved(const char *address, const char *label, quint64 lastUsed,
                          const char *serial = nullptr)
{
    return {QString::fromUtf8(address), QString::fromUtf8(label), lastUsed,
            serial ? std::optional(QString::fromUtf8(serial)) : std::nullopt};
}

using Devices = QList<SavedWirelessDevice>;

} // namespace

// "wireless-devices.json": strict reading, forgiving failure, the exact file written.
class TestWirelessStore final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;

    static void writeFile(const QByteArray &content)
    {
        test::writeFile(AppPaths::wirelessDevicesFile(), content);
    }

    static QByteArray fileContent()
    {
        QFile file(AppPaths::wirelessDevicesFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() { m_home = std::make_unique<test::TestHome>(); }
    void cleanup() { m_home.reset(); }

    void missingFileIsEmpty() { QCOMPARE(WirelessStoreFile::read(), WirelessStoreFile{}); }

    void unreadableFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray("{devices: nope");
        QTest::newRow("array at the top") << QByteArray("[]");
        QTest::newRow("devices not an array") << QByteArray(R"({"devices": {}})");
        QTest::newRow("entry not an object") << QByteArray(R"({"devices": ["a:1"]})");
        QTest::newRow("label missing") << QByteArray(R"({"devices": [{"address": "a:1", "lastUsed": 1}]})");
        QTest::newRow("address not text")
            << QByteArray(R"({"devices": [{"address": 5, "label": "x", "lastUsed": 1}]})");
        QTest::newRow("lastUsed as text")
            << QByteArray(R"({"devices": [{"address": "a:1", "label": "x", "lastUsed": "1"}]})");
        QTest::newRow("lastUsed negative")
            << QByteArray(R"({"devices": [{"address": "a:1", "label": "x", "lastUsed": -1}]})");
        QTest::newRow("lastUsed fractional")
            << QByteArray(R"({"devices": [{"address": "a:1", "label": "x", "lastUsed": 1.5}]})");
        QTest::newRow("one bad entry spoils the file") << QByteArray(
            R"({"devices": [{"address": "a:1", "label": "x", "lastUsed": 1}, {"address": "b:1"}]})");
    }

    void unreadableFiles()
    {
        QFETCH(QByteArray, content);
        writeFile(content);
        QCOMPARE(WirelessStoreFile::read(), WirelessStoreFile{});
    }

    void unknownKeysAreIgnored()
    {
        writeFile(
            R"({"devices": [{"address": "a:1", "label": "Pixel", "lastUsed": 7, "pinned": true}], "v": 2})");
        QCOMPARE(WirelessStoreFile::read().devices, (QList<SavedWirelessDevice>{saved("a:1", "Pixel", 7)}));
    }

    void writesSortedPrettyJson()
    {
        WirelessStoreFile store{{saved("192.168.1.20:5555", "Pixel 8", 1700000000)}};
        store.write();
        QCOMPARE(fileContent(), QByteArray("{\n"
                                           "    \"devices\": [\n"
                                           "        {\n"
                                           "            \"address\": \"192.168.1.20:5555\",\n"
                                           "            \"label\": \"Pixel 8\",\n"
                                           "            \"lastUsed\": 1700000000\n"
                                           "        }\n"
                                           "    ]\n"
                                           "}\n"));
        QCOMPARE(WirelessStoreFile::read(), store);
    }

    void newestFirstKeepsTies()
    {
        WirelessStoreFile store{
            {saved("a:1", "A", 100), saved("b:1", "B", 200), saved("c:1", "C", 100), saved("d:1", "D", 200)}};
        store.sortNewestFirst();
        QStringList order;
        for (const auto &device : store.devices)
            order << device.address;
        QCOMPARE(order.join(QLatin1Char(' ')), QStringLiteral("b:1 d:1 a:1 c:1"));
    }

    // One entry per phone: a connect or a sighting gives old address-keyed entries their phone, merges the
    // phone's old ports into its newest entry, and never drops an entry it cannot tie to the phone.
    void entriesBecomeOnePerPhone_data()
    {
        QTest::addColumn<Devices>("before");
        QTest::addColumn<QString>("operation"); // "remember" the entry, or "adopt" its address and serial
        QTest::addColumn<SavedWirelessDevice>("entry");
        QTest::addColumn<Devices>("after");
        QTest::addColumn<bool>("keptCopy");
        const SavedWirelessDevice newPort = saved("192.168.1.20:41235", "Pixel 8", 900, "HW1");
        // A new port of a known phone replacing the old one is the wireless flow's port change.
        QTest::newRow("an old entry at the same address learns its phone")
            << Devices{saved("192.168.1.20:41235", "192.168.1.20:41235", 500)} << QStringLiteral("remember")
            << newPort << Devices{newPort} << true;
        QTest::newRow("another phone at an address taken before is a second phone")
            << Devices{saved("192.168.1.20:41235", "Old", 500, "HW9")} << QStringLiteral("remember")
            << newPort << Devices{newPort, saved("192.168.1.20:41235", "Old", 500, "HW9")} << false;
        QTest::newRow("a sighting names the entry and merges the phone's newer one")
            << Devices{saved("192.168.1.20:41235", "Pixel 8", 900, "HW1"), saved("10.0.0.7:5555", "Tab", 700),
                       saved("192.168.1.20:5555", "Pixel", 300)}
            << QStringLiteral("adopt") << saved("192.168.1.20:5555", "", 0, "HW1")
            << Devices{newPort, saved("10.0.0.7:5555", "Tab", 700)} << true;
        QTest::newRow("a sighting of an address nobody remembers changes nothing")
            << Devices{saved("10.0.0.7:5555", "Tab", 700)} << QStringLiteral("adopt")
            << saved("192.168.1.20:5555", "", 0, "HW1") << Devices{saved("10.0.0.7:5555", "Tab", 700)}
            << false;
    }

    void entriesBecomeOnePerPhone()
    {
        QFETCH(Devices, before);
        QFETCH(QString, operation);
        QFETCH(SavedWirelessDevice, entry);
        QFETCH(Devices, after);
        QFETCH(bool, keptCopy);
        WirelessStoreFile{before}.write();
        const QByteArray original = fileContent();
        WirelessStoreFile::update([&](WirelessStoreFile &store) {
            if (operation == QLatin1String("remember"))
                store.remember(entry);
            else
                store.adopt(PhoneIdentity(entry.address, entry.hardwareSerial));
        });
        QCOMPARE(WirelessStoreFile::read().devices, after);
        // The file as it was before an entry learned its phone stays readable beside the new one.
        QFile copy(AppPaths::wirelessDevicesFile() + QStringLiteral(".by-address"));
        QCOMPARE(copy.exists(), keptCopy);
        if (keptCopy) {
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), original);
        }
    }

    void unwritableFolderIsIgnored()
    {
        // A folder where the file should be: the write fails, nothing is thrown, the folder stays.
        QVERIFY(QDir().mkpath(AppPaths::wirelessDevicesFile()));
        WirelessStoreFile{{saved("a:1", "A", 1)}}.write();
        QVERIFY(QFileInfo(AppPaths::wirelessDevicesFile()).isDir());
        QCOMPARE(WirelessStoreFile::read(), WirelessStoreFile{});
    }
};

QTEST_GUILESS_MAIN(TestWirelessStore)
#include "tst_wirelessstore.moc"

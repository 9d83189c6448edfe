#include "AppPaths.h"
#include "TestHome.h"
#include "WirelessStoreFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace quorvane;

namespace {

SavedWirelessDevice saved(const char *address, const char *label, quint64 lastUsed)
{
    return {QString::fromUtf8(address), QString::fromUtf8(label), lastUsed};
}

} // namespace

// "wireless-devices.json": strict reading, forgiving failure, the exact file written.
class TestWirelessStore final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;

    static void writeFile(const QByteArray &content)
    {
        QFile file(AppPaths::wirelessDevicesFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
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
        QTest::newRow("devices missing") << QByteArray("{}");
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

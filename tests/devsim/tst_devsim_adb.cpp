// The simulator's adb against the project's own parsers and against the real adb's output shapes.
#include "ADBService.h"
#include "Await.h"
#include "DevSim.h"
#include "DeviceRows.h"
#include "MediaService.h"
#include "TestHome.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTest>
#include <QtEndian>

#include <memory>

using namespace quorvane;
using namespace quorvane::test;

namespace {

struct Run
{
    QByteArray out;
    QByteArray err;
    int exitCode = -1;
};

Run runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(20000))
        qFatal("%s did not finish", qPrintable(program));
    return {process.readAllStandardOutput(), process.readAllStandardError(), process.exitCode()};
}

// Written out here so the check does not share code with the writer it checks.
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
    }
    return ~crc;
}

} // namespace

class TestDevSimAdb final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;

    Run adb(const QStringList &arguments) { return runTool(m_sim->adbPath(), arguments); }
    ADBService service() const { return ADBService{m_sim->toolPaths()}; }

private slots:
    void init()
    {
        m_sim.reset();
        m_home = std::make_unique<TestHome>();
        m_sim = std::make_unique<DevSim>(*m_home);
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void listDevicesReadsEveryKindOfTransport()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"))
            .model(QStringLiteral("SM-S911B"))
            .property(QStringLiteral("ro.product.name"), QStringLiteral("dm1qxeea"))
            .property(QStringLiteral("ro.product.device"), QStringLiteral("dm1q"));
        m_sim->addPhone(QStringLiteral("192.168.1.44:5555"), DevSim::Connection::Wireless);
        m_sim->addPhone(QStringLiteral("0A1B2C3D4E5F")).state(QStringLiteral("unauthorized"));
        m_sim->addTransport(QStringLiteral("emulator-5554"), QStringLiteral("offline"));

        const QList<DeviceInfo> devices = await(service().listDevices());

        const QList<DeviceInfo> expected{
            onPort(device("R5CW20ABCDE", "device", "usb", QStringLiteral("SM_S911B"),
                          QStringLiteral("dm1qxeea"), QStringLiteral("dm1q")),
                   "1-1"),
            device("192.168.1.44:5555", "device", "wireless", QStringLiteral("Pixel_8"),
                   QStringLiteral("shiba"), QStringLiteral("shiba")),
            onPort(device("0A1B2C3D4E5F", "unauthorized", "usb"), "1-3"),
            device("emulator-5554", "offline", "usb"),
        };
        QCOMPARE(devices, expected);
    }

    void deviceTableHasTheRealLayout()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        m_sim->addPhone(QStringLiteral("adb-R5CW20ABCDE-AbC12d._adb-tls-connect._tcp"),
                        DevSim::Connection::Wireless);
        m_sim->addPhone(QStringLiteral("9A8B7C6D")).state(QStringLiteral("no permissions"));

        const Run first = adb({QStringLiteral("devices"), QStringLiteral("-l")});
        const Run second = adb({QStringLiteral("devices"), QStringLiteral("-l")});

        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.err, QByteArray("* daemon not running; starting now at tcp:5037\n"
                                       "* daemon started successfully\n"));
        QCOMPARE(second.err, QByteArray());
        QCOMPARE(
            second.out,
            QByteArray("List of devices attached\n"
                       "R5CW20ABCDE            device usb:1-1 product:shiba model:Pixel_8 device:shiba "
                       "transport_id:1\n"
                       "adb-R5CW20ABCDE-AbC12d._adb-tls-connect._tcp device product:shiba model:Pixel_8 "
                       "device:shiba transport_id:2\n"
                       "9A8B7C6D               no permissions (missing udev rules? user is in the plugdev "
                       "group); see [http://developer.android.com/tools/device.html] usb:1-3 transport_id:3\n"
                       "\n"));
    }

    void getpropAndShellThroughTheService()
    {
        const QString serial =
            m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).android(QStringLiteral("13"), 33).serial();

        QCOMPARE(await(service().getprop(serial, QStringLiteral("ro.build.version.sdk"))),
                 QStringLiteral("33"));
        QCOMPARE(await(service().getprop(serial, QStringLiteral("ro.no.such.property"))), QString());
        QCOMPARE(await(service().getprop(QStringLiteral("NOSUCH"), QStringLiteral("ro.build.version.sdk"))),
                 QString());
        const QStringList wmSize{QStringLiteral("wm"), QStringLiteral("size")};
        QCOMPARE(await(service().shell(serial, wmSize)), QStringLiteral("Physical size: 1080x2400"));
    }

    void settingsRoundTripAcrossProcesses()
    {
        const QString serial = m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).serial();
        auto settings = [&](const QStringList &words) {
            return adb(QStringList{QStringLiteral("-s"), serial, QStringLiteral("shell"),
                                   QStringLiteral("settings")} +
                       words);
        };
        const QStringList get{QStringLiteral("get"), QStringLiteral("system"),
                              QStringLiteral("show_touches")};

        QCOMPARE(settings(get).out, QByteArray("0\n"));
        QCOMPARE(settings({QStringLiteral("put"), QStringLiteral("system"), QStringLiteral("show_touches"),
                           QStringLiteral("1")})
                     .out,
                 QByteArray());
        QCOMPARE(settings(get).out, QByteArray("1\n"));
        QCOMPARE(
            m_sim->phone(QStringLiteral("phone1"))
                .read()[QStringLiteral("settings")][QStringLiteral("system")][QStringLiteral("show_touches")],
            QJsonValue(QStringLiteral("1")));
        QCOMPARE(
            settings({QStringLiteral("delete"), QStringLiteral("system"), QStringLiteral("show_touches")})
                .out,
            QByteArray("Deleted 1 rows\n"));
        QCOMPARE(settings(get).out, QByteArray("null\n"));
        QCOMPARE(
            settings({QStringLiteral("delete"), QStringLiteral("system"), QStringLiteral("show_touches")})
                .out,
            QByteArray("Deleted 0 rows\n"));
    }

    // The phone's shell splits the joined words again: an unquoted value with a space loses its tail,
    // as on a real phone.
    void shellSplitsJoinedWordsLikeThePhone()
    {
        const QString serial = m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).serial();
        adb({QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("settings"),
             QStringLiteral("put"), QStringLiteral("global"), QStringLiteral("a"),
             QStringLiteral("two words")});
        adb({QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("settings"),
             QStringLiteral("put"), QStringLiteral("global"), QStringLiteral("b"),
             QStringLiteral("'two words'")});

        const QJsonObject global = m_sim->phone(QStringLiteral("phone1"))
                                       .read()[QStringLiteral("settings")][QStringLiteral("global")]
                                       .toObject();
        QCOMPARE(global[QStringLiteral("a")].toString(), QStringLiteral("two"));
        QCOMPARE(global[QStringLiteral("b")].toString(), QStringLiteral("two words"));
    }

    void parallelWritesLoseNothing()
    {
        const QString serial = m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).serial();
        constexpr int count = 20;
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < count; ++i) {
            auto process = std::make_unique<QProcess>();
            process->start(m_sim->adbPath(),
                           {QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("settings"),
                            QStringLiteral("put"), QStringLiteral("secure"), QStringLiteral("key%1").arg(i),
                            QString::number(i)});
            processes.push_back(std::move(process));
        }
        for (auto &process : processes) {
            QVERIFY(process->waitForFinished(20000));
            QCOMPARE(process->exitCode(), 0);
        }

        const QJsonObject secure = m_sim->phone(QStringLiteral("phone1"))
                                       .read()[QStringLiteral("settings")][QStringLiteral("secure")]
                                       .toObject();
        for (int i = 0; i < count; ++i)
            QCOMPARE(secure[QStringLiteral("key%1").arg(i)].toString(), QString::number(i));
        QCOMPARE(m_sim->callArguments(QStringLiteral("adb")).size(), count);
    }

    void errorShapes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");

        const QString s = QStringLiteral("-s");
        QTest::newRow("shell, unknown serial")
            << QStringList{s, QStringLiteral("NOSUCH"), QStringLiteral("shell"), QStringLiteral("getprop")}
            << 1 << QByteArray() << QByteArray("error: device 'NOSUCH' not found\n");
        QTest::newRow("exec-out, unknown serial")
            << QStringList{s, QStringLiteral("NOSUCH"), QStringLiteral("exec-out"),
                           QStringLiteral("screencap"), QStringLiteral("-p")}
            << 255 << QByteArray() << QByteArray("error: device 'NOSUCH' not found\n");
        QTest::newRow("tcpip, unknown serial")
            << QStringList{s, QStringLiteral("NOSUCH"), QStringLiteral("tcpip"), QStringLiteral("5555")} << 1
            << QByteArray() << QByteArray("error: device 'NOSUCH' not found\n");
        QTest::newRow("shell, offline") << QStringList{s, QStringLiteral("emulator-5554"),
                                                       QStringLiteral("shell"), QStringLiteral("true")}
                                        << 1 << QByteArray() << QByteArray("error: device offline\n");
        QTest::newRow("get-state, unauthorized")
            << QStringList{s, QStringLiteral("0A1B2C3D4E5F"), QStringLiteral("get-state")} << 1
            << QByteArray()
            << QByteArray(
                   "error: device unauthorized.\nThis adb server's $ADB_VENDOR_KEYS is not set\nTry 'adb "
                   "kill-server' if that seems wrong.\nOtherwise check for a confirmation dialog on your "
                   "device.\n");
        QTest::newRow("shell without a serial, several transports")
            << QStringList{QStringLiteral("shell"), QStringLiteral("true")} << 1 << QByteArray()
            << QByteArray("error: more than one device/emulator\n");
        QTest::newRow("connect refused")
            << QStringList{QStringLiteral("connect"), QStringLiteral("127.0.0.1")} << 0
            << QByteArray("failed to connect to '127.0.0.1:5555': Connection refused\n") << QByteArray();
        QTest::newRow("connect to an unknown name")
            << QStringList{QStringLiteral("connect"), QStringLiteral("nosuchhost.invalid:5555")} << 0
            << QByteArray("failed to resolve host: 'nosuchhost.invalid': Name or service not known\n")
            << QByteArray();
        QTest::newRow("disconnect unknown")
            << QStringList{QStringLiteral("disconnect"), QStringLiteral("127.0.0.1:5555")} << 1
            << QByteArray() << QByteArray("error: no such device '127.0.0.1:5555'\n");
        QTest::newRow("pair on adb 29")
            << QStringList{QStringLiteral("pair"), QStringLiteral("127.0.0.1:37000"),
                           QStringLiteral("123456")}
            << 1 << QByteArray() << QByteArray("adb: unknown command pair\n");
        QTest::newRow("unknown phone command")
            << QStringList{s, QStringLiteral("R5CW20ABCDE"), QStringLiteral("shell"),
                           QStringLiteral("frobnicate")}
            << 127 << QByteArray() << QByteArray("/system/bin/sh: frobnicate: inaccessible or not found\n");
    }

    void errorShapes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        m_sim->setServerRunning(true);
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        m_sim->addPhone(QStringLiteral("0A1B2C3D4E5F")).state(QStringLiteral("unauthorized"));
        m_sim->addTransport(QStringLiteral("emulator-5554"), QStringLiteral("offline"));

        const Run run = adb(arguments);

        QCOMPARE(run.err, err);
        QCOMPARE(run.out, out);
        QCOMPARE(run.exitCode, exitCode);
    }

    // The display dump maps logical display 0 to the capture id screencap wants, and the image lands
    // as a file through the media service.
    void screenshotThroughTheMediaService()
    {
        const QString serial = m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).serial();
        MediaService media{m_sim->toolPaths()};
        media.mediaRootOverride = m_home->file(QStringLiteral("Media"));

        QCOMPARE(await(MediaService::screenshotDisplayID(ADBService{m_sim->toolPaths()}, serial, 0)),
                 QStringLiteral("4619827259835644672"));
        const QString path = await(media.captureScreenshot(serial, 0u));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
        QVERIFY(m_sim->callArguments(QStringLiteral("adb"))
                    .contains(QStringList{QStringLiteral("-s"), serial, QStringLiteral("exec-out"),
                                          QStringLiteral("screencap"), QStringLiteral("-d"),
                                          QStringLiteral("4619827259835644672"), QStringLiteral("-p")}));
    }

    void screencapIsAValidPng()
    {
        const QString serial = m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).screen(720, 1600, 320).serial();

        const Run run = adb({QStringLiteral("-s"), serial, QStringLiteral("exec-out"),
                             QStringLiteral("screencap"), QStringLiteral("-p")});

        QCOMPARE(run.exitCode, 0);
        const QByteArray png = run.out;
        QVERIFY(png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
        // Walk the chunks: lengths and CRCs must add up to exactly the file, IHDR first, IEND last.
        qsizetype at = 8;
        QByteArray idat;
        QStringList types;
        while (at + 12 <= png.size()) {
            const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
            const QByteArray type = png.mid(at + 4, 4);
            const QByteArray data = png.mid(at + 8, length);
            types.append(QString::fromLatin1(type));
            QCOMPARE(qFromBigEndian<quint32>(png.constData() + at + 8 + length), crc32(type + data));
            if (type == "IHDR") {
                QCOMPARE(qFromBigEndian<quint32>(data.constData()), 720u);
                QCOMPARE(qFromBigEndian<quint32>(data.constData() + 4), 1600u);
            }
            if (type == "IDAT")
                idat += data;
            at += 12 + length;
        }
        QCOMPARE(at, png.size());
        QCOMPARE(types,
                 (QStringList{QStringLiteral("IHDR"), QStringLiteral("IDAT"), QStringLiteral("IEND")}));
        QByteArray sized(4, '\0');
        qToBigEndian<quint32>(1600 * (1 + 720 * 3), sized.data());
        QCOMPARE(qUncompress(sized + idat).size(), 1600 * (1 + 720 * 3));
    }
};

QTEST_GUILESS_MAIN(TestDevSimAdb)
#include "tst_devsim_adb.moc"

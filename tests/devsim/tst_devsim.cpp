// The simulator's adb and scrcpy against the real tools' output shapes, where no test of the product
// would notice a difference. (Its window receiving shortcut keys is proven by the X11 platform tests.)
#include "DevSim.h"
#include "TestHome.h"

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

class TestDevSim final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;

    Run adb(const QStringList &arguments) { return runTool(m_sim->adbPath(), arguments); }

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

    // What the real tools answer, byte for byte (scrcpy's refusals: the line they contain), with one
    // phone ready, one unauthorized and an offline emulator.
    void answerShapes_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray none;
        const QByteArray notFound("error: device 'NOSUCH' not found\n");
        const auto adb = [](const char *name, const char *arguments, int exitCode, const QByteArray &out,
                            const QByteArray &err) {
            QTest::newRow(name) << QStringLiteral("adb") << QString::fromUtf8(arguments) << exitCode << out
                                << err;
        };
        const auto scrcpy = [](const char *name, const char *arguments, const char *err) {
            QTest::newRow(name) << QStringLiteral("scrcpy") << QString::fromUtf8(arguments) << 1
                                << QByteArray() << QByteArray(err);
        };
        adb("shell, unknown serial", "-s NOSUCH shell getprop", 1, none, notFound);
        adb("exec-out, unknown serial", "-s NOSUCH exec-out screencap -p", 255, none, notFound);
        adb("shell, offline", "-s emulator-5554 shell true", 1, none, "error: device offline\n");
        adb("get-state, unauthorized", "-s 0A1B2C3D4E5F get-state", 1, none,
            "error: device unauthorized.\nThis adb server's $ADB_VENDOR_KEYS is not set\nTry 'adb "
            "kill-server' if that seems wrong.\nOtherwise check for a confirmation dialog on your device.\n");
        adb("shell without a serial, several transports", "shell true", 1, none,
            "error: more than one device/emulator\n");
        adb("connect to an unknown name", "connect nosuchhost.invalid:5555", 0,
            "failed to resolve host: 'nosuchhost.invalid': Name or service not known\n", none);
        adb("disconnect unknown", "disconnect 127.0.0.1:5555", 1, none,
            "error: no such device '127.0.0.1:5555'\n");
        adb("pair on adb 29", "pair 127.0.0.1:37000 123456", 1, none, "adb: unknown command pair\n");
        adb("unknown phone command", "-s R5CW20ABCDE shell frobnicate", 127, none,
            "/system/bin/sh: frobnicate: inaccessible or not found\n");
        adb("settings, a key never set", "-s R5CW20ABCDE shell settings get system no_such_key", 0, "null\n",
            none);
        adb("settings, deleting a key never set", "-s R5CW20ABCDE shell settings delete system no_such_key",
            0, "Deleted 0 rows\n", none);
        adb("settings, deleting a key", "-s R5CW20ABCDE shell settings delete system show_touches", 0,
            "Deleted 1 rows\n", none);
        scrcpy("scrcpy, unknown serial", "-s NOSUCH", "ERROR: Could not find ADB device NOSUCH:");
        scrcpy("scrcpy, unknown option", "-s R5CW20ABCDE --frobnicate", "unrecognized option '--frobnicate'");
        scrcpy("scrcpy, optional value as a separate word", "-s R5CW20ABCDE --new-display 1920x1080/240",
               "ERROR: Unexpected additional argument: 1920x1080/240");
        scrcpy("scrcpy, camera option without camera source", "-s R5CW20ABCDE --camera-id=0",
               "ERROR: --camera-id is only available with --video-source=camera");
        scrcpy("scrcpy, encoder the phone lacks", "-s R5CW20ABCDE --video-encoder=OMX.qcom.video.encoder.avc",
               "[server] ERROR: Video encoder 'OMX.qcom.video.encoder.avc' for h264 not found");
    }

    void answerShapes()
    {
        QFETCH(QString, tool);
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        m_sim->setServerRunning(true);
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        m_sim->addPhone(QStringLiteral("0A1B2C3D4E5F")).state(QStringLiteral("unauthorized"));
        m_sim->addTransport(QStringLiteral("emulator-5554"), QStringLiteral("offline"));
        qputenv("ADB", m_sim->adbPath().toUtf8());
        const Run run = runTool(tool == QLatin1String("adb") ? m_sim->adbPath() : m_sim->scrcpyPath(),
                                arguments.split(QLatin1Char(' ')));
        qunsetenv("ADB");

        QCOMPARE(run.exitCode, exitCode);
        if (tool == QLatin1String("scrcpy")) {
            QVERIFY2(run.err.contains(err), run.err.constData());
            return;
        }
        QCOMPARE(run.err, err);
        QCOMPARE(run.out, out);
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

QTEST_GUILESS_MAIN(TestDevSim)
#include "tst_devsim.moc"

#include "Await.h"
#include "DevSim.h"
#include "Errors.h"
#include "FailureText.h"
#include "FileSizeLimit.h"
#include "MediaService.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTest>

using namespace quorvane;
using test::failureOf;

namespace {

const QString serial = QStringLiteral("PIXEL8");

QJsonObject display(int id, const QString &name, const QString &uniqueId, const QString &captureId,
                    const QString &type, bool blocksCapture = false)
{
    return {{QStringLiteral("id"), id},
            {QStringLiteral("name"), name},
            {QStringLiteral("uniqueId"), uniqueId},
            {QStringLiteral("captureId"), captureId},
            {QStringLiteral("type"), type},
            {QStringLiteral("blocksCapture"), blocksCapture},
            {QStringLiteral("width"), 1920},
            {QStringLiteral("height"), 1080},
            {QStringLiteral("density"), 240}};
}

} // namespace

// Phone screenshots through adb against the simulator: names, bytes, display mapping, every failure.
class TestScreenshots final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<test::DevSim> m_sim;

    MediaService media() const
    {
        MediaService service{m_sim->toolPaths()};
        service.clock = [] { return QDateTime(QDate(2025, 3, 1), QTime(14, 5, 9)); };
        return service;
    }

    QStringList lastScreencap() const
    {
        const QList<QStringList> calls = m_sim->callArguments(QStringLiteral("adb"));
        for (auto it = calls.crbegin(); it != calls.crend(); ++it) {
            if (it->contains(QStringLiteral("screencap")))
                return *it;
        }
        return {};
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<test::DevSim>(*m_home);
        m_sim->addPhone(serial).displays(QJsonArray{
            display(0, QStringLiteral("Built-in Screen"), QStringLiteral("local:4619827259835644672"),
                    QStringLiteral("4619827259835644672"), QStringLiteral("internal")),
            display(2, QStringLiteral("HDMI Screen"), QStringLiteral("local:4619827259835644673"),
                    QStringLiteral("4619827259835644673"), QStringLiteral("external")),
            display(3, QStringLiteral("Wireless Display"), QStringLiteral("wifi:AA:BB"),
                    QStringLiteral("4619827259835644674"), QStringLiteral("external")),
            display(5, QStringLiteral("Overlay"), QString(), QStringLiteral("5"), QStringLiteral("virtual"),
                    true)});
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void writesThePhonesBytesUnchanged()
    {
        const QString path = test::await(media().captureScreenshot(serial, std::nullopt));
        QCOMPARE(path, media().screenshotsRoot() + QStringLiteral("/Quorvane-2025-03-01_14-05-09.png"));
        const QStringList direct{QStringLiteral("-s"), serial, QStringLiteral("exec-out"),
                                 QStringLiteral("screencap"), QStringLiteral("-p")};
        const RawProcessResult phone = test::await(ProcessRunner::runCollectRaw(m_sim->adbPath(), direct));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), phone.stdout_);
        QCOMPARE(lastScreencap(), direct);
        // Captures within the same second are numbered rather than written over the first.
        test::await(media().captureScreenshot(serial, std::nullopt));
        test::await(media().captureScreenshot(serial, std::nullopt));
        QCOMPARE(QDir(media().screenshotsRoot()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("Quorvane-2025-03-01_14-05-09-2.png"),
                              QStringLiteral("Quorvane-2025-03-01_14-05-09-3.png"),
                              QStringLiteral("Quorvane-2025-03-01_14-05-09.png")}));
        QCOMPARE(QFileInfo(path).size(), phone.stdout_.size());
    }

    void mapsDisplaysToCaptureIds_data()
    {
        QTest::addColumn<quint32>("logicalId");
        QTest::addColumn<QString>("captureId");
        QTest::newRow("local display") << 2u << "4619827259835644673";
        QTest::newRow("looked up by name in SurfaceFlinger") << 3u << "4619827259835644674";
    }

    void mapsDisplaysToCaptureIds()
    {
        QFETCH(quint32, logicalId);
        QFETCH(QString, captureId);
        test::await(media().captureScreenshot(serial, logicalId));
        const QStringList arguments = lastScreencap();
        QCOMPARE(arguments.mid(4), (QStringList{QStringLiteral("-d"), captureId, QStringLiteral("-p")}));
    }

    void failures_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<int>("displayId");
        QTest::addColumn<QString>("message");
        QTest::newRow("display gone")
            << QJsonObject() << 9 << "deviceState: Android display 9 is no longer active.";
        QTest::newRow("virtual display blocks capture")
            << QJsonObject() << 5
            << "unchecked: This phone returned no image for display 5. Some Android builds block "
               "still "
               "capture of a virtual display; use scrcpy's screenshot shortcut (Ctrl+Alt+S) in the Desktop "
               "Mode "
               "window instead.";
        QTest::newRow("screencap fails with a message")
            << QJsonObject{{QStringLiteral("args"),
                            QJsonArray{QStringLiteral("exec-out"), QStringLiteral("screencap")}},
                           {QStringLiteral("exitCode"), 1},
                           {QStringLiteral("stderr"), QStringLiteral("  error: closed\n")}}
            << -1 << "unchecked: error: closed";
        QTest::newRow("screencap fails silently")
            << QJsonObject{{QStringLiteral("args"),
                            QJsonArray{QStringLiteral("exec-out"), QStringLiteral("screencap")}},
                           {QStringLiteral("exitCode"), 1}}
            << -1 << "unchecked: Android screenshot capture failed.";
        QTest::newRow("empty image") << QJsonObject{{QStringLiteral("args"),
                                                     QJsonArray{QStringLiteral("exec-out"),
                                                                QStringLiteral("screencap")}},
                                                    {QStringLiteral("exitCode"), 0}}
                                     << -1 << "unchecked: Android returned an empty screenshot.";
        QTest::newRow("unmapped display")
            << QJsonObject{{QStringLiteral("args"),
                            QJsonArray{QStringLiteral("shell"), QStringLiteral("dumpsys"),
                                       QStringLiteral("SurfaceFlinger")}},
                           {QStringLiteral("exitCode"), 0},
                           {QStringLiteral("stdout"),
                            QStringLiteral("Display x displayName=\"Wireless Display\"\n")}}
            << 3
            << "deviceState: Android display 3 (Wireless Display) could not be mapped for screenshot "
               "capture. Relaunch "
               "Desktop "
               "Mode and try again.";
    }

    void failures()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(int, displayId);
        QFETCH(QString, message);
        if (!fault.isEmpty())
            m_sim->addFault(fault);
        const std::optional<quint32> display =
            displayId < 0 ? std::nullopt : std::optional(quint32(displayId));
        QCOMPARE(failureOf(media().captureScreenshot(serial, display)), message);
        QVERIFY(!QFileInfo::exists(media().screenshotsRoot()) ||
                QDir(media().screenshotsRoot()).entryList(QDir::Files).isEmpty());
    }

    void desktopScreenshotCapturesTheScrcpyDisplay()
    {
        m_sim->phone(QStringLiteral("phone1"))
            .displays(QJsonArray{display(0, QStringLiteral("Built-in Screen"), QStringLiteral("local:1"),
                                         QStringLiteral("1"), QStringLiteral("internal")),
                                 display(4, QStringLiteral("scrcpy"), QStringLiteral("virtual:scrcpy"),
                                         QStringLiteral("11529215046068469762"), QStringLiteral("virtual"))});
        const QString path = test::await(media().captureDesktopScreenshot(serial));
        QVERIFY(QFileInfo(path).size() > 0);
        QCOMPARE(lastScreencap().mid(4),
                 (QStringList{QStringLiteral("-d"), QStringLiteral("11529215046068469762"),
                              QStringLiteral("-p")}));
    }

    void missingAdbIsReportedBeforeAnythingRuns()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "");
        RuntimeLocator::setWellKnownDirectoriesOverride(QStringList{});
        MediaService service;
        const QString message = failureOf(service.captureScreenshot(serial, std::nullopt));
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        qputenv("PATH", path);
        QCOMPARE(message, QStringLiteral("runtimeMissing: adb was not found: install Debian's adb package or "
                                         "Android platform-tools, then set its adb in Settings (for "
                                         "quorvanectl, --adb PATH) or put its folder on PATH."));
    }

    void saveFailuresLeaveNoFile_data()
    {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::addColumn<int>("fileSizeLimit");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder is a file") << true << 0 << "Not a directory";
        // A full disk, as far as the writer can tell: the image is twice what may still be written.
        QTest::newRow("short write") << false << 128 * 1024 << "File too large";
    }

    void saveFailuresLeaveNoFile()
    {
        QFETCH(bool, folderIsAFile);
        QFETCH(int, fileSizeLimit);
        QFETCH(QString, reason);
        MediaService service = media();
        if (folderIsAFile)
            service.screenshotsOverride = test::writeFile(m_home->file(QStringLiteral("blocker")));
        if (fileSizeLimit > 0) {
            const QStringList screencap{QStringLiteral("exec-out"), QStringLiteral("screencap")};
            m_sim->addFault(screencap, 0, {}, QString(2 * fileSizeLimit, QLatin1Char('x')));
        }
        const QString folder = service.screenshotsRoot();
        QString message;
        {
            const test::FileSizeLimit limit(fileSizeLimit);
            message = failureOf(service.captureScreenshot(serial, std::nullopt));
        }
        QCOMPARE(message,
                 QStringLiteral("error: Could not save the screenshot “%1/Quorvane-2025-03-01_14-05-09.png”: "
                                "%2.")
                     .arg(folder, reason));
        if (folderIsAFile)
            QCOMPARE(QFileInfo(folder).size(), 0);
        else
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestScreenshots)
#include "tst_screenshots.moc"

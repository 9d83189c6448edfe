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
using namespace Qt::StringLiterals;
using test::failureOf;

namespace {

const QString serial = u"PIXEL8"_s;

QJsonObject display(int id, const QString &name, const QString &uniqueId, const QString &captureId,
                    const QString &type, bool blocksCapture = false)
{
    return {{u"id"_s, id},
            {u"name"_s, name},
            {u"uniqueId"_s, uniqueId},
            {u"captureId"_s, captureId},
            {u"type"_s, type},
            {u"blocksCapture"_s, blocksCapture},
            {u"width"_s, 1920},
            {u"height"_s, 1080},
            {u"density"_s, 240}};
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
        const QList<QStringList> calls = m_sim->callArguments(u"adb"_s);
        for (auto it = calls.crbegin(); it != calls.crend(); ++it) {
            if (it->contains(u"screencap"_s))
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
            display(0, u"Built-in Screen"_s, u"local:4619827259835644672"_s, u"4619827259835644672"_s,
                    u"internal"_s),
            display(2, u"HDMI Screen"_s, u"local:4619827259835644673"_s, u"4619827259835644673"_s,
                    u"external"_s),
            display(3, u"Wireless Display"_s, u"wifi:AA:BB"_s, u"4619827259835644674"_s, u"external"_s),
            display(5, u"Overlay"_s, QString(), u"5"_s, u"virtual"_s, true)});
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void writesThePhonesBytesUnchanged()
    {
        const QString path = test::await(media().captureScreenshot(serial, std::nullopt));
        QCOMPARE(path, media().screenshotsRoot() + u"/Quorvane-2025-03-01_14-05-09.png"_s);
        const QStringList direct{u"-s"_s, serial, u"exec-out"_s, u"screencap"_s, u"-p"_s};
        const RawProcessResult phone = test::await(ProcessRunner::runCollectRaw(m_sim->adbPath(), direct));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), phone.stdout_);
        QCOMPARE(lastScreencap(), direct);
        // Captures within the same second are numbered rather than written over the first.
        test::await(media().captureScreenshot(serial, std::nullopt));
        test::await(media().captureScreenshot(serial, std::nullopt));
        QCOMPARE(
            QDir(media().screenshotsRoot()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            (QStringList{u"Quorvane-2025-03-01_14-05-09-2.png"_s, u"Quorvane-2025-03-01_14-05-09-3.png"_s,
                         u"Quorvane-2025-03-01_14-05-09.png"_s}));
    }

    void mapsDisplaysToCaptureIds_data()
    {
        QTest::addColumn<quint32>("logicalId");
        QTest::addColumn<QString>("captureId");
        QTest::newRow("local display") << 2u << u"4619827259835644673"_s;
        QTest::newRow("looked up by name in SurfaceFlinger") << 3u << u"4619827259835644674"_s;
    }

    void mapsDisplaysToCaptureIds()
    {
        QFETCH(quint32, logicalId);
        QFETCH(QString, captureId);
        test::await(media().captureScreenshot(serial, logicalId));
        const QStringList arguments = lastScreencap();
        QCOMPARE(arguments.mid(4), (QStringList{u"-d"_s, captureId, u"-p"_s}));
    }

    void failures_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<int>("displayId");
        QTest::addColumn<QString>("message");
        const auto screencap = [](int exitCode, const QString &stderr_) {
            return QJsonObject{{u"args"_s, QJsonArray{u"exec-out"_s, u"screencap"_s}},
                               {u"exitCode"_s, exitCode},
                               {u"stderr"_s, stderr_}};
        };
        QTest::newRow("display gone")
            << QJsonObject() << 9 << u"deviceState: Android display 9 is no longer active."_s;
        QTest::newRow("virtual display blocks capture")
            << QJsonObject() << 5
            << "unchecked: This phone returned no image for display 5. Some Android builds block still "
               "capture of a virtual display; use scrcpy's screenshot shortcut (Ctrl+Alt+S) in the Desktop "
               "Mode window instead.";
        QTest::newRow("screencap fails with a message")
            << screencap(1, u"  error: closed\n"_s) << -1 << u"unchecked: error: closed"_s;
        QTest::newRow("screencap fails silently")
            << screencap(1, QString()) << -1 << u"unchecked: Android screenshot capture failed."_s;
        QTest::newRow("empty image") << screencap(0, QString()) << -1
                                     << u"unchecked: Android returned an empty screenshot."_s;
        QTest::newRow("unmapped display")
            << QJsonObject{{u"args"_s, QJsonArray{u"shell"_s, u"dumpsys"_s, u"SurfaceFlinger"_s}},
                           {u"exitCode"_s, 0},
                           {u"stdout"_s, u"Display x displayName=\"Wireless Display\"\n"_s}}
            << 3
            << "deviceState: Android display 3 (Wireless Display) could not be mapped for screenshot "
               "capture. Relaunch Desktop Mode and try again.";
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
        m_sim->phone(u"phone1"_s)
            .displays(QJsonArray{
                display(0, u"Built-in Screen"_s, u"local:1"_s, u"1"_s, u"internal"_s),
                display(4, u"scrcpy"_s, u"virtual:scrcpy"_s, u"11529215046068469762"_s, u"virtual"_s)});
        const QString path = test::await(media().captureDesktopScreenshot(serial));
        QVERIFY(QFileInfo(path).size() > 0);
        QCOMPARE(lastScreencap().mid(4), (QStringList{u"-d"_s, u"11529215046068469762"_s, u"-p"_s}));
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
        QCOMPARE(message, u"runtimeMissing: adb was not found: install Debian's adb package or "
                          "Android platform-tools, then set its adb in Settings (for "
                          "quorvanectl, --adb PATH) or put its folder on PATH."_s);
    }

    void saveFailuresLeaveNoFile_data()
    {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::addColumn<int>("fileSizeLimit");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder is a file") << true << 0 << u"Not a directory"_s;
        // A full disk, as far as the writer can tell: the image is twice what may still be written.
        QTest::newRow("short write") << false << 128 * 1024 << u"File too large"_s;
    }

    void saveFailuresLeaveNoFile()
    {
        QFETCH(bool, folderIsAFile);
        QFETCH(int, fileSizeLimit);
        QFETCH(QString, reason);
        MediaService service = media();
        if (folderIsAFile)
            service.screenshotsOverride = test::writeFile(m_home->file(u"blocker"_s));
        if (fileSizeLimit > 0) {
            const QStringList screencap{u"exec-out"_s, u"screencap"_s};
            m_sim->addFault(screencap, 0, {}, QString(2 * fileSizeLimit, QLatin1Char('x')));
        }
        const QString folder = service.screenshotsRoot();
        QString message;
        {
            const test::FileSizeLimit limit(fileSizeLimit);
            message = failureOf(service.captureScreenshot(serial, std::nullopt));
        }
        QCOMPARE(message, u"error: Could not save the screenshot “%1/Quorvane-2025-03-01_14-05-09.png”: "
                          "%2."_s.arg(folder, reason));
        if (folderIsAFile)
            QCOMPARE(QFileInfo(folder).size(), 0);
        else
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestScreenshots)
#include "tst_screenshots.moc"

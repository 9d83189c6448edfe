#include "AppPaths.h"
#include "Errors.h"
#include "MediaService.h"
#include "TestHome.h"

#include <QFileInfo>
#include <QTest>

using namespace quorvane;

namespace {

MediaService atFixedTime(std::optional<QString> mediaRoot = std::nullopt)
{
    MediaService media;
    media.mediaRootOverride = std::move(mediaRoot);
    media.clock = [] { return QDateTime(QDate(2025, 3, 1), QTime(14, 5, 9)); };
    return media;
}

const char *const displayDump = R"(DISPLAY MANAGER (dumpsys display)
  Logical Displays: size=3
  Display 0:
    mDisplayId=0
    mPhase=1
    mLayerStack=0
    mHasContent=true
    mPrimaryDisplayDevice=Built-in Screen (local:4619827259835644672)
  Display 2:
    mDisplayId=2
    mPhase=1
    mPrimaryDisplayDevice=scrcpy (virtual:com.android.shell,10000,scrcpy,0)
  Display 3:
    mDisplayId=3
    mPrimaryDisplayDevice=Overlay #1
  Display 4:
    mDisplayId=4
    a
    b
    c
    d
    e
    f
    g
    h
    mPrimaryDisplayDevice=Too Far (local:9)
  Display 5:
    mDisplayId=5
    mPrimaryDisplayDevice=odd) name (x
)";

} // namespace

class TestMediaService final : public QObject
{
    Q_OBJECT

private slots:
    void recordingDestination_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("no serial") << QString() << "Quorvane-14-05-09.mp4";
        QTest::newRow("wireless serial keeps its colon") << "192.168.1.20:5555"
                                                         << "Quorvane-14-05-09-192.168.1.20:5555.mp4";
        QTest::newRow("path separators never leave the folder") << "../../evil/x"
                                                                << "Quorvane-14-05-09-.._.._evil_x.mp4";
    }

    void recordingDestination()
    {
        QFETCH(QString, serial);
        QFETCH(QString, fileName);
        test::TestHome home;
        const MediaService media = atFixedTime();
        const QString path =
            media.recordingDestination(serial.isNull() ? std::nullopt : std::optional(serial));
        const QString expectedFolder = media.mediaRoot() + QStringLiteral("/Recordings/2025-03-01");
        QCOMPARE(path, expectedFolder + QLatin1Char('/') + fileName);
        QVERIFY(QFileInfo(expectedFolder).isDir());
    }

    void recordingsOverrideAndFreshNames()
    {
        test::TestHome home;
        MediaService media = atFixedTime();
        media.recordingsOverride = home.path() + QStringLiteral("/mine");
        const QString first = media.recordingDestination(QStringLiteral("S"));
        QCOMPARE(first, home.path() + QStringLiteral("/mine/2025-03-01/Quorvane-14-05-09-S.mp4"));
        QVERIFY(QFileInfo(home.path() + QStringLiteral("/mine/2025-03-01")).isDir());
        // A relaunch within the same second gets its own file instead of recording over the first.
        test::writeFile(first);
        QCOMPARE(media.recordingDestination(QStringLiteral("S")),
                 home.path() + QStringLiteral("/mine/2025-03-01/Quorvane-14-05-09-S-2.mp4"));
    }

    void rootsFollowOverrides()
    {
        test::TestHome home;
        MediaService media = atFixedTime(home.path() + QStringLiteral("/media"));
        QCOMPARE(media.recordingsRoot(), home.path() + QStringLiteral("/media/Recordings"));
        QCOMPARE(media.screenshotsRoot(), home.path() + QStringLiteral("/media/Screenshots"));
        // The override and both its folders are made on first use.
        QVERIFY(QFileInfo(media.recordingsRoot()).isDir());
        QVERIFY(QFileInfo(media.screenshotsRoot()).isDir());
        media.screenshotsOverride = QStringLiteral("/elsewhere/shots");
        QCOMPARE(media.screenshotsRoot(), QStringLiteral("/elsewhere/shots"));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/elsewhere/shots")));
    }

    void fileSizeLimit_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("exactly 500 MiB") << qint64(524288000) << true;
        QTest::newRow("one byte more") << qint64(524288001) << false;
    }

    void fileSizeLimit()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, allowed);
        QCOMPARE(MediaService::isFileSizeAllowed(bytes), allowed);
    }

    void logicalDisplayDevice_data()
    {
        QTest::addColumn<quint32>("id");
        QTest::addColumn<QString>("name"); // "" for no device found
        QTest::addColumn<QString>("uniqueId");
        QTest::newRow("local id") << 0u << "Built-in Screen " << QStringLiteral("local:4619827259835644672");
        QTest::newRow("virtual display")
            << 2u << "scrcpy " << QStringLiteral("virtual:com.android.shell,10000,scrcpy,0");
        QTest::newRow("no parentheses") << 3u << "Overlay #1" << QString();
        QTest::newRow("device line nine lines below") << 4u << "" << QString();
        QTest::newRow("parentheses the wrong way round") << 5u << "odd) name (x" << QString();
        QTest::newRow("unknown display") << 7u << "" << QString();
    }

    void logicalDisplayDevice()
    {
        QFETCH(quint32, id);
        QFETCH(QString, name);
        QFETCH(QString, uniqueId);
        const auto device = MediaService::logicalDisplayDevice(QString::fromUtf8(displayDump), id);
        QCOMPARE(device.has_value(), !name.isEmpty());
        if (device)
            QCOMPARE(*device, (DisplayDevice{name, uniqueId}));
    }

    void surfaceflingerDisplayID_data()
    {
        QTest::addColumn<QString>("dump");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QString dump = QStringLiteral(
            "Display 4619827259835644672 (HWC display 0): port=0 pnpId=GGL displayName=\"Built-in Screen\"\n"
            "Display 11529215046068469762 (virtual) displayName=\"scrcpy\"\n"
            "Virtual display displayName=\"broken\"\n"
            "42 displayName=\"bare\"\n");
        QTest::newRow("physical") << dump << "Built-in Screen" << QStringLiteral("4619827259835644672");
        QTest::newRow("bare id first") << dump << "bare" << QStringLiteral("42");
        QTest::newRow("first token not numeric") << dump << "broken" << QString();
        QTest::newRow("missing") << dump << "other" << QString();
        QTest::newRow("single piece") << QStringLiteral("displayName=\"solo\"") << "solo" << QString();
    }

    void surfaceflingerDisplayID()
    {
        QFETCH(QString, dump);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(MediaService::surfaceflingerDisplayID(dump, name).value_or(QString()), expected);
    }

    // The texts that name the default folder must name the one media really goes to.
    void moviesFolderAsShownIsWhereMediaGoes()
    {
        test::TestHome home;
        const QString shown = AppPaths::moviesFolderForDisplay();
        QVERIFY2(shown.startsWith(QStringLiteral("~/")), qPrintable(shown));
        QCOMPARE(home.path() + shown.mid(1) + QStringLiteral("/Quorvane"), AppPaths::mediaRoot(std::nullopt));
    }

    void unwritableMediaRootFailsWithTheSystemsText()
    {
        test::TestHome home;
        // A file where a folder should be fails for root and ordinary users alike.
        const QString root = test::writeFile(home.file(QStringLiteral("blocked"))) + QStringLiteral("/media");
        try {
            AppPaths::mediaRoot(root);
            QFAIL("creating a folder under a file must fail");
        } catch (const FileSystemError &error) {
            QCOMPARE(
                error.text(),
                QStringLiteral("Could not create the folder “%1/Recordings”: Not a directory.").arg(root));
        }
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Screenshots")));
    }
};

QTEST_GUILESS_MAIN(TestMediaService)
#include "tst_mediaservice.moc"

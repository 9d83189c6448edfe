#include "ErrorCatalog.h"
#include "FallbackProfiles.h"

#include <QTest>

using namespace quorvane;

// Which line of a tool's output explains it; every known line itself is covered through the simulator.
class TestErrorCatalog final : public QObject
{
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("the cause wins over the line that follows it")
            << "INFO: Renderer: opengl\nERROR: Demuxer 'video': stream disabled due to missing decoder\n"
               "ERROR: Server connection failed"
            << "decoder-missing" << QStringList{QStringLiteral("video")};
        QTest::newRow("the generic line alone") << "ERROR: Server connection failed"
                                                << "server-connection-failed" << QStringList{};
        QTest::newRow("a warning loses to any error") << "[server] WARN: Audio disabled: it is not supported "
                                                         "before Android 11\nERROR: Server connection failed"
                                                      << "server-connection-failed" << QStringList{};
        QTest::newRow("numbers taken apart")
            << "adb server version (41) doesn't match this client (39); killing...\n* daemon started "
               "successfully"
            << "adb-server-mismatch" << QStringList{QStringLiteral("41"), QStringLiteral("39")};
        QTest::newRow("our exit code after adb's words") << "adb: device offline (exit code 1)"
                                                         << "offline" << QStringList{};
        QTest::newRow("a log label before scrcpy's words") << "scrcpy: ERROR: Could not find any ADB device"
                                                           << "no-device" << QStringList{};
        QTest::newRow("unknown") << "adb: protocol fault (exit code 1)" << QString() << QStringList{};
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(QString, id);
        QFETCH(QStringList, parts);
        const std::optional<KnownErrorMatch> match = ErrorCatalog::find(text);
        QCOMPARE(match ? match->error.id : QString(), id);
        if (match)
            QCOMPARE(match->parts, parts);
    }

    // Explaining twice, or explaining nothing known, changes nothing.
    void explainedOnce()
    {
        const QString raw = QStringLiteral("adb: device offline (exit code 1)");
        const QString once = ErrorCatalog::explained(raw);
        QCOMPARE(once,
                 QStringLiteral("Phone connection is half-open: adb sees the phone but it does not answer, "
                                "often after sleep or a cable glitch. Replug the phone, or run adb "
                                "reconnect offline.\n") +
                     raw);
        QCOMPARE(ErrorCatalog::explained(once), once);
        QCOMPARE(ErrorCatalog::explained(QStringLiteral("adb: protocol fault")),
                 QStringLiteral("adb: protocol fault"));
    }

    // A refusal with nothing left to change, or an error the rungs cannot help, walks on one rung.
    void noLeapWithoutAChange()
    {
        LaunchConfig config = LaunchConfig::defaultRecord();
        config.maxSize = 1280;
        config.maxFps = 60;
        const QList<LaunchConfig> ladder = FallbackProfiles::variants(config);
        QVERIFY(!FallbackProfiles::leap(ladder, 0, ErrorCatalog::encoderRefused));
        config.codec = QStringLiteral("h265");
        QVERIFY(!FallbackProfiles::leap(FallbackProfiles::variants(config), 0, QStringLiteral("no-device")));
    }
};

QTEST_GUILESS_MAIN(TestErrorCatalog)
#include "tst_errorcatalog.moc"

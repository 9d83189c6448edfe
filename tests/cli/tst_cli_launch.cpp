#include "DevSim.h"
#include "LaunchConfig.h"
#include "Quorvanectl.h"
#include "TestHome.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace quorvane;

// The launch-planning subcommands of quorvanectl, run as the built program.
class TestCliLaunch final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;

    QString writeJson(const QString &name, const QJsonObject &object)
    {
        return test::writeFile(m_home->file(name), QJsonDocument(object).toJson());
    }

    static LaunchConfig mirrorRecord()
    {
        LaunchConfig config = LaunchConfig::defaultRecord();
        config.serial = QStringLiteral("R5CW20ABCDE");
        config.maxSize = 1920;
        config.maxFps = 60;
        config.codec = QStringLiteral("h265");
        config.audio = true;
        config.audioSource = QStringLiteral("output");
        return config;
    }

    static QJsonObject usbPhoneProfile(bool h265)
    {
        return QJsonObject{{QStringLiteral("serial"), QStringLiteral("R5CW20ABCDE")},
                           {QStringLiteral("model"), QStringLiteral("Pixel 8")},
                           {QStringLiteral("brand"), QStringLiteral("google")},
                           {QStringLiteral("androidVersion"), QStringLiteral("14")},
                           {QStringLiteral("sdk"), 34},
                           {QStringLiteral("connectionKind"), QStringLiteral("usb")},
                           {QStringLiteral("supportsAudio"), true},
                           {QStringLiteral("supportsCamera"), true},
                           {QStringLiteral("canAttemptVirtualDisplay"), true},
                           {QStringLiteral("h265Available"), h265},
                           {QStringLiteral("av1Available"), false},
                           {QStringLiteral("videoEncoders"), QJsonArray()}};
    }

private slots:
    void init() { m_home = std::make_unique<test::TestHome>(); }
    void cleanup() { m_home.reset(); }

    void argsForms_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("output");
        QTest::newRow("one per line")
            << QStringList()
            << QStringLiteral("-s\nR5CW20ABCDE\n--max-size=1920\n--max-fps=60\n--video-codec=h265\n"
                              "--video-bit-rate=8M\n--audio-source=output\n--stay-awake\n"
                              "--no-clipboard-autosync\n--window-title=Quorvane · R5CW20ABCDE\n");
        QTest::newRow("preview")
            << QStringList{QStringLiteral("--preview")}
            << QStringLiteral("scrcpy -s R5CW20ABCDE --max-size=1920 --max-fps=60 --video-codec=h265 "
                              "--video-bit-rate=8M --audio-source=output --stay-awake "
                              "--no-clipboard-autosync \"--window-title=Quorvane · R5CW20ABCDE\"\n");
    }

    void argsForms()
    {
        QFETCH(QStringList, extra);
        QFETCH(QString, output);
        const QString file = writeJson(QStringLiteral("mirror.json"), mirrorRecord().toJson());
        const auto result = test::runQuorvanectl(QStringList{QStringLiteral("args"), file} + extra);
        QCOMPARE(result.statusCode, 0);
        QCOMPARE(result.stdout_, output);
    }

    void argsAsJsonWithARecording()
    {
        const QString file = writeJson(QStringLiteral("mirror.json"), mirrorRecord().toJson());
        const auto result =
            test::runQuorvanectl({QStringLiteral("--json"), QStringLiteral("args"), file,
                                  QStringLiteral("--recording"), QStringLiteral("/tmp/rec 1.mp4")});
        QCOMPARE(result.statusCode, 0);
        const QJsonArray arguments = test::jsonOutput(result).array();
        QCOMPARE(arguments.size(), 11);
        QCOMPARE(arguments.at(8).toString(), QStringLiteral("--record=/tmp/rec 1.mp4"));
    }

    // The decoding rules are the core's; here, that the file is named before the reason, on standard error.
    void unreadableRecordFiles()
    {
        QJsonObject record = mirrorRecord().toJson();
        record.remove(QStringLiteral("clipboardSync"));
        const QString missingKey = writeJson(QStringLiteral("bad.json"), record);
        auto result = test::runQuorvanectl({QStringLiteral("args"), missingKey});
        QCOMPARE(result.statusCode, 1);
        QCOMPARE(result.stdout_, QString());
        QCOMPARE(result.stderr_, missingKey + QStringLiteral(": The key “clipboardSync” is missing.\n"));

        const QString broken = test::writeFile(m_home->file(QStringLiteral("broken.json")), "{\"serial\": ");
        result = test::runQuorvanectl({QStringLiteral("ladder"), broken});
        QCOMPARE(result.statusCode, 1);
        QVERIFY2(result.stderr_.startsWith(broken + QStringLiteral(": not valid JSON (")),
                 qPrintable(result.stderr_));
    }

    void ladderAsJson()
    {
        LaunchConfig config = mirrorRecord();
        config.videoEncoder = QStringLiteral("c2.qti.hevc.encoder");
        const QString file = writeJson(QStringLiteral("mirror.json"), config.toJson());
        const auto result = test::runQuorvanectl({QStringLiteral("ladder"), file});
        QCOMPARE(result.statusCode, 0);
        const QJsonArray rungs = test::jsonOutput(result).array();
        QCOMPARE(rungs.size(), 5);
        // Which rungs follow is the core's rule; here, that the ladder is printed whole.
        QCOMPARE(rungs.first().toObject(), config.toJson());
    }

    void recommendFromAProfileFile()
    {
        const QString profile = writeJson(QStringLiteral("profile.json"), usbPhoneProfile(true));
        const auto result =
            test::runQuorvanectl({QStringLiteral("recommend"), QStringLiteral("--profile"), profile,
                                  QStringLiteral("--mode"), QStringLiteral("creator")});
        QCOMPARE(result.statusCode, 0);
        // The rules are the core's and checked there; here, that the file is read and the answer printed
        // whole.
        const QJsonObject recommendation = test::jsonOutput(result).object();
        QCOMPARE(recommendation.value(QStringLiteral("serial")).toString(), QStringLiteral("R5CW20ABCDE"));
        QCOMPARE(recommendation.value(QStringLiteral("codec")).toString(), QStringLiteral("h265"));
        QCOMPARE(recommendation.value(QStringLiteral("qualityLabel")).toString(),
                 QStringLiteral("Creator-ready profile"));
        QCOMPARE(recommendation.value(QStringLiteral("rationale")).toArray().size(), 3);
    }

    // What recommend prints is the record mirror starts on its own, and args and mirror read it back as it
    // is.
    void recommendedRecordFeedsArgsAndMirror()
    {
        test::DevSim sim(*m_home);
        sim.addPhone(QStringLiteral("R5CW20ABCDE"));
        sim.addLaunchRule(QJsonObject{{QStringLiteral("whenArgs"), QJsonArray()},
                                      {QStringLiteral("afterMs"), 1500},
                                      {QStringLiteral("closeWindow"), true}});
        const QStringList phone = {QStringLiteral("R5CW20ABCDE"), QStringLiteral("--adb"), sim.adbPath(),
                                   QStringLiteral("--scrcpy"), sim.scrcpyPath()};
        const auto recommended = test::runQuorvanectl(
            QStringList{QStringLiteral("recommend"), QStringLiteral("--mode"), QStringLiteral("creator")} +
            phone);
        QCOMPARE(recommended.statusCode, 0);
        const auto fed = [&recommended](const QStringList &words) {
            QProcess ctl;
            ctl.start(qEnvironmentVariable("QUORVANE_BIN_DIR") + QStringLiteral("/quorvanectl"), words);
            ctl.write(recommended.stdout_.toUtf8());
            ctl.closeWriteChannel();
            if (!ctl.waitForFinished(20000))
                qFatal("quorvanectl did not end");
            return std::pair(ctl.exitCode(), QString::fromUtf8(ctl.readAllStandardOutput()));
        };
        const auto [argsExit, arguments] = fed({QStringLiteral("args"), QStringLiteral("-")});
        QCOMPARE(argsExit, 0);
        const auto plain =
            test::runQuorvanectl(QStringList{QStringLiteral("mirror")} + phone +
                                 QStringList{QStringLiteral("--mode"), QStringLiteral("creator")});
        QCOMPARE(plain.statusCode, 0);
        QCOMPARE(fed(QStringList{QStringLiteral("mirror")} + phone +
                     QStringList{QStringLiteral("--config"), QStringLiteral("-")})
                     .first,
                 0);
        const QList<QStringList> sessions = sim.scrcpySessions();
        QCOMPARE(sessions.size(), 2);
        QCOMPARE(sessions.at(1), sessions.at(0));
        QVERIFY(sessions.at(0).contains(QStringLiteral("--show-touches")));
        QCOMPARE(sessions.at(0).first(sessions.at(0).size() - 1),
                 arguments.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    }

    void recommendWithALearnedFile()
    {
        const QString profile = writeJson(QStringLiteral("profile.json"), usbPhoneProfile(false));
        const QString learned = writeJson(QStringLiteral("learned.json"),
                                          QJsonObject{{QStringLiteral("maxSize"), 1280},
                                                      {QStringLiteral("maxFps"), 30},
                                                      {QStringLiteral("codec"), QStringLiteral("h264")},
                                                      {QStringLiteral("audio"), false}});
        const auto result = test::runQuorvanectl({QStringLiteral("recommend"), QStringLiteral("--profile"),
                                                  profile, QStringLiteral("--learned"), learned,
                                                  QStringLiteral("--mode"), QStringLiteral("mirror")});
        QCOMPARE(result.statusCode, 0);
        const QJsonObject recommendation = test::jsonOutput(result).object();
        QCOMPARE(recommendation.value(QStringLiteral("qualityLabel")).toString(),
                 QStringLiteral("Tested device profile"));
        QCOMPARE(recommendation.value(QStringLiteral("maxSize")).toInt(), 1280);
    }

    void inspectAndRecommendAPhone()
    {
        test::DevSim sim(*m_home);
        sim.putOnPath();
        sim.addPhone(QStringLiteral("R5CW20ABCDE"));
        const QStringList tools{QStringLiteral("--adb"), sim.adbPath(), QStringLiteral("--scrcpy"),
                                sim.scrcpyPath()};

        auto result = test::runQuorvanectl(
            QStringList{QStringLiteral("inspect"), QStringLiteral("R5CW20ABCDE")} + tools);
        QCOMPARE(result.statusCode, 0);
        const QJsonObject profile = test::jsonOutput(result).object();
        // The profile's JSON form is the core's round trip; here, that it is this phone's.
        QCOMPARE(profile.value(QStringLiteral("model")).toString(), QStringLiteral("Pixel 8"));

        // Without --learned the phone's learned profile comes from the store, as in the app.
        test::writeFile(
            m_home->file(QStringLiteral(".local/share/Quorvane/learned-profiles.json")),
            "{\"profiles\": {\"R5CW20ABCDE\\u001fdesktop\": {\"audio\": true, \"codec\": \"h264\", "
            "\"maxFps\": 24, \"maxSize\": 1600}}}");
        result = test::runQuorvanectl(QStringList{QStringLiteral("recommend"), QStringLiteral("R5CW20ABCDE"),
                                                  QStringLiteral("--mode"), QStringLiteral("desktop")} +
                                      tools);
        QCOMPARE(result.statusCode, 0);
        const QJsonObject recommendation = test::jsonOutput(result).object();
        QCOMPARE(recommendation.value(QStringLiteral("qualityLabel")).toString(),
                 QStringLiteral("Tested device profile"));
        QCOMPARE(recommendation.value(QStringLiteral("maxFps")).toInt(), 24);
    }
};

QTEST_GUILESS_MAIN(TestCliLaunch)
#include "tst_cli_launch.moc"

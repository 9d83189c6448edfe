#include "ApplicationVersion.h"
#include "LaunchConfig.h"
#include "Quorvanectl.h"
#include "TestHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace quorvane;

// quorvanectl's conventions, with a stand-in adb whose output we choose.
class TestCliTools final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;

    QString fakeAdb(const QString &body)
    {
        return test::writeExecutable(m_home->file(QStringLiteral("tools/adb")),
                                     QStringLiteral("#!/bin/sh\n") + body);
    }

private slots:
    void init() { m_home = std::make_unique<test::TestHome>(); }
    void cleanup() { m_home.reset(); }

    void devicesAsJson()
    {
        const QString adb =
            fakeAdb(QStringLiteral("[ \"$1 $2\" = 'devices -l' ] || exit 9\n"
                                   "echo '* daemon started successfully' >&2\n"
                                   "printf 'List of devices attached\\n"
                                   "R5CW20ABCDE            device usb:1-1 product:dm1qxeea model:SM_S911B "
                                   "device:dm1q transport_id:1\\n"
                                   "192.168.1.20:5555      unauthorized transport_id:7\\n\\n'\n"));
        const auto result = test::runQuorvanectl(
            {QStringLiteral("--json"), QStringLiteral("devices"), QStringLiteral("--adb"), adb});
        QCOMPARE(result.statusCode, 0);
        const QJsonArray expected{
            QJsonObject{{QStringLiteral("serial"), QStringLiteral("R5CW20ABCDE")},
                        {QStringLiteral("state"), QStringLiteral("device")},
                        {QStringLiteral("model"), QStringLiteral("SM_S911B")},
                        {QStringLiteral("product"), QStringLiteral("dm1qxeea")},
                        {QStringLiteral("device"), QStringLiteral("dm1q")},
                        {QStringLiteral("connectionKind"), QStringLiteral("usb")}},
            QJsonObject{{QStringLiteral("serial"), QStringLiteral("192.168.1.20:5555")},
                        {QStringLiteral("state"), QStringLiteral("unauthorized")},
                        {QStringLiteral("connectionKind"), QStringLiteral("wireless")}}};
        QCOMPARE(test::jsonOutput(result).array(), expected);
    }

    // Debian 12's scrcpy is too old for the options we pass: both forms say so, the JSON beside the
    // fields it always had.
    void runtimeRefusesAnOldScrcpy()
    {
        const QString adb = fakeAdb(
            QStringLiteral("echo 'Android Debug Bridge version 1.0.41'; echo 'Version 35.0.2-12147458'\n"));
        const QString scrcpy = test::writeExecutable(m_home->file(QStringLiteral("tools/scrcpy")),
                                                     QStringLiteral("#!/bin/sh\necho 'scrcpy 1.25 <x>'\n"));
        const QString problem =
            QStringLiteral(
                "Found scrcpy 1.25 at %1, but Quorvane needs scrcpy 4.0 or newer: unpack the scrcpy "
                "project's Linux release archive anywhere, then set its scrcpy in Settings (for "
                "quorvanectl, --scrcpy PATH) or put its folder on PATH.")
                .arg(scrcpy);
        const QStringList tools{QStringLiteral("--adb"), adb, QStringLiteral("--scrcpy"), scrcpy};
        const auto human = test::runQuorvanectl(QStringList{QStringLiteral("runtime")} + tools);
        QCOMPARE(human.statusCode, 0);
        QCOMPARE(human.stdout_, QStringLiteral("adb: %1 (Android Debug Bridge version 1.0.41)\n"
                                               "scrcpy: %2 (scrcpy 1.25 <x>)\n%3\n")
                                    .arg(adb, scrcpy, problem));
        const auto json =
            test::runQuorvanectl(QStringList{QStringLiteral("runtime"), QStringLiteral("--json")} + tools);
        QCOMPARE(json.statusCode, 0);
        const QJsonObject expected{
            {QStringLiteral("adbFound"), true},
            {QStringLiteral("scrcpyFound"), true},
            {QStringLiteral("adbPath"), adb},
            {QStringLiteral("scrcpyPath"), scrcpy},
            {QStringLiteral("adbVersion"), QStringLiteral("Android Debug Bridge version 1.0.41")},
            {QStringLiteral("scrcpyVersion"), QStringLiteral("scrcpy 1.25 <x>")},
            {QStringLiteral("adbRelease"), QStringLiteral("35.0.2")},
            {QStringLiteral("scrcpyRelease"), QStringLiteral("1.25")},
            {QStringLiteral("usable"), false},
            {QStringLiteral("problem"), problem}};
        QCOMPARE(test::jsonOutput(json).object(), expected);
        const auto doctor = test::runQuorvanectl(QStringList{QStringLiteral("doctor")} + tools);
        QVERIFY2(
            doctor.stdout_.contains(QStringLiteral("[error] scrcpy too old: ") + problem + QLatin1Char('\n')),
            qPrintable(doctor.stdout_));
    }

    void versionComesFromTheBuild()
    {
        const auto result = test::runQuorvanectl({QStringLiteral("--version")});
        QCOMPARE(result.statusCode, 0);
        QCOMPARE(result.stdout_, QStringLiteral("quorvanectl %1\n").arg(QLatin1String(applicationVersion)));
    }

    // Every command read against its table, with no phone needed: the help forms, and the words a command
    // line can get wrong. A usage error names the bad word and shows the command's usage line under it.
    void commandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("statusCode");
        QTest::addColumn<QString>("firstLine");
        // For a usage error, the line under the reason: the command's usage, or the overview's gap.
        QTest::addColumn<QString>("secondLine");
        const QString overview = QStringLiteral(
            "Usage: quorvanectl [-s SERIAL] [--adb PATH] [--scrcpy PATH] [--json] COMMAND [ARGS]");
        const QString recommend = QStringLiteral(
            "Usage: quorvanectl recommend [SERIAL] [--mode MODE] [--profile FILE] [--learned FILE]");
        const QString args = QStringLiteral("Usage: quorvanectl args FILE [--recording PATH] [--preview]");
        const QString mirror = QStringLiteral(
            "Usage: quorvanectl mirror [SERIAL] [--mode MODE] [--config FILE] [--preset NAME] [--live "
            "SETTING]... [--max-size N] [--max-fps N] [--video-codec CODEC] [--video-bit-rate RATE] "
            "[--no-audio] [--stay-awake] [--turn-screen-off] [--show-touches] [--fullscreen] [--crop "
            "W:H:X:Y] "
            "[--camera-facing FACING] [--camera-id ID] [--camera-size WxH] [--new-display[=WxH/DPI]] "
            "[--record[=PATH]] [--no-fallback] [--no-learn] [-- SCRCPY-OPTION...]");
        const QString profiles =
            QStringLiteral("Usage: quorvanectl profiles list|forget [SERIAL] [--mode MODE]");
        const QString presets =
            QStringLiteral("Usage: quorvanectl presets list|save|show|delete [NAME] [--config FILE]");
        const QString screenshot = QStringLiteral("Usage: quorvanectl screenshot [SERIAL] [--display-id N]");
        const QString desktop =
            QStringLiteral("Usage: quorvanectl desktop probe|enable|restore [SERIAL] [--yes]");
        auto row = [](const char *name, const char *line, int code, const QString &first,
                      const QString &second = {}) {
            QTest::newRow(name) << QString::fromLatin1(line) << code << first << second;
        };

        row("--help", "--help", 0, overview);
        row("-h", "-h --json", 0, overview);
        row("help", "help", 0, overview);
        row("no command", "", 2, QStringLiteral("Missing command."));
        row("unknown command", "frobnicate", 2, QStringLiteral("Unknown command: frobnicate"));
        row("unknown option before the command", "--bogus devices", 2,
            QStringLiteral("Unknown option: --bogus"));

        row("help devices", "help devices", 0, QStringLiteral("Usage: quorvanectl devices"));
        row("devices --bogus", "devices --bogus", 2, QStringLiteral("Unknown option for devices: --bogus"),
            QStringLiteral("Usage: quorvanectl devices"));
        row("inspect -h", "inspect -h", 0, QStringLiteral("Usage: quorvanectl inspect [SERIAL]"));
        row("inspect two phones", "inspect A B", 2, QStringLiteral("Unexpected argument: B"),
            QStringLiteral("Usage: quorvanectl inspect [SERIAL]"));
        row("recommend without a mode", "recommend A", 2, QStringLiteral("--mode is required."), recommend);
        const QString badMode =
            QStringLiteral("Invalid value for --mode: bogus (valid: mirror, creator, camera, desktop)");
        row("recommend --mode bogus", "recommend A --mode bogus", 2, badMode, recommend);
        row("recommend a phone and a profile", "recommend A --profile p.json --mode=camera", 2,
            QStringLiteral("recommend takes SERIAL or --profile FILE, not both."), recommend);
        row("args option without value", "args f.json --recording", 2,
            QStringLiteral("--recording needs a value."), args);
        row("args flag with a value", "args f.json --preview=yes", 2,
            QStringLiteral("--preview takes no value."), args);
        row("pair without a code", "pair 192.168.1.20:37000", 2, QStringLiteral("Missing CODE."),
            QStringLiteral("Usage: quorvanectl pair ADDRESS CODE"));
        row("forget without an address", "forget", 2, QStringLiteral("Missing ADDRESS."),
            QStringLiteral("Usage: quorvanectl forget ADDRESS"));
        row("desktop without an action", "desktop", 2, QStringLiteral("Missing ACTION."), desktop);
        row("desktop bogus", "desktop bogus A", 2,
            QStringLiteral("Invalid value for ACTION: bogus (valid: probe, enable, restore)"), desktop);
        row("mirror --help", "mirror --help", 0, mirror);
        row("mirror --live that is no phone setting", "mirror P --live fullscreen", 2,
            QStringLiteral("Invalid value for --live: fullscreen (valid: showTouches, stayAwake)"), mirror);
        row("mirror two modes", "mirror P --mode mirror --mode=camera", 2,
            QStringLiteral("--mode is given twice."), mirror);
        row("mirror two phones", "-s A mirror B", 2,
            QStringLiteral("Two phones named: -s A and B; name one."), mirror);
        // Launch flags are read before any phone is asked for; a missing record is the first thing that
        // fails once they pass.
        const QString missingRecord = QStringLiteral("/nonexistent.json: No such file or directory.");
        row("mirror flags over a record",
            "mirror P --config /nonexistent.json --max-size=1920 --max-fps 60 "
            "--video-codec=h265 --video-bit-rate 16M --no-audio --stay-awake --turn-screen-off "
            "--show-touches "
            "--fullscreen --crop 1080:1920:0:0 --record --no-fallback --no-learn -- --window-borderless -b",
            1, missingRecord);
        const auto invalid = [](const char *option, const char *value, const char *valid) {
            return QStringLiteral("Invalid value for %1: %2 (valid: %3)")
                .arg(QLatin1String(option), QLatin1String(value), QLatin1String(valid));
        };
        row("mirror negative size", "mirror P --max-size -1", 2,
            invalid("--max-size", "-1", "a whole number, 0 or more"), mirror);
        row("mirror unknown codec", "mirror P --video-codec=vp9", 2,
            invalid("--video-codec", "vp9", "h264, h265, av1"), mirror);
        const char *bitRates = "1M to 200M in whole megabits, such as 8M, 8000K or 8000000";
        row("mirror bit rate too high", "mirror P --video-bit-rate 500M", 2,
            invalid("--video-bit-rate", "500M", bitRates), mirror);
        row("mirror bit rate in another unit", "mirror P --video-bit-rate=8Mb", 2,
            invalid("--video-bit-rate", "8Mb", bitRates), mirror);
        row("mirror crop with a gap", "mirror P --crop 1080::1920:0", 2,
            invalid("--crop", "1080::1920:0", "WIDTH:HEIGHT:X:Y in whole pixels, width and height above 0"),
            mirror);
        row("mirror camera size of one side", "mirror P --camera-size 1920", 2,
            invalid("--camera-size", "1920", "WIDTHxHEIGHT, each 1 to 7680"), mirror);
        row("mirror camera facing up", "mirror P --camera-facing up", 2,
            invalid("--camera-facing", "up", "front, back, external"), mirror);
        row("mirror display too small", "mirror P --new-display=100x100", 2,
            invalid("--new-display", "100x100",
                    "WIDTHxHEIGHT/DPI, either part alone, sides 480 to 7680, DPI 120 to 640"),
            mirror);
        // As with scrcpy, an optional value is joined with "=".
        row("mirror display size as its own word", "mirror P --new-display 1920x1080", 2,
            QStringLiteral("Unexpected argument: 1920x1080"), mirror);
        row("mirror record to an unknown container", "mirror P --record=clip.avi", 2,
            invalid("--record", "clip.avi", "a file name ending in .mp4 or .mkv"), mirror);
        row("mirror record into a missing folder", "mirror P --record=/nonexistent/clip.mp4", 1,
            QStringLiteral(
                "Cannot record to /nonexistent/clip.mp4: the folder /nonexistent does not exist."));
        row("mirror camera flag in another mode", "mirror P --mode mirror --camera-id 0", 2,
            QStringLiteral("--camera-id is for camera mode, not mirror."), mirror);
        row("mirror camera chosen twice", "mirror P --camera-id 0 --camera-facing back", 2,
            QStringLiteral("--camera-id and --camera-facing both choose the camera; give one."), mirror);
        row("mirror flags of two modes", "mirror P --camera-id 0 --new-display", 2,
            QStringLiteral("--new-display is for desktop mode, not camera."), mirror);
        row("mirror record and a preset", "mirror P --config c.json --preset Fast", 2,
            QStringLiteral("--config and --preset both give the settings; give one."), mirror);
        row("mirror unknown preset", "mirror P --preset Fast", 1, QStringLiteral("No preset is named Fast."));

        row("profiles list in a bogus mode", "profiles list --mode bogus", 2,
            QStringLiteral("Invalid value for --mode: bogus (valid: mirror, creator, camera, desktop)"),
            profiles);
        row("presets save without a record", "presets save Fast", 2,
            QStringLiteral("presets save needs --config FILE."), presets);
        row("presets show without a name", "presets show", 2, QStringLiteral("presets show needs NAME."),
            presets);
        row("presets list with a name", "presets list Fast", 2, QStringLiteral("Unexpected argument: Fast"),
            presets);
        row("presets delete with a record", "presets delete Fast --config c.json", 2,
            QStringLiteral("--config is for presets save."), presets);

        row("screenshot negative display", "screenshot P --display-id -1", 2,
            QStringLiteral("Invalid value for --display-id: -1 (valid: a whole number, 0 or more)"),
            screenshot);

        // A tool named on the command line is never swapped for another found elsewhere.
        row("scrcpy that does not exist", "runtime --scrcpy /x/scrcpy", 2,
            QStringLiteral("--scrcpy: /x/scrcpy does not exist."),
            QStringLiteral("Usage: quorvanectl runtime"));
        row("adb that cannot be run", "devices --adb=/etc/passwd", 2,
            QStringLiteral("--adb: /etc/passwd is not an executable file."),
            QStringLiteral("Usage: quorvanectl devices"));
        row("blank tool path", "devices --adb=", 2, QStringLiteral("--adb needs a value."),
            QStringLiteral("Usage: quorvanectl devices"));
    }

    void commandLines()
    {
        QFETCH(QString, line);
        QFETCH(int, statusCode);
        QFETCH(QString, firstLine);
        QFETCH(QString, secondLine);
        const auto result = test::runQuorvanectl(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        QCOMPARE(result.statusCode, statusCode);
        const QString &shown = statusCode == 0 ? result.stdout_ : result.stderr_;
        QCOMPARE(shown.section(QLatin1Char('\n'), 0, 0), firstLine);
        if (statusCode != 0)
            QCOMPARE(shown.section(QLatin1Char('\n'), 1, 1), secondLine);
        QCOMPARE(statusCode == 0 ? result.stderr_ : result.stdout_, QString());
    }

    // Help is read by people deciding what to type: every option of a command is there with the values
    // it takes.
    void helpNamesEveryValue()
    {
        const auto result = test::runQuorvanectl({QStringLiteral("help"), QStringLiteral("mirror")});
        QCOMPARE(result.statusCode, 0);
        QVERIFY2(result.stdout_.contains(QStringLiteral("  --mode mirror|creator|camera|desktop\n")),
                 qPrintable(result.stdout_));
        QVERIFY2(
            result.stdout_.contains(QStringLiteral("  -- SCRCPY-OPTION...     passed to scrcpy as given, "
                                                   "after Quorvane's own options; not checked\n")),
            qPrintable(result.stdout_));
        const auto overview = test::runQuorvanectl({QStringLiteral("--help")});
        for (const QString &command :
             {QStringLiteral("runtime"), QStringLiteral("desktop probe|enable|restore [SERIAL]"),
              QStringLiteral("mirror [SERIAL]"), QStringLiteral("help [COMMAND]")})
            QVERIFY2(overview.stdout_.contains(QStringLiteral("\n  ") + command), qPrintable(command));
        QVERIFY(overview.stdout_.contains(QStringLiteral("\n  -s SERIAL ")));
    }

    // The stores the application keeps, kept from the command line: each step's exit code and what it
    // printed (standard output, or standard error for a failure), in turn.
    void storeCommands_data()
    {
        QTest::addColumn<QStringList>("steps");
        const auto steps = [](std::initializer_list<const char *> words) {
            QStringList list;
            for (const char *word : words)
                list << QString::fromUtf8(word);
            return list;
        };
        // One step a line: the command line, then its exit code and what it printed.
        // clang-format off
        QTest::newRow("presets") << steps({
            "presets list", "0 No presets.",
            "presets save Fast --config <record>", "0 Saved preset Fast.",
            "presets save Slow --config <record>", "0 Saved preset Slow.",
            "presets list", "0 Fast: mirror, max size 1920, max fps 60, codec h265, bit rate 12.0M, audio on\n"
                            "Slow: mirror, max size 1920, max fps 60, codec h265, bit rate 12.0M, audio on",
            "presets save Fast --config <other>", "0 Replaced preset Fast.",
            "presets show Fast", "0 Fast: camera, max size 800, max fps 24, codec av1, bit rate 4.0M, audio off\n"
                                 "id: <id>",
            "presets delete Fast", "0 Deleted preset Fast.",
            "presets show Fast", "1 No preset is named Fast.",
            "presets delete Fast", "1 No preset is named Fast.",
            "presets list", "0 Slow: mirror, max size 1920, max fps 60, codec h265, bit rate 12.0M, audio on"});
        QTest::newRow("learned profiles") << steps({
            "profiles list", "0 No learned profiles.",
            "<learn>", "",
            "profiles list", "0 192.168.1.20:5555 mirror: max size 1280, max fps 30, codec h264, audio off\n"
                             "PIXEL8 camera: max size 1280, max fps 30, codec h264, audio off\n"
                             "PIXEL8 mirror: max size 1280, max fps 30, codec h264, audio off",
            "profiles forget PIXEL8 --mode=camera", "0 Forgot the learned profiles of PIXEL8: camera.",
            "profiles forget PIXEL8 --mode=camera", "1 No learned profile for PIXEL8 in camera mode.",
            "-s PIXEL8 profiles list", "0 PIXEL8 mirror: max size 1280, max fps 30, codec h264, audio off",
            "-s PIXEL8 profiles forget", "0 Forgot the learned profiles of PIXEL8: mirror.",
            "profiles forget PIXEL8", "1 No learned profile for PIXEL8.",
            "profiles list --json", R"(0 [{"audio":false,"codec":"h264","maxFps":30,"maxSize":1280,)"
                                    R"("mode":"mirror","serial":"192.168.1.20:5555"}])",
            // The phone at that address is PIXEL8: what was learned for it goes too.
            "<learn>", "",
            "profiles forget 192.168.1.20:5555 --adb <adb>", "0 Forgot the learned profiles of "
                                                             "192.168.1.20:5555: camera, mirror.",
            "profiles list", "0 No learned profiles."});
        // clang-format on
    }

    void storeCommands()
    {
        QFETCH(QStringList, steps);
        LaunchConfig record = LaunchConfig::defaultRecord();
        record.maxSize = 1920;
        record.maxFps = 60;
        record.codec = QStringLiteral("h265");
        record.videoBitRate = 12;
        record.audio = true;
        LaunchConfig other = record;
        other.mode = QStringLiteral("camera");
        other.maxSize = 800;
        other.maxFps = 24;
        other.codec = QStringLiteral("av1");
        other.videoBitRate = 4;
        other.audio = false;
        const auto write = [this](const QString &name, const LaunchConfig &config) {
            test::writeFile(m_home->file(name), QJsonDocument(config.toJson()).toJson());
        };
        write(QStringLiteral("record.json"), record);
        write(QStringLiteral("other.json"), other);
        const QString adb = fakeAdb(QStringLiteral("[ \"$*\" = '-s 192.168.1.20:5555 shell getprop "
                                                   "ro.boot.serialno' ] && echo PIXEL8\n"));
        for (qsizetype i = 0; i < steps.size(); i += 2) {
            if (steps[i] == QLatin1String("<learn>")) {
                QFile store(m_home->file(QStringLiteral(".local/share/Quorvane/learned-profiles.json")));
                QVERIFY(store.open(QIODevice::WriteOnly));
                store.write(
                    R"({"profiles": {)"
                    R"("PIXEL8\u001fmirror": {"audio": false, "codec": "h264", "maxFps": 30, "maxSize": 1280},)"
                    R"("PIXEL8\u001fcamera": {"audio": false, "codec": "h264", "maxFps": 30, "maxSize": 1280},)"
                    R"("192.168.1.20:5555\u001fmirror": {"audio": false, "codec": "h264", "maxFps": 30,)"
                    R"( "maxSize": 1280}}})");
                continue;
            }
            QString line = steps[i];
            line.replace(QStringLiteral("<adb>"), adb)
                .replace(QStringLiteral("<record>"), m_home->file(QStringLiteral("record.json")))
                .replace(QStringLiteral("<other>"), m_home->file(QStringLiteral("other.json")));
            const auto result = test::runQuorvanectl(line.split(QLatin1Char(' ')));
            const int expectedCode = steps[i + 1].left(1).toInt();
            const QString printed = (expectedCode == 0 ? result.stdout_ : result.stderr_).trimmed();
            const QString shown =
                line.contains(QStringLiteral("--json"))
                    ? QString::fromUtf8(
                          QJsonDocument::fromJson(printed.toUtf8()).toJson(QJsonDocument::Compact))
                    : printed.section(QLatin1Char('\n'), 0, expectedCode == 2 ? 0 : -1);
            // A preset's id is new each time it is saved.
            static const QRegularExpression id(
                QStringLiteral("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"));
            QCOMPARE(
                QStringLiteral("%1 %2").arg(result.statusCode).arg(shown).replace(id, QStringLiteral("<id>")),
                steps[i + 1]);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliTools)
#include "tst_cli_tools.moc"

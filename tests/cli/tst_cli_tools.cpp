#include "ApplicationVersion.h"
#include "Quorvanectl.h"
#include "TestHome.h"

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

    void failureTextGoesToStandardError()
    {
        const QString adb = fakeAdb(QStringLiteral("echo 'adb: protocol fault' >&2; exit 1\n"));
        const auto result = test::runQuorvanectl({QStringLiteral("devices"), QStringLiteral("--adb"), adb});
        QCOMPARE(result.statusCode, 1);
        QCOMPARE(result.stderr_, QStringLiteral("adb: protocol fault (exit code 1)\n"));
        QCOMPARE(result.stdout_, QString());
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
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))
                    .match(QLatin1String(applicationVersion))
                    .hasMatch());
    }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("no command") << QStringList{} << "Missing command.";
        QTest::newRow("unknown command")
            << QStringList{QStringLiteral("frobnicate")} << "Unknown command: frobnicate";
        QTest::newRow("option without value")
            << QStringList{QStringLiteral("devices"), QStringLiteral("--adb")} << "--adb needs a value.";
        QTest::newRow("stray argument") << QStringList{QStringLiteral("devices"), QStringLiteral("extra")}
                                        << "Unexpected argument: extra";
        QTest::newRow("live setting that is no phone setting")
            << QStringList{QStringLiteral("mirror"), QStringLiteral("PIXEL8"), QStringLiteral("--live"),
                           QStringLiteral("fullscreen")}
            << "--live takes showTouches or stayAwake.";
        // A tool named on the command line is never swapped for another found elsewhere.
        QTest::newRow("scrcpy that does not exist")
            << QStringList{QStringLiteral("runtime"), QStringLiteral("--scrcpy"), QStringLiteral("/x/scrcpy")}
            << "--scrcpy: /x/scrcpy does not exist.";
        QTest::newRow("adb that cannot be run")
            << QStringList{QStringLiteral("devices"), QStringLiteral("--adb"), QStringLiteral("/etc/passwd")}
            << "--adb: /etc/passwd is not an executable file.";
        QTest::newRow("blank tool path")
            << QStringList{QStringLiteral("devices"), QStringLiteral("--adb"), QStringLiteral(" ")}
            << "--adb needs a value.";
    }

    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, firstLine);
        const auto result = test::runQuorvanectl(arguments);
        QCOMPARE(result.statusCode, 2);
        QCOMPARE(result.stderr_.section(QLatin1Char('\n'), 0, 0), firstLine);
        QVERIFY(result.stderr_.contains(QStringLiteral("Usage: quorvanectl")));
    }
};

QTEST_GUILESS_MAIN(TestCliTools)
#include "tst_cli_tools.moc"

// Running outside programs, and finding and judging the adb and scrcpy to run.
#include "Await.h"
#include "Errors.h"
#include "OutputLines.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "TestHome.h"
#include "ToolPaths.h"

#include <QFile>
#include <QTest>

#include <QCoroTask>

using namespace quorvane;

namespace {

const QString shell = QStringLiteral("/bin/sh");

QStringList script(const QString &text)
{
    return {QStringLiteral("-c"), text};
}

} // namespace

class TestRuntime final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    QByteArray m_path;

    QString tool(const QString &relative, const QString &script = QStringLiteral("#!/bin/sh\nexit 0\n"))
    {
        return test::writeExecutable(m_home->file(relative), script);
    }
    QString dir(const QString &relative) const { return m_home->path() + QLatin1Char('/') + relative; }

private slots:
    void initTestCase() { m_path = qgetenv("PATH"); }

    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        RuntimeLocator::setBundledDirectoryOverride(std::nullopt);
        RuntimeLocator::setWellKnownDirectoriesOverride(
            QStringList{dir(QStringLiteral("homebrew")), dir(QStringLiteral("local"))});
    }

    void cleanup()
    {
        RuntimeLocator::setBundledDirectoryOverride(std::nullopt);
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        qputenv("PATH", m_path);
        m_home.reset();
    }

    // A pipe read may end anywhere: inside a line, inside a UTF-8 character. Lines come out whole, as the
    // child wrote them, and a line with a byte that is not UTF-8 still comes out.
    void outputLinesSurviveSplitReads_data()
    {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("atTheEnd");

        QTest::newRow("character split") << QList<QByteArray>{"caf\xc3", "\xa9 ok\n"}
                                         << QStringList{QStringLiteral("caf\u00e9 ok")} << QStringList();
        QTest::newRow("line ends and blank lines")
            << QList<QByteArray>{"a\r\n\n  \nb\n"} << QStringList{QStringLiteral("a"), QStringLiteral("b")}
            << QStringList();
        QTest::newRow("last line without a newline")
            << QList<QByteArray>{"a\nb"} << QStringList{QStringLiteral("a")}
            << QStringList{QStringLiteral("b")};
        QTest::newRow("byte that is not UTF-8")
            << QList<QByteArray>{"bad \xff byte\n"} << QStringList{QStringLiteral("bad \ufffd byte")}
            << QStringList();
    }

    void outputLinesSurviveSplitReads()
    {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, atTheEnd);
        OutputLines output;
        QStringList seen;
        for (const QByteArray &read : reads)
            seen += output.take(read);
        QCOMPARE(seen, lines);
        QCOMPARE(output.finish(), atTheEnd);
        QCOMPARE(output.finish(), QStringList());
    }

    // The text is what output() returns, or, with an exit code other than 0, the error's text.
    void outputRule_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("exitCode");

        QTest::newRow("silent success") << "exit 0" << QString() << 0;
        QTest::newRow("stderr only on success") << "printf abc >&2" << QStringLiteral("abc") << 0;
        QTest::newRow("stdout preferred on success")
            << "echo out; echo err >&2" << QStringLiteral("out") << 0;
        QTest::newRow("trimmed") << "printf '  \\n\\tvalue \\n\\n'" << QStringLiteral("value") << 0;
        QTest::newRow("silent failure")
            << "exit 1" << QStringLiteral("Command failed without output. (exit code 1)") << 1;
        QTest::newRow("stderr preferred on failure")
            << "echo out; echo ' err ' >&2; exit 3" << QStringLiteral("err (exit code 3)") << 3;
        QTest::newRow("stdout when stderr is empty")
            << "echo only-out; exit 2" << QStringLiteral("only-out (exit code 2)") << 2;
    }

    void outputRule()
    {
        QFETCH(QString, command);
        QFETCH(QString, text);
        QFETCH(int, exitCode);
        try {
            const QString output = test::await(ProcessRunner::output(shell, script(command)));
            QVERIFY2(exitCode == 0, "the command should have failed");
            QCOMPARE(output, text);
        } catch (const ProcessError &error) {
            QVERIFY2(exitCode != 0, qPrintable(error.text()));
            QCOMPARE(error.text(), text);
            QCOMPARE(error.kind(), ProcessError::Kind::LaunchFailed);
            QCOMPARE(error.exitCode(), exitCode);
        }
    }

    void collectsLargeOutputOnBothStreams()
    {
        const auto result = test::await(ProcessRunner::runCollect(
            shell, script(QStringLiteral("head -c 3000000 /dev/zero | tr '\\0' a & "
                                         "head -c 2000000 /dev/zero | tr '\\0' b >&2; wait"))));
        QCOMPARE(result.stdout_.size(), 3000000);
        QCOMPARE(result.stderr_.size(), 2000000);
        QCOMPARE(result.stdout_.count(QLatin1Char('a')), 3000000);
        QVERIFY(result.exitedCleanly);
    }

    // A normal exit's code is outputRule's; a signal's number takes its place.
    void reportsTheKillingSignal()
    {
        const auto result =
            test::await(ProcessRunner::runCollect(shell, script(QStringLiteral("kill -9 $$"))));
        QCOMPARE(result.statusCode, 9);
        QVERIFY(!result.exitedCleanly);
    }

    void mergesEnvironment()
    {
        qputenv("QUORVANE_INHERITED", "kept");
        const Environment environment{{QStringLiteral("PATH"), QStringLiteral("/nowhere:/usr/bin:/bin")},
                                      {QStringLiteral("QUORVANE_ADDED"), QStringLiteral("added")}};
        const QString text = test::await(ProcessRunner::output(
            shell, script(QStringLiteral("echo \"$PATH|$QUORVANE_ADDED|$QUORVANE_INHERITED\"")),
            environment));
        QCOMPARE(text, QStringLiteral("/nowhere:/usr/bin:/bin|added|kept"));
    }

    void refusesUnusableExecutables_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::newRow("bare name") << "adb";
        QTest::newRow("folder") << "/tmp";
        QTest::newRow("not executable") << "$HOME/plain";
    }

    void refusesUnusableExecutables()
    {
        QFETCH(QString, executable);
        test::writeFile(m_home->file(QStringLiteral("plain")));
        executable.replace(QStringLiteral("$HOME"), m_home->path());
        try {
            test::await(ProcessRunner::runCollect(executable, {}));
            QFAIL("the run should have been refused");
        } catch (const ProcessError &error) {
            QCOMPARE(error.kind(), ProcessError::Kind::SpawnFailed);
            QCOMPARE(error.text(),
                     QStringLiteral("Process spawn failed: Executable not found at %1.").arg(executable));
        }
    }

    void passesOnTheSystemsStartFailure()
    {
        // Executable bits but no interpreter line and no machine code: the kernel refuses to run it.
        const QString path =
            test::writeExecutable(m_home->file(QStringLiteral("bin/broken")), QStringLiteral("\x01\x02"));
        try {
            test::await(ProcessRunner::runCollect(path, {}));
            QFAIL("the start should have failed");
        } catch (const ProcessError &) {
            QFAIL("a start refused by the system is not a ProcessError");
        } catch (const FileSystemError &error) {
            QVERIFY(!error.text().isEmpty());
        }
    }

    void runsManyCommandsAtOnce()
    {
        constexpr int count = 24;
        auto all = []() -> QCoro::Task<QStringList> {
            std::vector<QCoro::Task<QString>> tasks;
            for (int i = 0; i < count; ++i)
                tasks.push_back(
                    ProcessRunner::output(shell, script(QStringLiteral("sleep 0.2; echo %1").arg(i))));
            QStringList outputs;
            for (auto &task : tasks)
                outputs.append(co_await task);
            co_return outputs;
        };
        QElapsedTimer timer;
        timer.start();
        const QStringList outputs = test::await(all());
        QCOMPARE(outputs.size(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(outputs.at(i), QString::number(i));
        QVERIFY2(timer.elapsed() < 0.2 * count * 1000 / 2, "the commands did not run concurrently");
    }

    // An override is trimmed of spaces and tabs; one that cannot be run falls through to the bundle.
    void overrideOrBundle_data()
    {
        QTest::addColumn<QString>("override"); // $HOME stands for the test's home folder
        QTest::addColumn<QString>("found");
        QTest::newRow("trimmed of spaces and tabs") << " \t$HOME/custom/adb  "
                                                    << "custom/adb";
        QTest::newRow("not executable") << "$HOME/plain/adb"
                                        << "bundle/adb";
        QTest::newRow("blank") << " \t "
                               << "bundle/adb";
        QTest::newRow("line break is not trimmed") << "\n$HOME/bundle/adb"
                                                   << "bundle/adb";
    }

    void overrideOrBundle()
    {
        QFETCH(QString, override);
        QFETCH(QString, found);
        tool(QStringLiteral("custom/adb"));
        test::writeFile(m_home->file(QStringLiteral("plain/adb")));
        tool(QStringLiteral("bundle/adb"));
        RuntimeLocator::setBundledDirectoryOverride(dir(QStringLiteral("bundle")));
        const auto resolution = RuntimeLocator::resolveWithSource(
            QStringLiteral("adb"), override.replace(QStringLiteral("$HOME"), m_home->path()));
        QCOMPARE(resolution.path, dir(found));
        QVERIFY(resolution.source ==
                (found == QLatin1String("custom/adb") ? RuntimeSource::Override : RuntimeSource::Bundled));
    }

    // Each folder must hold both tools; an installed copy keeps an unpacked scrcpy release in share/.
    void bundledRuntimeBesideOrUnderShare_data()
    {
        QTest::addColumn<QStringList>("tools");
        QTest::addColumn<QString>("runtime"); // "" for none
        QTest::newRow("under share") << QStringList{QStringLiteral("share/quorvane/scrcpy"),
                                                    QStringLiteral("share/quorvane/adb")}
                                     << "share/quorvane";
        QTest::newRow("one tool in each folder")
            << QStringList{QStringLiteral("bin/scrcpy"), QStringLiteral("share/quorvane/adb")} << "";
        QTest::newRow("beside wins") << QStringList{QStringLiteral("bin/scrcpy"), QStringLiteral("bin/adb"),
                                                    QStringLiteral("share/quorvane/scrcpy"),
                                                    QStringLiteral("share/quorvane/adb")}
                                     << "bin";
    }

    void bundledRuntimeBesideOrUnderShare()
    {
        QFETCH(QStringList, tools);
        QFETCH(QString, runtime);
        for (const QString &relative : tools)
            tool(relative);
        const auto expected = runtime.isEmpty() ? std::nullopt : std::optional(dir(runtime));
        QCOMPARE(RuntimeLocator::bundledRuntimeIn(dir(QStringLiteral("bin"))), expected);
    }

    void firstWellKnownDirectoryWins()
    {
        tool(QStringLiteral("local/scrcpy"));
        const QString homebrew = tool(QStringLiteral("homebrew/scrcpy"));
        const auto found = RuntimeLocator::resolveWithSource(QStringLiteral("scrcpy"), std::nullopt);
        QCOMPARE(found.path, homebrew);
        QVERIFY(found.source == RuntimeSource::External);
    }

    void pathIsSplitSkippingEmptyPieces()
    {
        tool(QStringLiteral("second/adb"));
        tool(QStringLiteral("first/other"));
        qputenv("PATH", QStringLiteral(":%1::%2:")
                            .arg(dir(QStringLiteral("first")), dir(QStringLiteral("second")))
                            .toUtf8());
        const auto found = RuntimeLocator::resolveWithSource(QStringLiteral("adb"), std::nullopt);
        QCOMPARE(found.path, dir(QStringLiteral("second/adb")));
        QVERIFY(found.source == RuntimeSource::Path);
    }

    void nothingFound()
    {
        qunsetenv("PATH");
        const auto found = RuntimeLocator::resolveWithSource(QStringLiteral("adb"), std::nullopt);
        QCOMPARE(found.path, std::nullopt);
        QCOMPARE(found.source, std::nullopt);
        const ToolPaths paths;
        QCOMPARE(paths.adb(), QStringLiteral("adb"));
        try {
            paths.scrcpy();
            QFAIL("a missing scrcpy must be reported");
        } catch (const ScrcpyError &error) {
            QCOMPARE(error.kind(), ScrcpyError::Kind::RuntimeMissing);
            QVERIFY(error.text().startsWith(QStringLiteral("scrcpy was not found, but Quorvane needs")));
        }
    }

    void serverFileIsFoundForTheBundle_data()
    {
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QString>("server");
        const QString server = QStringLiteral("app/share/quorvane/scrcpy-server");
        QTest::newRow("tools beside the executable") << "app/bin" << server;
        QTest::newRow("unpacked release under share") << "app/share/quorvane" << server;
    }

    void serverFileIsFoundForTheBundle()
    {
        QFETCH(QString, bundle);
        QFETCH(QString, server);
        RuntimeLocator::setBundledDirectoryOverride(dir(bundle));
        QCOMPARE(RuntimeLocator::bundledServerPath(), std::nullopt);
        test::writeFile(m_home->file(server));
        QCOMPARE(RuntimeLocator::bundledServerPath(), dir(server));
    }

    void probeReadsVersionsAndJudgesScrcpy_data()
    {
        QTest::addColumn<QString>("scrcpyLine");
        QTest::addColumn<QString>("release"); // "" for none
        QTest::addColumn<QString>("problem"); // "" when usable; $SCRCPY stands for the tool's path
        const QString advice = QStringLiteral(
            ", but Quorvane needs scrcpy 4.0 or newer: unpack the scrcpy project's Linux release archive "
            "anywhere, then set its scrcpy in Settings (for quorvanectl, --scrcpy PATH) or put its folder "
            "on PATH.");
        QTest::newRow("4.0") << "scrcpy 4.0 <https://github.com/Genymobile/scrcpy>" << QStringLiteral("4.0")
                             << QString();
        QTest::newRow("numbers, not text, order releases")
            << "scrcpy 10.0" << QStringLiteral("10.0") << QString();
        QTest::newRow("no release named")
            << "usage: scrcpy [options]"
            << "" << QStringLiteral("The scrcpy at $SCRCPY did not say which version it is") + advice;
    }

    void probeReadsVersionsAndJudgesScrcpy()
    {
        QFETCH(QString, scrcpyLine);
        QFETCH(QString, release);
        QFETCH(QString, problem);
        const QString adb =
            tool(QStringLiteral("t/adb"),
                 QStringLiteral("#!/bin/sh\n[ \"$1\" = version ] || exit 9\n"
                                "printf 'Android Debug Bridge version 1.0.41\\nVersion 29.0.6-debian\\n'\n"));
        const QString scrcpy =
            tool(QStringLiteral("t/scrcpy"), QStringLiteral("#!/bin/sh\n[ \"$1\" = --version ] || exit 9\n"
                                                            "echo '%1'; echo; echo deps\n")
                                                 .arg(scrcpyLine));
        const RuntimeStatus status = test::await(RuntimeLocator{adb, scrcpy}.probeStatus());
        RuntimeStatus expected;
        expected.adbFound = expected.scrcpyFound = true;
        expected.adbPath = adb;
        expected.scrcpyPath = scrcpy;
        expected.adbVersion = QStringLiteral("Android Debug Bridge version 1.0.41");
        expected.scrcpyVersion = scrcpyLine;
        expected.adbRelease = ToolVersion::parse(QStringLiteral("29.0.6"));
        expected.scrcpyRelease = release.isEmpty() ? std::nullopt : ToolVersion::parse(release);
        if (!problem.isEmpty())
            expected.problem = problem.replace(QStringLiteral("$SCRCPY"), scrcpy);
        QCOMPARE(status, expected);
        QCOMPARE(status.scrcpyRelease.value_or(ToolVersion{}).text, release);
    }

    // A bundle that should carry adb is what is broken, not the user's install.
    void adbMissingFromABundleIsADamagedCopy()
    {
        RuntimeLocator::setBundledDirectoryOverride(dir(QStringLiteral("bundle")));
        QCOMPARE(RuntimeLocator::adbMissing(),
                 QStringLiteral("The built-in device bridge is missing. This copy of the app may be damaged "
                                "— download it again from https://quorvane.app/download."));
    }

    // A launch asks the file once; a replaced file is asked again.
    void scrcpyReleaseIsAskedOncePerFile()
    {
        const QString asked = m_home->file(QStringLiteral("asked"));
        const QString script = QStringLiteral("#!/bin/sh\necho x >> '%1'\necho 'scrcpy %2 <x>'\n");
        const QString scrcpy = tool(QStringLiteral("t/scrcpy"), script.arg(asked, QStringLiteral("4.1")));
        test::await(RuntimeLocator::requireUsableScrcpy(scrcpy));
        test::await(RuntimeLocator::requireUsableScrcpy(scrcpy));
        QFile log(asked);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count('x'), 1);
        tool(QStringLiteral("t/scrcpy"), script.arg(asked, QStringLiteral("1.25")));
        QVERIFY_THROWS_EXCEPTION(ScrcpyError, test::await(RuntimeLocator::requireUsableScrcpy(scrcpy)));
    }

    void probeKeepsFoundButPathlessWhenVersionFails()
    {
        const QString adb =
            tool(QStringLiteral("t/adb"), QStringLiteral("#!/bin/sh\necho broken >&2; exit 1\n"));
        // A scrcpy installed on this computer's PATH must not be found instead.
        qputenv("PATH", "");
        const RuntimeStatus status = test::await(RuntimeLocator{adb, QString()}.probeStatus());
        QVERIFY(status.adbFound);
        QCOMPARE(status.adbPath, std::nullopt);
        QCOMPARE(status.adbVersion, std::nullopt);
        QVERIFY(!status.scrcpyFound);
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"

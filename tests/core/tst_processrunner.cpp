#include "Await.h"
#include "Errors.h"
#include "OutputLines.h"
#include "ProcessRunner.h"
#include "TestHome.h"

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

class TestProcessRunner final : public QObject
{
    Q_OBJECT

private slots:
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

    void reportsExitStatus_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("statusCode");
        QTest::addColumn<bool>("clean");
        QTest::newRow("exit 7") << "exit 7" << 7 << false;
        QTest::newRow("killed by SIGKILL") << "kill -9 $$" << 9 << false;
    }

    void reportsExitStatus()
    {
        QFETCH(QString, command);
        QFETCH(int, statusCode);
        QFETCH(bool, clean);
        const auto result = test::await(ProcessRunner::runCollect(shell, script(command)));
        QCOMPARE(result.statusCode, statusCode);
        QCOMPARE(result.exitedCleanly, clean);
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
        test::TestHome home;
        test::writeFile(home.file(QStringLiteral("plain")));
        executable.replace(QStringLiteral("$HOME"), home.path());
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
        test::TestHome home;
        // Executable bits but no interpreter line and no machine code: the kernel refuses to run it.
        const QString path =
            test::writeExecutable(home.file(QStringLiteral("bin/broken")), QStringLiteral("\x01\x02"));
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
};

QTEST_GUILESS_MAIN(TestProcessRunner)
#include "tst_processrunner.moc"

#include "Await.h"
#include "Errors.h"
#include "RuntimeLocator.h"
#include "TestHome.h"
#include "ToolPaths.h"

#include <QFile>
#include <QTest>

using namespace quorvane;

class TestRuntimeLocator final : public QObject
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
        qputenv("PATH", "");
    }

    void cleanup()
    {
        RuntimeLocator::setBundledDirectoryOverride(std::nullopt);
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        qputenv("PATH", m_path);
        m_home.reset();
    }

    void overrideIsTrimmedOfSpacesAndTabs()
    {
        const QString adb = tool(QStringLiteral("custom/adb"));
        const auto found =
            RuntimeLocator::resolveWithSource(QStringLiteral("adb"), QStringLiteral(" \t%1  ").arg(adb));
        QCOMPARE(found.path, adb);
        QVERIFY(found.source == RuntimeSource::Override);
    }

    void unusableOverrideFallsThroughToBundle_data()
    {
        QTest::addColumn<QString>("override");
        // $HOME stands for the test's home folder.
        QTest::newRow("not executable") << "$HOME/plain/adb";
        QTest::newRow("missing") << "$HOME/missing/adb";
        QTest::newRow("blank") << " \t ";
        QTest::newRow("line break is not trimmed") << "\n$HOME/bundle/adb";
    }

    void unusableOverrideFallsThroughToBundle()
    {
        QFETCH(QString, override);
        test::writeFile(m_home->file(QStringLiteral("plain/adb")));
        const QString bundled = tool(QStringLiteral("bundle/adb"));
        RuntimeLocator::setBundledDirectoryOverride(dir(QStringLiteral("bundle")));
        const auto found = RuntimeLocator::resolveWithSource(
            QStringLiteral("adb"), override.replace(QStringLiteral("$HOME"), m_home->path()));
        QCOMPARE(found.path, bundled);
        QVERIFY(found.source == RuntimeSource::Bundled);
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
        const RuntimeStatus status = test::await(RuntimeLocator{adb, QString()}.probeStatus());
        QVERIFY(status.adbFound);
        QCOMPARE(status.adbPath, std::nullopt);
        QCOMPARE(status.adbVersion, std::nullopt);
        QVERIFY(!status.scrcpyFound);
    }
};

QTEST_GUILESS_MAIN(TestRuntimeLocator)
#include "tst_runtimelocator.moc"

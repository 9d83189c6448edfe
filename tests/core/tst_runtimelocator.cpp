#include "Await.h"
#include "Errors.h"
#include "RuntimeLocator.h"
#include "TestHome.h"
#include "ToolPaths.h"

#include <QFile>
#include <QTest>

#include <QCoroTask>

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
        QFile plain(m_home->file(QStringLiteral("plain/adb")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        const QString bundled = tool(QStringLiteral("bundle/adb"));
        RuntimeLocator::setBundledDirectoryOverride(dir(QStringLiteral("bundle")));
        const auto found = RuntimeLocator::resolveWithSource(
            QStringLiteral("adb"), override.replace(QStringLiteral("$HOME"), m_home->path()));
        QCOMPARE(found.path, bundled);
        QVERIFY(found.source == RuntimeSource::Bundled);
    }

    void bundleNeedsBothTools()
    {
        tool(QStringLiteral("half/scrcpy"));
        QCOMPARE(RuntimeLocator::bundledRuntimeIn(dir(QStringLiteral("half"))), std::nullopt);
        tool(QStringLiteral("half/adb"));
        QCOMPARE(RuntimeLocator::bundledRuntimeIn(dir(QStringLiteral("half"))), dir(QStringLiteral("half")));
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
            QCOMPARE(error.text(),
                     QStringLiteral("The built-in mirroring engine is missing. This copy of the app may "
                                    "be damaged — download it again from https://quorvane.app/download."));
        }
    }

    void resolveToolPicksTheMatchingOverride()
    {
        const QString adb = tool(QStringLiteral("a/adb"));
        const QString scrcpy = tool(QStringLiteral("s/scrcpy"));
        const RuntimeLocator locator{adb, scrcpy};
        QCOMPARE(locator.resolveTool(QStringLiteral("adb")), adb);
        QCOMPARE(locator.resolveTool(QStringLiteral("scrcpy")), scrcpy);
    }

    void serverFileIsFoundBesideTheBundle()
    {
        tool(QStringLiteral("app/bin/adb"));
        RuntimeLocator::setBundledDirectoryOverride(dir(QStringLiteral("app/bin")));
        QCOMPARE(RuntimeLocator::bundledServerPath(), std::nullopt);
        QFile server(m_home->file(QStringLiteral("app/share/quorvane/scrcpy-server")));
        QVERIFY(server.open(QIODevice::WriteOnly));
        QCOMPARE(RuntimeLocator::bundledServerPath(),
                 dir(QStringLiteral("app/share/quorvane/scrcpy-server")));
    }

    void probeReportsFirstVersionLines()
    {
        const QString adb =
            tool(QStringLiteral("t/adb"),
                 QStringLiteral("#!/bin/sh\n[ \"$1\" = version ] || exit 9\n"
                                "printf 'Android Debug Bridge version 1.0.41\\nVersion 29\\n'\n"));
        const QString scrcpy =
            tool(QStringLiteral("t/scrcpy"), QStringLiteral("#!/bin/sh\n[ \"$1\" = --version ] || exit 9\n"
                                                            "echo 'scrcpy 4.1 <x>'; echo; echo deps\n"));
        const RuntimeStatus status = test::await(RuntimeLocator{adb, scrcpy}.probeStatus());
        RuntimeStatus expected{true,
                               true,
                               adb,
                               scrcpy,
                               QStringLiteral("Android Debug Bridge version 1.0.41"),
                               QStringLiteral("scrcpy 4.1 <x>")};
        QCOMPARE(status, expected);
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

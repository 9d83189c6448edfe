#include "AppPaths.h"
#include "Errors.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace quorvane;

class TestAppPaths final : public QObject
{
    Q_OBJECT

private slots:
    void storeFilesCreateTheFolderButNotTheFile()
    {
        test::TestHome home;
        const QString file = AppPaths::learnedProfilesFile();
        QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("learned-profiles.json"));
        QVERIFY(file.startsWith(home.path()));
        QCOMPARE(QFileInfo(file).absolutePath(), AppPaths::appSupportFolder());
        QVERIFY(AppPaths::appSupportFolder().endsWith(QStringLiteral("/Quorvane")));
        QVERIFY(QFileInfo(QFileInfo(file).absolutePath()).isDir());
        QVERIFY(!QFile::exists(file));
        QVERIFY(QFileInfo(AppPaths::desktopDiagnosticsFolder()).isDir());
    }

    void mediaRootCreatesOverrideAndSubfolders()
    {
        test::TestHome home;
        const QString root = home.path() + QStringLiteral("/new/media");
        QCOMPARE(AppPaths::mediaRoot(root), root);
        QVERIFY(QFileInfo(root + QStringLiteral("/Recordings")).isDir());
        QVERIFY(QFileInfo(root + QStringLiteral("/Screenshots")).isDir());
    }

    void defaultMediaRootIsInMovies()
    {
        test::TestHome home;
        const QString root = AppPaths::mediaRoot(std::nullopt);
        QVERIFY(root.startsWith(home.path()));
        QVERIFY(root.endsWith(QStringLiteral("/Quorvane")));
        QVERIFY(QFileInfo(root + QStringLiteral("/Screenshots")).isDir());
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

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"

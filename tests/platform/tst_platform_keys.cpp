// Which key each shortcut text becomes, how a missing permission is asked for once and reported, and which
// platform the application gets where no display answers.
#include "Await.h"
#include "PlatformFactory.h"
#include "ShortcutError.h"
#include "ShortcutKey.h"
#include "UnavailablePlatform.h"

#include <QCoreApplication>
#include <QTest>

using namespace quorvane;
using namespace quorvane::app;

namespace {

const QString accessibilityMissingText = QStringLiteral(
    "Keyboard shortcuts need the optional Accessibility permission. Quorvane prompted you to allow it — "
    "enable Quorvane in System Settings › Privacy & Security › Accessibility, then retry. Mirroring works "
    "without it.");

// A desktop whose permission the user may grant when asked.
class PromptedPlatform final : public PlatformServices
{
public:
    PromptedPlatform(bool trusted, bool grantsWhenAsked)
        : m_trusted(trusted)
        , m_grantsWhenAsked(grantsWhenAsked)
    {
    }

    bool hasAccessibility() const override { return m_trusted; }
    void promptForAccessibility() override
    {
        ++prompts;
        m_trusted = m_trusted || m_grantsWhenAsked;
    }
    bool activate(qint64) override { return false; }
    QCoro::Task<void> sendShortcut(QString) override { co_return; }

    int prompts = 0;

private:
    bool m_trusted;
    bool m_grantsWhenAsked;
};

class DisplayVariable
{
public:
    explicit DisplayVariable(const QByteArray &value)
        : m_previous(qgetenv("DISPLAY"))
        , m_wasSet(qEnvironmentVariableIsSet("DISPLAY"))
    {
        if (value.isNull())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", value);
    }
    ~DisplayVariable()
    {
        if (m_wasSet)
            qputenv("DISPLAY", m_previous);
        else
            qunsetenv("DISPLAY");
    }

private:
    QByteArray m_previous;
    bool m_wasSet;
};

} // namespace

class TestPlatformKeys final : public QObject
{
    Q_OBJECT

private slots:
    void keysFollowTheVirtualKeyTable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("virtualKeyCode");
        QTest::addColumn<QByteArray>("keysym");
        QTest::addColumn<bool>("shift");
        QTest::newRow("fullscreen") << QStringLiteral("f") << 3 << QByteArrayLiteral("f") << false;
        QTest::newRow("upper case is the same key")
            << QStringLiteral("F") << 3 << QByteArrayLiteral("f") << false;
        QTest::newRow("screen off") << QStringLiteral("o") << 31 << QByteArrayLiteral("o") << false;
        QTest::newRow("screen on: Shift as well")
            << QStringLiteral("shift+o") << 31 << QByteArrayLiteral("o") << true;
        QTest::newRow("Shift in any case")
            << QStringLiteral("Shift+O") << 31 << QByteArrayLiteral("o") << true;
        QTest::newRow("torch") << QStringLiteral("T") << 17 << QByteArrayLiteral("t") << false;
        QTest::newRow("outside the table: code 0, the a key")
            << QStringLiteral("x") << 0 << QByteArrayLiteral("a") << false;
        QTest::newRow("two letters") << QStringLiteral("fo") << 0 << QByteArrayLiteral("a") << false;
        QTest::newRow("empty") << QString() << 0 << QByteArrayLiteral("a") << false;
    }

    void keysFollowTheVirtualKeyTable()
    {
        QFETCH(QString, text);
        QFETCH(int, virtualKeyCode);
        QFETCH(QByteArray, keysym);
        QFETCH(bool, shift);
        const ShortcutKey key = ShortcutKey::forText(text);
        QCOMPARE(key.virtualKeyCode, quint16(virtualKeyCode));
        QCOMPARE(key.keysymName, keysym);
        QCOMPARE(key.shift, shift);
    }

    void permissionIsAskedForOnceWhenMissing_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("grantsWhenAsked");
        QTest::addColumn<int>("prompts");
        QTest::addColumn<bool>("fails");
        QTest::newRow("trusted: no prompt") << true << false << 0 << false;
        QTest::newRow("granted at the prompt") << false << true << 1 << false;
        QTest::newRow("still missing after the prompt") << false << false << 1 << true;
    }

    void permissionIsAskedForOnceWhenMissing()
    {
        QFETCH(bool, trusted);
        QFETCH(bool, grantsWhenAsked);
        QFETCH(int, prompts);
        QFETCH(bool, fails);
        PromptedPlatform platform(trusted, grantsWhenAsked);
        QString failure;
        try {
            ShortcutError::requireAccessibility(platform);
        } catch (const ShortcutError &error) {
            QCOMPARE(error.kind(), ShortcutError::Kind::AccessibilityMissing);
            failure = error.text();
        }
        QCOMPARE(platform.prompts, prompts);
        QCOMPARE(failure, fails ? accessibilityMissingText : QString());
    }

    void withoutDesktopFacilitiesKeysReportTheMissingPermission()
    {
        UnavailablePlatform platform;
        QVERIFY(!platform.hasAccessibility());
        QVERIFY(!platform.activate(QCoreApplication::applicationPid()));
        try {
            test::await(platform.sendShortcut(QStringLiteral("f")));
            QFAIL("a shortcut was reported as sent");
        } catch (const ShortcutError &error) {
            QCOMPARE(error.kind(), ShortcutError::Kind::AccessibilityMissing);
            QCOMPARE(error.text(), accessibilityMissingText);
            QCOMPARE(QString::fromUtf8(error.what()), accessibilityMissingText);
        }
    }

    void theFactoryFallsBackWhereNoDisplayAnswers_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("no DISPLAY") << QByteArray();
        QTest::newRow("DISPLAY names no server") << QByteArrayLiteral(":987");
    }

    void theFactoryFallsBackWhereNoDisplayAnswers()
    {
        QFETCH(QByteArray, display);
        const DisplayVariable variable(display);
        const std::unique_ptr<PlatformServices> platform = PlatformFactory::create();
        QVERIFY(platform);
        QVERIFY(!platform->hasAccessibility());
        QVERIFY(dynamic_cast<UnavailablePlatform *>(platform.get()));
    }
};

QTEST_GUILESS_MAIN(TestPlatformKeys)
#include "tst_platform_keys.moc"

// Which key each shortcut text becomes, how a missing permission is asked for once and reported, and which
// platform the application gets where no display answers.
#include "Await.h"
#include "PlatformFactory.h"
#include "ShortcutError.h"
#include "ShortcutKey.h"
#include "UnavailablePlatform.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTest>

using namespace quorvane;
using namespace quorvane::app;
using namespace Qt::StringLiterals;

namespace {

using Kind = HostDesktop::Kind;

const QString macRefusal = QStringLiteral(
    "Keyboard shortcuts need the optional Accessibility permission. Quorvane prompted you to allow it — "
    "enable Quorvane in System Settings › Privacy & Security › Accessibility, then retry. Mirroring works "
    "without it.");
const QString x11Refusal = QStringLiteral(
    "Keyboard shortcuts need the XTEST extension, which this X display does not offer. Mirroring works "
    "without it.");
const QString waylandRefusal = QStringLiteral(
    "Keyboard shortcuts reach only a mirror window that runs through XWayland. Turn on \"Run mirror windows "
    "through XWayland\" in Settings, then start the session again. Mirroring works without it.");
const QString sessionlessRefusal = QStringLiteral(
    "Keyboard shortcuts need a graphical session (no DISPLAY or WAYLAND_DISPLAY is set). Mirroring works "
    "without them.");

// A desktop whose permission the user may grant when asked.
class PromptedPlatform final : public PlatformServices
{
public:
    PromptedPlatform(bool trusted, bool grantsWhenAsked, HostDesktop desktop)
        : m_trusted(trusted)
        , m_grantsWhenAsked(grantsWhenAsked)
        , m_desktop(desktop)
    {
    }

    HostDesktop desktop() const override { return m_desktop; }
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
    HostDesktop m_desktop;
};

// Sets, or with a null value unsets, an environment variable until the returned guard ends.
auto settingForThisCase(const char *name, const QByteArray &value)
{
    std::optional<QByteArray> previous;
    if (qEnvironmentVariableIsSet(name))
        previous = qgetenv(name);
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
    return qScopeGuard([name, previous] { previous ? qputenv(name, *previous) : qunsetenv(name); });
}

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
        QTest::newRow("fullscreen") << u"f"_s << 3 << QByteArrayLiteral("f") << false;
        QTest::newRow("screen on: Shift as well") << u"shift+o"_s << 31 << QByteArrayLiteral("o") << true;
        QTest::newRow("Shift in any case") << u"Shift+O"_s << 31 << QByteArrayLiteral("o") << true;
        QTest::newRow("torch, upper case is the same key") << u"T"_s << 17 << QByteArrayLiteral("t") << false;
        QTest::newRow("outside the table: code 0, the a key")
            << u"x"_s << 0 << QByteArrayLiteral("a") << false;
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
        QTest::addColumn<QString>("failure");
        QTest::newRow("trusted: no prompt") << true << false << 0 << QString();
        QTest::newRow("granted at the prompt") << false << true << 1 << QString();
        QTest::newRow("still missing on macOS") << false << false << 1 << macRefusal;
    }

    void permissionIsAskedForOnceWhenMissing()
    {
        QFETCH(bool, trusted);
        QFETCH(bool, grantsWhenAsked);
        QFETCH(int, prompts);
        QFETCH(QString, failure);
        PromptedPlatform platform(trusted, grantsWhenAsked, HostDesktop(Kind::MacOS));
        QString seen;
        try {
            ShortcutError::requireAccessibility(platform);
        } catch (const ShortcutError &error) {
            QCOMPARE(error.kind(), ShortcutError::Kind::AccessibilityMissing);
            seen = error.text();
        }
        QCOMPARE(platform.prompts, prompts);
        QCOMPARE(seen, failure);
    }

    // Every screen and the core take these words from the desktop value, so each row is what a user of that
    // desktop reads in the tooltips, the onboarding and a failed shortcut toggle.
    void wordsFollowTheDesktop_data()
    {
        QTest::addColumn<Kind>("desktop");
        QTest::addColumn<QString>("refreshKey");
        QTest::addColumn<QString>("thisComputer");
        QTest::addColumn<QString>("unavailable");
        QTest::newRow("macOS")
            << Kind::MacOS << u"⌘R"_s << u"this Mac"_s
            << "Keyboard shortcuts are unavailable. Grant Accessibility permission in System "
               "Settings › Privacy & Security if asked.";
        QTest::newRow("X11")
            << Kind::X11 << u"Ctrl+R"_s << u"this computer"_s
            << "Keyboard shortcuts are unavailable. Quorvane types them into the mirror window "
               "through the X display's XTEST extension, which it could not use.";
        QTest::newRow("Wayland") << Kind::Wayland << u"Ctrl+R"_s << u"this computer"_s
                                 << "Keyboard shortcuts are unavailable. On Wayland they reach only a mirror "
                                    "window that runs through XWayland: turn on \"Run mirror windows through "
                                    "XWayland\" in Settings, then start the session again.";
        QTest::newRow("no session") << Kind::None << u"Ctrl+R"_s << u"this computer"_s
                                    << "Keyboard shortcuts are unavailable without a graphical session (no "
                                       "DISPLAY or WAYLAND_DISPLAY is set).";
    }

    void wordsFollowTheDesktop()
    {
        QFETCH(Kind, desktop);
        QFETCH(QString, refreshKey);
        QFETCH(QString, thisComputer);
        QFETCH(QString, unavailable);
        const HostDesktop words(desktop);
        QCOMPARE(words.commandKey(u"R"_s), refreshKey);
        QCOMPARE(words.thisComputer(), thisComputer);
        QCOMPARE(words.shortcutsUnavailable(), unavailable);
    }

    // Without desktop facilities keys are refused with the permission the desktop lacks, never sent.
    void theFactoryFallsBackWhereNoDisplayAnswers_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<Kind>("desktop");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no DISPLAY") << QByteArray() << QByteArray() << Kind::None << sessionlessRefusal;
        QTest::newRow("DISPLAY names no server")
            << QByteArrayLiteral(":987") << QByteArray() << Kind::X11 << x11Refusal;
        QTest::newRow("Wayland without XWayland")
            << QByteArray() << QByteArrayLiteral("wayland-0") << Kind::Wayland << waylandRefusal;
        QTest::newRow("Wayland with a silent XWayland")
            << QByteArrayLiteral(":987") << QByteArrayLiteral("wayland-0") << Kind::Wayland << waylandRefusal;
    }

    void theFactoryFallsBackWhereNoDisplayAnswers()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(Kind, desktop);
        QFETCH(QString, refusal);
        const auto x11 = settingForThisCase("DISPLAY", display);
        const auto waylandDisplay = settingForThisCase("WAYLAND_DISPLAY", wayland);
        const std::unique_ptr<PlatformServices> platform = PlatformFactory::create();
        QVERIFY(dynamic_cast<UnavailablePlatform *>(platform.get()));
        QCOMPARE(platform->desktop().kind(), desktop);
        QVERIFY(!platform->hasAccessibility());
        QVERIFY(!platform->activate(QCoreApplication::applicationPid()));
        try {
            test::await(platform->sendShortcut(u"f"_s));
            QFAIL("a shortcut was reported as sent");
        } catch (const ShortcutError &error) {
            QCOMPARE(error.kind(), ShortcutError::Kind::AccessibilityMissing);
            QCOMPARE(error.text(), refusal);
            QCOMPARE(QString::fromUtf8(error.what()), refusal);
        }
    }
};

QTEST_GUILESS_MAIN(TestPlatformKeys)
#include "tst_platform_keys.moc"

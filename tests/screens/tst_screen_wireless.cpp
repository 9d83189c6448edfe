// The Wireless screen against the simulator: the remembered list and its empty state, manual pairing and
// connecting with the typed addresses, and every control waiting while an action runs.
#include "ScreenTesting.h"
#include "StatusMessageRow.h"
#include "Theme.h"
#include "WirelessScreen.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

class TestScreenWireless final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenWorld> m_world;

    AppModel &model() { return m_world->model(); }

    static QPushButton *button(const QWidget &screen, const char *name)
    {
        return child<QPushButton>(screen, QLatin1String(name));
    }

    static void click(const QWidget &screen, const char *name)
    {
        QPushButton *target = button(screen, name);
        QVERIFY(target && target->isEnabled());
        target->click();
    }

    std::optional<QString> status(const QWidget &screen)
    {
        return child<StatusMessageRow>(screen, u"wirelessStatus"_s)->message();
    }

private slots:
    void init() { m_world = std::make_unique<ScreenWorld>(); }
    void cleanup() { m_world.reset(); }

    // Shown, it reads the device list again. The simulator's adb is Debian's 29, which has no pair: the
    // screen says so before a code is typed.
    void beforeAnyAction()
    {
        WirelessScreen screen(&model());
        const auto listings = [this] {
            return m_world->world.sim.callArguments(u"adb"_s).count(QStringList{u"devices"_s, u"-l"_s});
        };
        ScreenWorld::show(screen);
        QTRY_VERIFY(listings() >= 1);
        QVERIFY(!button(screen, "wirelessToWifi")->isEnabled());
        QVERIFY(!button(screen, "wirelessToUsb")->isEnabled());
        QCOMPARE(child<QLabel>(screen, u"wirelessEmpty"_s)->text(), u"No remembered wireless devices yet."_s);
        QVERIFY(child<QLabel>(screen, u"wirelessEmpty"_s)->isVisible());
        QVERIFY(!child<StatusMessageRow>(screen, u"wirelessStatus"_s)->isVisible());
        auto *problem = child<StatusMessageRow>(screen, u"wirelessPairingProblem"_s);
        QTRY_VERIFY(problem->isVisible());
        QCOMPARE(
            problem->message(),
            QStringLiteral("This adb (29.0.6) cannot pair over Wi-Fi: pairing needs Android platform-tools "
                           "30 or newer. Install it and set its adb in Settings."));
        QCOMPARE(problem->tone(), MessageTone::Failure);
        QVERIFY(!button(screen, "wirelessPair")->isEnabled());
        QVERIFY(button(screen, "wirelessConnect")->isEnabled());

        const qsizetype before = listings();
        screen.hide();
        screen.show();
        QTRY_VERIFY(listings() > before);
    }

    void rememberedRowsConnectAndForget()
    {
        m_world->connectPhone();
        m_world->world.sim.phone(u"phone1"_s).set(u"tcpipPort"_s, 5555);
        await(model().connectWireless(wifiSerial));
        // The phone left the network: the remembered entry stays, offline.
        m_world->world.unplug(wifiSerial);
        WirelessScreen screen(&model());
        ScreenWorld::show(screen);
        QWidget *row = nullptr;
        QTRY_VERIFY((row = screen.findChild<QWidget *>(u"wirelessRemembered"_s)) &&
                    child<QLabel>(*row, u"wirelessRememberedState"_s)->text() == u"Offline"_s);
        QCOMPARE(child<QLabel>(*row, u"wirelessRememberedAddress"_s)->text(), wifiSerial);
        click(*row, "wirelessRememberedConnect");
        QVERIFY(!button(screen, "wirelessPair")->isEnabled());
        QTRY_VERIFY(!model().wirelessBusy());
        QCOMPARE(status(screen), u"connected to 192.168.1.20:5555"_s);
        row = screen.findChild<QWidget *>(u"wirelessRemembered"_s);
        QCOMPARE(child<QLabel>(*row, u"wirelessRememberedState"_s)->text(), u"Connected"_s);
        // Connected already: there is nothing for Connect to do.
        QVERIFY(!button(*row, "wirelessRememberedConnect")->isEnabled());
        click(*row, "wirelessRememberedForget");
        QTRY_VERIFY(screen.findChildren<QWidget *>(u"wirelessRemembered"_s).isEmpty());
        QCOMPARE(status(screen), u"Wireless connection disconnected and forgotten. USB is now selected."_s);
        // Forgetting ends the Wi-Fi transport, so the phone list must be read again.
        QTRY_COMPARE(model().devices().size(), 1);
        QVERIFY(child<QLabel>(screen, u"wirelessEmpty"_s)->isVisible());
    }

    // Typed addresses and codes reach adb as they are, each as one argument; the pairing port typed again
    // into Connect is explained.
    void manualPairingAndConnect()
    {
        m_world->world.sim.setAdbVersion(u"35.0.2-12147458"_s);
        m_world->world.sim.addPairing(u"192.168.1.20:37123"_s, u"482913"_s, u"adb-guid"_s);
        WirelessScreen screen(&model());
        ScreenWorld::show(screen);
        QVERIFY(!child<QWidget>(screen, u"wirelessManual"_s)->isVisible());
        auto *toggle = child<QToolButton>(screen, u"wirelessManualToggle"_s);
        QCOMPARE(toggle->text(), u"Pair a new device / recover a connection"_s);
        toggle->click();
        QVERIFY(child<QWidget>(screen, u"wirelessManual"_s)->isVisible());
        child<QLineEdit>(screen, u"wirelessPairingAddress"_s)->setText(u"192.168.1.20:37123"_s);
        // Enter in a field presses its button.
        auto *code = child<QLineEdit>(screen, u"wirelessPairingCode"_s);
        code->setText(u"482913"_s);
        QVERIFY(button(screen, "wirelessPair")->isEnabled());
        QTest::keyClick(code, Qt::Key_Return);
        QTRY_VERIFY(!model().wirelessBusy());
        QVERIFY(m_world->world.sim.callArguments(u"adb"_s).contains(
            QStringList{u"pair"_s, u"192.168.1.20:37123"_s, u"482913"_s}));
        QVERIFY(status(screen).value_or(QString()).endsWith(
            u"\nSuccessfully paired to 192.168.1.20:37123 [guid=adb-guid]"_s));

        auto *address = child<QLineEdit>(screen, u"wirelessManualAddress"_s);
        address->setText(u"192.168.1.20:37123"_s);
        QTest::keyClick(address, Qt::Key_Enter);
        QTRY_VERIFY(!model().wirelessBusy());
        QCOMPARE(status(screen),
                 QStringLiteral(
                     "Nothing listens on that port: That is the pairing port or an old wireless debugging "
                     "port (it changes each time wireless debugging is turned on), or wireless debugging "
                     "is off. Use the current \"IP address & Port\" from the phone's Wireless debugging "
                     "screen.\n"
                     "failed to connect to '192.168.1.20:37123': Connection refused. Pairing and "
                     "connecting use two different ports: connect to the IP address and port shown "
                     "on the phone's Wireless debugging screen, not the pairing port."));
        // Any other failure at the paired phone's address is not about ports.
        m_world->world.sim.setConnectOutcome(u"192.168.1.20:5555"_s, u"unreachable"_s);
        address->setText(u"192.168.1.20:5555"_s);
        QTest::keyClick(address, Qt::Key_Enter);
        QTRY_VERIFY(!model().wirelessBusy());
        QVERIFY2(status(screen)->endsWith(u"\nfailed to connect to '192.168.1.20:5555': No route to host"_s),
                 qPrintable(*status(screen)));

        const QString odd = u"10.0.0.9:5555; rm -rf ~"_s;
        child<QLineEdit>(screen, u"wirelessManualAddress"_s)->setText(odd);
        click(screen, "wirelessConnect");
        QTRY_VERIFY(!model().wirelessBusy());
        QVERIFY(status(screen).has_value());
        bool passedWhole = false;
        for (const QStringList &arguments : m_world->world.sim.callArguments(u"adb"_s))
            passedWhole |= arguments.contains(odd);
        QVERIFY(passedWhole || status(screen)->contains(u"address"_s));
    }

    // The status line draws a failure as a failure, in the danger colour, and keeps its place: the card
    // below stays where it was whatever the line says.
    void statusLineShowsFailuresAsFailures_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("failed");
        QTest::newRow("paired") << u"482913"_s
                                << u"Successfully paired to 192.168.1.20:37123 [guid=adb-guid]"_s << false;
        QTest::newRow("wrong code") << u"111111"_s << u"Failed: Wrong password or connection was dropped."_s
                                    << true;
    }

    void statusLineShowsFailuresAsFailures()
    {
        QFETCH(QString, code);
        QFETCH(QString, message);
        QFETCH(bool, failed);
        m_world->world.sim.setAdbVersion(u"35.0.2-12147458"_s);
        m_world->world.sim.addPairing(u"192.168.1.20:37123"_s, u"482913"_s, u"adb-guid"_s);
        WirelessScreen screen(&model());
        ScreenWorld::show(screen);
        auto *row = child<StatusMessageRow>(screen, u"wirelessStatus"_s);
        const QWidget *nextCard = child<QWidget>(screen, u"wirelessEmpty"_s)->parentWidget();
        const int top = nextCard->mapTo(&screen, QPoint()).y();
        await(model().pairWireless(u"192.168.1.20:37123"_s, code));
        // A known adb line is explained above it; the line itself ends the message.
        QVERIFY2(row->message().value_or(QString()).endsWith(message),
                 qPrintable(row->message().value_or(QString())));
        QVERIFY(row->isVisible());
        const QImage drawn = row->grab().toImage();
        QCOMPARE(drawnIn(drawn, Theme::color(Tone::Danger)), failed);
        QCOMPARE(drawnIn(drawn, Theme::color(Tone::Success)), !failed);
        QCOMPARE(nextCard->mapTo(&screen, QPoint()).y(), top);
    }
};

QTEST_MAIN(TestScreenWireless)
#include "tst_screen_wireless.moc"

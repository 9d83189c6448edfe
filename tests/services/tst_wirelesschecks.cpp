#include "Errors.h"
#include "WirelessService.h"

#include <QTest>

using namespace quorvane;

namespace {

const QString addressMessage =
    QStringLiteral("Enter a valid host:port address, for example 192.168.1.20:37123.");
const QString codeMessage = QStringLiteral("Enter the numeric pairing code shown on the phone.");

// The text of the invalid-input error a check throws, or "" when it passes.
template<typename Check>
QString rejection(Check check)
{
    try {
        check();
    } catch (const ScrcpyError &error) {
        return error.kind() == ScrcpyError::Kind::InvalidInput ? error.text()
                                                               : QStringLiteral("<wrong kind>");
    }
    return {};
}

} // namespace

// The checks that guard every typed address and code, and the readers of adb's and the phone's output.
class TestWirelessChecks final : public QObject
{
    Q_OBJECT

private slots:
    void validateAddress_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("accepted"); // "" when rejected
        QTest::newRow("port need not be numeric") << QStringLiteral("a:b") << QStringLiteral("a:b");
        QTest::newRow("255 characters") << QString(254, QLatin1Char('a')) + QLatin1Char(':')
                                        << QString(254, QLatin1Char('a')) + QLatin1Char(':');
        QTest::newRow("255 emoji count as characters")
            << QString(254, QChar(u'x')).replace(0, 1, QStringLiteral("👍")) + QLatin1Char(':')
            << QString(254, QChar(u'x')).replace(0, 1, QStringLiteral("👍")) + QLatin1Char(':');
        QTest::newRow("256 characters") << QString(255, QLatin1Char('a')) + QLatin1Char(':') << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("no colon") << QStringLiteral("192.168.1.20") << QString();
        QTest::newRow("inner space") << QStringLiteral("192.168.1.20 :37123") << QString();
        QTest::newRow("inner line break") << QStringLiteral("host:1\nreboot") << QString();
        QTest::newRow("inner no-break space") << QStringLiteral("host:1\u00a02") << QString();
    }

    void validateAddress()
    {
        QFETCH(QString, typed);
        QFETCH(QString, accepted);
        if (accepted.isEmpty()) {
            QCOMPARE(rejection([&] { WirelessService::validateAddress(typed); }), addressMessage);
        } else {
            QCOMPARE(WirelessService::validateAddress(typed), accepted);
        }
    }

    void validatePairingCode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("accepted"); // "" when rejected
        QTest::newRow("six digits") << QStringLiteral("123456") << QStringLiteral("123456");
        QTest::newRow("twelve digits") << QStringLiteral("123456789012") << QStringLiteral("123456789012");
        QTest::newRow("arabic-indic digits") << QStringLiteral("١٢٣٤٥٦") << QStringLiteral("١٢٣٤٥٦");
        QTest::newRow("five digits") << QStringLiteral("12345") << QString();
        QTest::newRow("thirteen digits") << QStringLiteral("1234567890123") << QString();
        QTest::newRow("letter") << QStringLiteral("12345a") << QString();
        QTest::newRow("superscript is not a decimal digit") << QStringLiteral("12345²") << QString();
    }

    void validatePairingCode()
    {
        QFETCH(QString, typed);
        QFETCH(QString, accepted);
        if (accepted.isEmpty()) {
            QCOMPARE(rejection([&] { WirelessService::validatePairingCode(typed); }), codeMessage);
        } else {
            QCOMPARE(WirelessService::validatePairingCode(typed), accepted);
        }
    }

    void ipv4_data()
    {
        QTest::addColumn<QString>("token");
        QTest::addColumn<bool>("valid");
        QTest::newRow("edges") << QStringLiteral("0.0.0.255") << true;
        QTest::newRow("256") << QStringLiteral("256.1.1.1") << false;
        QTest::newRow("three pieces") << QStringLiteral("1.2.3") << false;
        QTest::newRow("empty piece") << QStringLiteral("1..2.3") << false;
        QTest::newRow("sign") << QStringLiteral("+1.2.3.4") << false;
        QTest::newRow("other script digits") << QStringLiteral("١.2.3.4") << false;
        QTest::newRow("beyond 32 bits") << QStringLiteral("4294967297.1.1.1") << false;
        QTest::newRow("many leading zeros") << QStringLiteral("0000000000001.2.3.4") << true;
    }

    void ipv4()
    {
        QFETCH(QString, token);
        QFETCH(bool, valid);
        QCOMPARE(IPv4::isValid(token), valid);
    }

    void connectFailure_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("failed");
        QTest::newRow("failed to connect")
            << QStringLiteral("failed to connect to 192.168.1.20:5555") << true;
        QTest::newRow("refused, any case") << QStringLiteral("Connection Refused") << true;
        QTest::newRow("cannot connect") << QStringLiteral("cannot connect to daemon") << true;
        QTest::newRow("unable to connect") << QStringLiteral("unable to connect to 10.0.0.2:5555") << true;
        QTest::newRow("no route") << QStringLiteral("No route to host") << true;
        QTest::newRow("timed out") << QStringLiteral("failed: Operation TIMED OUT") << true;
        QTest::newRow("NUL inside a phrase")
            << QStringLiteral("conn") + QChar(u'\0') + QStringLiteral("ection refused") << true;
        QTest::newRow("connected") << QStringLiteral("connected to 192.168.1.20:5555") << false;
        QTest::newRow("resolve failure has no phrase")
            << QStringLiteral("failed to resolve host: 'nosuchhost.invalid': Name or service not known")
            << false;
    }

    void connectFailure()
    {
        QFETCH(QString, output);
        QFETCH(bool, failed);
        QCOMPARE(WirelessService::connectOutputIndicatesFailure(output), failed);
    }

    // One route line at a time: the line must name a Wi-Fi interface and carry a usable source address.
    void wifiAddressFromRoutes_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("address"); // "" for none
        // The simulator's one route line, and its "ip addr show" below, are the wireless flow's.
        QTest::newRow("tabs, second wi-fi interface")
            << QStringLiteral("10.0.0.0/8\tdev\tccmni0\tsrc\t10.1.2.3\n172.20.10.0/28 dev wlan1  scope link  "
                              "src 172.20.10.2")
            << QStringLiteral("172.20.10.2");
        QTest::newRow("default route has no source")
            << QStringLiteral("default via 192.168.1.1 dev wlan0 proto static") << QString();
        QTest::newRow("unusable source")
            << QStringLiteral("192.168.1.0/24 dev wlan0 src 192.168.1.300") << QString();
        QTest::newRow("emulator ethernet is not wi-fi")
            << QStringLiteral("10.0.2.0/24 dev eth0 proto kernel scope link src 10.0.2.15 ") << QString();
        // Real route tables list mobile data, the IPv4 translator or a VPN before Wi-Fi, each line ending in
        // a space.
        QTest::newRow("mediatek ccmni, translator and vpn")
            << QStringLiteral("10.71.112.0/28 dev ccmni1 proto kernel scope link src 10.71.112.5 \n"
                              "10.8.0.0/24 dev tun0 proto kernel scope link src 10.8.0.3 \n"
                              "192.0.0.4/29 dev v4-ccmni1 proto kernel scope link src 192.0.0.4 \n"
                              "192.168.1.0/24 dev wlan0 proto kernel scope link src 192.168.1.20 \n")
            << QStringLiteral("192.168.1.20");
    }

    void wifiAddressFromRoutes()
    {
        QFETCH(QString, output);
        QFETCH(QString, address);
        QCOMPARE(WirelessService::wifiIPv4FromRoutes(output).value_or(QString()), address);
    }

    // The release sits on adb's "Version" line; only releases before 30 lack pair, and an adb that names
    // none is left to answer for itself.
    void adbThatCannotPair_data()
    {
        QTest::addColumn<QString>("versionOutput");
        QTest::addColumn<QString>("refusal"); // "" when pairing may go ahead
        const QString installed = QStringLiteral("\nInstalled as /usr/lib/android-sdk/platform-tools/adb\n");
        QTest::newRow("numbers, not text, order releases")
            << QStringLiteral("Android Debug Bridge version 1.0.41\nVersion 29.10.1") + installed
            << QStringLiteral(
                   "This adb (29.10.1) cannot pair over Wi-Fi: pairing needs Android platform-tools "
                   "30 or newer.");
        QTest::newRow("30.0.0") << QStringLiteral(
                                       "Android Debug Bridge version 1.0.41\nVersion 30.0.0-6877874")
                                << QString();
        QTest::newRow("protocol line only")
            << QStringLiteral("Android Debug Bridge version 1.0.39") << QString();
    }

    void adbThatCannotPair()
    {
        QFETCH(QString, versionOutput);
        QFETCH(QString, refusal);
        const auto release = ToolVersion::fromAdbVersionOutput(versionOutput);
        QCOMPARE(WirelessService::adbCannotPair(release).value_or(QString()), refusal);
    }

    void firstIPv4FromRoute_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("address"); // "" for none
        QTest::newRow("marker must match exactly")
            << QStringLiteral("inet6 fe80::1/64 scope link") << QStringLiteral("inet") << QString();
        QTest::newRow("skips an invalid candidate") << QStringLiteral("src 999.1.1.1 src 10.0.0.7")
                                                    << QStringLiteral("src") << QStringLiteral("10.0.0.7");
        QTest::newRow("marker last") << QStringLiteral("scope link src") << QStringLiteral("src")
                                     << QString();
        QTest::newRow("marker first word is not preceded")
            << QStringLiteral("192.168.1.20 src") << QStringLiteral("src") << QString();
        QTest::newRow("tab does not separate")
            << QStringLiteral("src\t192.168.1.20") << QStringLiteral("src") << QString();
    }

    void firstIPv4FromRoute()
    {
        QFETCH(QString, output);
        QFETCH(QString, marker);
        QFETCH(QString, address);
        QCOMPARE(WirelessService::firstIPv4FromRoute(output, marker).value_or(QString()), address);
    }

    // A remembered phone in `adb mdns services`: by the hardware serial in the service name, or, for an
    // entry written before serials were kept, as the one connect service at its host.
    void movedPhoneFromMdnsServices_data()
    {
        QTest::addColumn<QString>("services");
        QTest::addColumn<QString>("hardwareSerial"); // "" for an entry that does not know it
        QTest::addColumn<QString>("moved");          // "" for none
        const QString header = QStringLiteral("List of discovered mdns services\n");
        const QString two =
            header + QStringLiteral("adb-OTHER1-aaaaaa\t_adb-tls-connect._tcp\t192.168.1.40:40001\n"
                                    "adb-R5CW20ABCDE-AbC12d\t_adb-tls-connect._tcp.\t192.168.1.31:41235\n"
                                    "adb-R5CW20ABCDE-AbC12d\t_adb-tls-pairing._tcp.\t192.168.1.31:37001\n");
        QTest::newRow("by serial, type with the root dot")
            << two << QStringLiteral("R5CW20ABCDE") << QStringLiteral("192.168.1.31:41235");
        QTest::newRow("serial containing a dash")
            << header + QStringLiteral("adb-ABC-123-x1y2z3\t_adb-tls-connect._tcp\t10.0.0.5:38000\n")
            << QStringLiteral("ABC-123") << QStringLiteral("10.0.0.5:38000");
        QTest::newRow("a longer serial is another phone")
            << header + QStringLiteral("adb-R5CW20ABCDEF-x1y2z3\t_adb-tls-connect._tcp\t192.168.1.31:38000\n")
            << QStringLiteral("R5CW20ABCDE") << QString();
        QTest::newRow("old entry: two services at its host")
            << two + QStringLiteral("adb-TABLET-bbbbbb\t_adb-tls-connect._tcp\t192.168.1.31:39000\n")
            << QString() << QString();
        QTest::newRow("adb without mdns")
            << QStringLiteral("adb: unknown command mdns") << QString() << QString();
    }

    void movedPhoneFromMdnsServices()
    {
        QFETCH(QString, services);
        QFETCH(QString, hardwareSerial);
        QFETCH(QString, moved);
        const SavedWirelessDevice saved{QStringLiteral("192.168.1.31:37099"), QStringLiteral("Galaxy"), 1,
                                        hardwareSerial.isEmpty() ? std::nullopt
                                                                 : std::optional(hardwareSerial)};
        QCOMPARE(WirelessService::movedAddress(saved, WirelessService::parseMdnsServices(services))
                     .value_or(QString()),
                 moved);
    }
};

QTEST_GUILESS_MAIN(TestWirelessChecks)
#include "tst_wirelesschecks.moc"

#include "WirelessService.h"

#include "Async.h"
#include "ErrorCatalog.h"
#include "Errors.h"
#include "ProcessRunner.h"
#include "ProfileStore.h"
#include "RuntimeLocator.h"
#include "TextParsing.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace quorvane {

namespace {

const QString usb = QStringLiteral("usb");
const QString wireless = QStringLiteral("wireless");

ScrcpyError badAddress()
{
    return ScrcpyError::invalidInput(
        QStringLiteral("Enter a valid host:port address, for example 192.168.1.20:37123."));
}

// What the user sees as characters, not UTF-16 units: an emoji counts once.
qsizetype perceivedLength(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

bool isDecimalDigits(const QString &text)
{
    const QList<uint> scalars = text.toUcs4();
    return std::all_of(scalars.cbegin(), scalars.cend(),
                       [](uint scalar) { return QChar::category(scalar) == QChar::Number_DecimalDigit; });
}

const DeviceInfo *findSerial(const QList<DeviceInfo> &devices, const QString &serial)
{
    const auto it = std::find_if(devices.cbegin(), devices.cend(),
                                 [&serial](const DeviceInfo &device) { return device.serial == serial; });
    return it == devices.cend() ? nullptr : &*it;
}

bool sameIdentityFields(const DeviceInfo &a, const DeviceInfo &b)
{
    return a.model && a.product && a.device && b.model && b.product && b.device && *a.model == *b.model &&
           *a.product == *b.product && *a.device == *b.device;
}

QString noLongerVisible()
{
    return QStringLiteral("The selected phone is no longer visible to ADB.");
}

QString hostOf(const QString &address)
{
    return address.section(QLatin1Char(':'), 0, -2);
}

// Mobile data goes by many names (rmnet_data*, ccmni*, v4-rmnet* for the IPv4 translator, seth_*), so
// the Wi-Fi interface is recognised, not the others ruled out.
bool isWifiInterface(const QString &name)
{
    return name.startsWith(QLatin1String("wlan"));
}

// The word after `key` on one route line, or "" when the line has none.
QString valueAfter(const QStringList &words, const QString &key)
{
    const qsizetype at = words.indexOf(key);
    return at >= 0 && at + 1 < words.size() ? words.at(at + 1) : QString();
}

// After `adb tcpip` the phone's adbd stays in TCP mode until it restarts; a failed connect must not hide
// that from the user.
ScrcpyError leftInTcpMode(const ScrcpyError &failure)
{
    QString text = failure.text();
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    text += QStringLiteral(" The phone now also accepts ADB over Wi-Fi on port %1 until it restarts: check "
                           "that it is on the same Wi-Fi network as this computer, then try again.")
                .arg(WirelessService::tcpPort);
    return ScrcpyError(failure.kind(), text);
}

} // namespace

bool IPv4::isValid(const QString &token)
{
    const QStringList pieces = token.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (pieces.size() != 4)
        return false;
    return std::all_of(pieces.cbegin(), pieces.cend(), [](const QString &piece) {
        // Only digits: the number reader alone would let a sign through.
        const bool digitsOnly =
            std::all_of(piece.cbegin(), piece.cend(), [](QChar c) { return c.isDigit(); });
        const auto value = TextParsing::parseUInt32(piece);
        return digitsOnly && value && *value <= 255;
    });
}

QString WirelessService::validateAddress(const QString &text)
{
    const QString address = text.trimmed();
    const bool innerSpace =
        std::any_of(address.cbegin(), address.cend(), [](QChar c) { return c.isSpace(); });
    if (address.isEmpty() || perceivedLength(address) > 255 || innerSpace ||
        !address.contains(QLatin1Char(':')))
        throw badAddress();
    return address;
}

QString WirelessService::validatePairingCode(const QString &text)
{
    const QString code = text.trimmed();
    const qsizetype length = perceivedLength(code);
    if (length < 6 || length > 12 || !isDecimalDigits(code))
        throw ScrcpyError::invalidInput(QStringLiteral("Enter the numeric pairing code shown on the phone."));
    return code;
}

bool WirelessService::connectOutputIndicatesFailure(const QString &output)
{
    static const QStringList phrases{QStringLiteral("failed to connect"), QStringLiteral("cannot connect"),
                                     QStringLiteral("unable to connect"),
                                     QStringLiteral("connection refused"), QStringLiteral("no route to host"),
                                     QStringLiteral("timed out"),
                                     // adb reaches the phone but is turned away, and still exits 0.
                                     QStringLiteral("failed to authenticate")};
    const QString text = output.toLower().remove(QChar(u'\0'));
    return std::any_of(phrases.cbegin(), phrases.cend(),
                       [&text](const QString &phrase) { return text.contains(phrase); });
}

bool WirelessService::pairOutputIndicatesFailure(const QString &output)
{
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
        const QString text = line.trimmed().toLower();
        return text.startsWith(QLatin1String("failed")) || text.startsWith(QLatin1String("error:")) ||
               text.startsWith(QLatin1String("adb: error"));
    });
}

std::optional<QString> WirelessService::adbCannotPair(const std::optional<ToolVersion> &release)
{
    const ToolVersion minimum = ToolVersion::adbPairingMinimum();
    if (!release || *release >= minimum)
        return std::nullopt;
    return QStringLiteral("This adb (%1) cannot pair over Wi-Fi: pairing needs Android platform-tools %2 or "
                          "newer.")
        .arg(release->text)
        .arg(minimum.major);
}

QString WirelessService::connectFailureText(const QString &failure, const QString &address,
                                            const std::optional<QString> &pairedAddress)
{
    const bool refused = failure.toLower().contains(QLatin1String("connection refused"));
    if (!refused || !pairedAddress || hostOf(*pairedAddress) != hostOf(address.trimmed()))
        return failure;
    return failure + (failure.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ")) +
           QStringLiteral("Pairing and connecting use two different ports: connect to the IP address and "
                          "port shown on the phone's Wireless debugging screen, not the pairing port.");
}

QCoro::Task<std::optional<QString>> WirelessService::pairingProblem() const
{
    const QString advice = newerAdbAdvice;
    const std::optional<ToolVersion> release = co_await RuntimeLocator::adbRelease(paths.adb());
    if (const std::optional<QString> problem = adbCannotPair(release))
        co_return *problem + QLatin1Char(' ') + advice;
    co_return std::nullopt;
}

QCoro::Task<QString> WirelessService::runAdb(QStringList arguments) const
{
    co_return co_await ProcessRunner::output(paths.adb(), arguments);
}

QCoro::Task<QString> WirelessService::pairDevice(QString address, QString code) const
{
    const WirelessService self = *this;
    const QString host = validateAddress(address);
    const QString pin = validatePairingCode(code);
    if (const std::optional<QString> problem = co_await self.pairingProblem())
        throw ScrcpyError::invalidInput(*problem);
    const QStringList arguments{QStringLiteral("pair"), host, pin};
    const QString output = co_await self.runAdb(arguments);
    if (pairOutputIndicatesFailure(output))
        throw ScrcpyError::unchecked(output);
    // adb names the pairing port, which people then try to connect to.
    if (!output.isEmpty())
        co_return ErrorCatalog::explained(output);
    co_return QStringLiteral("Pairing request completed. Use the separate IP:port shown on the main Wireless "
                             "debugging page to connect.");
}

QCoro::Task<QString> WirelessService::connectDevice(QString address) const
{
    const WirelessService self = *this;
    const QString host = validateAddress(address);
    std::optional<ScrcpyError> failure;
    try {
        co_return co_await self.connectAt(host);
    } catch (const ScrcpyError &error) {
        if (error.kind() != ScrcpyError::Kind::Unchecked)
            throw;
        failure = error;
    }
    const WirelessStoreFile store = WirelessStoreFile::read();
    const SavedWirelessDevice *saved = store.find(host);
    // Port 5555 is the one `adb tcpip` opened: it does not move, the phone stops listening when it restarts.
    if (!saved || host.section(QLatin1Char(':'), -1) == QString::number(tcpPort))
        throw *failure;
    co_return co_await self.reconnectMoved(*saved, *failure);
}

QCoro::Task<QString> WirelessService::connectAt(QString address) const
{
    const WirelessService self = *this;
    const QStringList arguments{QStringLiteral("connect"), address};
    const QString output = co_await self.runAdb(arguments);
    if (connectOutputIndicatesFailure(output))
        throw ScrcpyError::unchecked(output);
    co_await self.rememberAddress(address);
    co_return output.isEmpty() ? QStringLiteral("Connected to ") + address : output;
}

// Wireless debugging listens on a new port each time it is turned on, so a remembered address goes stale.
QCoro::Task<QString> WirelessService::reconnectMoved(SavedWirelessDevice saved, ScrcpyError failure) const
{
    const WirelessService self = *this;
    // Browsing arrived with wireless debugging itself; an older adb does not know the command.
    const std::optional<ToolVersion> release = co_await RuntimeLocator::adbRelease(self.paths.adb());
    if (release && *release < ToolVersion::adbPairingMinimum())
        throw ScrcpyError::unchecked(portChangedText(failure.text(), *release));
    const QList<MdnsService> services = co_await self.mdnsServices();
    const std::optional<QString> moved = movedAddress(saved, services);
    if (!moved || *moved == saved.address)
        throw failure;
    co_await self.connectAt(*moved);
    // An entry that did not know its phone yet cannot be matched by serial: it is the phone just found,
    // and what was learned for the phone at its old address is the phone's now.
    std::optional<QString> hardwareSerial;
    WirelessStoreFile::update([&saved, &moved, &hardwareSerial](WirelessStoreFile &store) {
        if (const SavedWirelessDevice *found = store.find(*moved))
            hardwareSerial = found->hardwareSerial;
        store.devices.removeIf([&](const SavedWirelessDevice &d) {
            return d.address == saved.address && d.address != *moved && !d.hardwareSerial;
        });
    });
    ProfileStore{}.adopt(PhoneIdentity(saved.address, hardwareSerial));
    co_return QStringLiteral("The phone's wireless debugging port changed; reconnected at %1.").arg(*moved);
}

QCoro::Task<void> WirelessService::disconnectAddress(QString serialOrAddress) const
{
    const QStringList arguments{QStringLiteral("disconnect"), serialOrAddress};
    try {
        co_await runAdb(arguments);
    } catch (const std::exception &) {
    }
}

QCoro::Task<TransportSwitchResult> WirelessService::enableUSBWireless(QString serial) const
{
    const WirelessService self = *this;
    const ADBService bridge = self.adb();
    const QList<DeviceInfo> devices = co_await bridge.listDevices();
    const DeviceInfo *device = findSerial(devices, serial);
    if (!device)
        throw ScrcpyError::deviceState(QStringLiteral("The selected USB device is no longer connected."));
    if (device->state != QLatin1String("device"))
        throw ScrcpyError::invalidInput(QStringLiteral("The selected device is not authorized for ADB."));
    if (device->connectionKind != usb)
        throw ScrcpyError::invalidInput(QStringLiteral("This device is already connected wirelessly."));

    const QString ip = co_await deviceWiFiIP(bridge, serial);
    const QStringList tcpip{QStringLiteral("-s"), serial, QStringLiteral("tcpip"), QString::number(tcpPort)};
    const QString output = co_await self.runAdb(tcpip);
    if (connectOutputIndicatesFailure(output))
        throw ScrcpyError::unchecked(output);
    // adbd restarts in TCP mode after answering; connecting at once would find nobody listening.
    co_await sleepPrecisely(self.timing.tcpipToConnect);

    const QString address = ip + QLatin1Char(':') + QString::number(tcpPort);
    std::optional<ScrcpyError> failure;
    try {
        co_await self.connectDevice(address);
    } catch (const ScrcpyError &error) {
        failure = error;
    }
    if (failure)
        throw leftInTcpMode(*failure);
    co_return TransportSwitchResult{
        address, wireless,
        QStringLiteral("Wireless connection established at %1. You can unplug the USB cable now.")
            .arg(address),
        true};
}

QCoro::Task<TransportSwitchResult> WirelessService::switchToUSB(QString serial) const
{
    const WirelessService self = *this;
    const ADBService bridge = self.adb();
    const QList<DeviceInfo> devices = co_await bridge.listDevices();
    const DeviceInfo *device = findSerial(devices, serial);
    if (!device)
        throw ScrcpyError::deviceState(noLongerVisible());
    if (device->connectionKind == usb)
        co_return TransportSwitchResult{device->serial, usb,
                                        QStringLiteral("USB is already the active connection."), false};

    const std::optional<DeviceInfo> sibling = co_await siblingTransport(bridge, serial, usb);
    if (!sibling)
        throw ScrcpyError::invalidInput(
            QStringLiteral("Connect this phone with a USB data cable and approve USB "
                           "debugging, then try Use USB Instead again."));
    co_await self.disconnectAddress(serial);
    // Lets the adb server drop the wireless transport before the caller lists devices again.
    co_await sleepPrecisely(self.timing.afterDisconnect);
    co_return TransportSwitchResult{
        sibling->serial, usb, QStringLiteral("USB connection is active. Wireless ADB has been disconnected."),
        false};
}

QCoro::Task<TransportSwitchResult> WirelessService::forgetDevice(QString address) const
{
    const WirelessService self = *this;
    const QString host = validateAddress(address);
    std::optional<DeviceInfo> sibling;
    try {
        sibling = co_await siblingTransport(self.adb(), host, usb);
    } catch (const std::exception &) {
    }

    WirelessStoreFile::update([&host](WirelessStoreFile &store) {
        store.devices.removeIf([&host](const SavedWirelessDevice &device) { return device.address == host; });
    });
    co_await self.disconnectAddress(host);

    if (sibling)
        co_return TransportSwitchResult{
            sibling->serial, usb,
            QStringLiteral("Wireless connection disconnected and forgotten. USB is now selected."), false};
    co_return TransportSwitchResult{QString(), QStringLiteral("none"),
                                    QStringLiteral("Wireless connection disconnected and forgotten."), false};
}

QCoro::Task<QList<RememberedWirelessDevice>> WirelessService::listRemembered() const
{
    const WirelessStoreFile store = WirelessStoreFile::read();
    const ADBService bridge = adb();
    QList<DeviceInfo> devices;
    try {
        devices = co_await bridge.listDevices();
    } catch (const std::exception &) {
    }
    QList<RememberedWirelessDevice> remembered;
    for (const SavedWirelessDevice &saved : store.devices) {
        // adb may have connected the phone by itself, under the name of the service it announces.
        const bool connected = std::any_of(devices.cbegin(), devices.cend(), [&saved](const DeviceInfo &d) {
            const bool reached =
                d.serial == saved.address ||
                (saved.hardwareSerial && PhoneIdentity::fromServiceName(d.serial) == saved.hardwareSerial);
            return reached && d.state == QLatin1String("device");
        });
        remembered.append({saved.address, saved.label, connected, saved.lastUsed, saved.hardwareSerial});
    }
    std::stable_sort(remembered.begin(), remembered.end(),
                     [](const RememberedWirelessDevice &a, const RememberedWirelessDevice &b) {
                         return a.lastUsed > b.lastUsed;
                     });
    co_return remembered;
}

QCoro::Task<void> WirelessService::rememberAddress(QString address) const
{
    const std::optional<QString> hardwareSerial = co_await adb().hardwareSerial(address);
    const std::optional<QString> model = co_await connectedModel(address);
    const auto now = static_cast<quint64>(QDateTime::currentSecsSinceEpoch());
    const SavedWirelessDevice device{address, model.value_or(address), now, hardwareSerial};
    WirelessStoreFile::update([&device](WirelessStoreFile &store) { store.remember(device); });
}

QCoro::Task<std::optional<QString>> WirelessService::connectedModel(QString serial) const
{
    const ADBService bridge = adb();
    const QString model = co_await bridge.getprop(serial, QStringLiteral("ro.product.model"));
    if (model.isEmpty() || model == QLatin1String("unknown"))
        co_return std::nullopt;
    co_return model;
}

void WirelessService::writeStore(const WirelessStoreFile &store)
{
    store.write();
}

void WirelessService::adopt(const PhoneIdentity &phone)
{
    if (!phone.hardwareSerial || !WirelessStoreFile::read().find(phone.serial))
        return;
    WirelessStoreFile::update([&phone](WirelessStoreFile &store) { store.adopt(phone); });
}

QCoro::Task<QList<MdnsService>> WirelessService::mdnsServices() const
{
    const QStringList arguments{QStringLiteral("mdns"), QStringLiteral("services")};
    try {
        co_return parseMdnsServices(co_await runAdb(arguments));
    } catch (const std::exception &) {
    }
    co_return QList<MdnsService>();
}

QList<MdnsService> WirelessService::parseMdnsServices(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<MdnsService> services;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        // Some adb releases end the type with the DNS root's dot.
        QString type = words.value(1);
        if (type.endsWith(QLatin1Char('.')))
            type.chop(1);
        if (words.size() != 3 || !type.startsWith(QLatin1String("_adb")) ||
            !words[2].contains(QLatin1Char(':')))
            continue;
        services.append({words[0], type, words[2]});
    }
    return services;
}

std::optional<QString> WirelessService::movedAddress(const SavedWirelessDevice &saved,
                                                     const QList<MdnsService> &services)
{
    QStringList candidates;
    for (const MdnsService &service : services) {
        if (!service.isConnectService())
            continue;
        const bool samePhone = saved.hardwareSerial
                                   ? PhoneIdentity::fromServiceName(service.instance) == saved.hardwareSerial
                                   : hostOf(service.address) == hostOf(saved.address);
        if (samePhone && !candidates.contains(service.address))
            candidates.append(service.address);
    }
    // Two phones behind one host (or one phone announced twice on different ports): guessing could reach
    // the wrong one.
    if (candidates.size() != 1)
        return std::nullopt;
    return candidates.first();
}

QString WirelessService::portChangedText(const QString &failure, const ToolVersion &adbRelease)
{
    QString text = failure;
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text +
           QStringLiteral(" Wireless debugging picks a new port each time it is turned on, and this adb "
                          "(%1) cannot look the new one up: read it under \"IP address & Port\" on "
                          "the phone's Wireless debugging screen and connect to that address.")
               .arg(adbRelease.text);
}

QCoro::Task<QString> WirelessService::deviceWiFiIP(ADBService adb, QString serial)
{
    const QStringList route{QStringLiteral("ip"), QStringLiteral("route")};
    try {
        const QString output = co_await adb.shell(serial, route);
        if (auto ip = wifiIPv4FromRoutes(output))
            co_return *ip;
    } catch (const std::exception &) {
    }
    const QStringList addr{QStringLiteral("ip"),   QStringLiteral("-f"),   QStringLiteral("inet"),
                           QStringLiteral("addr"), QStringLiteral("show"), QStringLiteral("wlan0")};
    try {
        const QString output = co_await adb.shell(serial, addr);
        if (auto ip = firstIPv4FromRoute(output, QStringLiteral("inet")))
            co_return *ip;
    } catch (const std::exception &) {
    }
    throw ScrcpyError::invalidInput(QStringLiteral(
        "Could not detect the phone's Wi-Fi IP address. Make sure the phone is connected to Wi-Fi."));
}

std::optional<QString> WirelessService::wifiIPv4FromRoutes(const QString &output)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        const QString source = valueAfter(words, QStringLiteral("src"));
        if (isWifiInterface(valueAfter(words, QStringLiteral("dev"))) && IPv4::isValid(source))
            return source;
    }
    return std::nullopt;
}

std::optional<QString> WirelessService::firstIPv4FromRoute(const QString &output, const QString &marker)
{
    // Only spaces separate: a line break stays inside its piece, as the phone's output is read whole.
    const QStringList pieces = output.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        if (pieces.at(i - 1) != marker)
            continue;
        const QString candidate = pieces.at(i).section(QLatin1Char('/'), 0, 0);
        if (IPv4::isValid(candidate))
            return candidate;
    }
    return std::nullopt;
}

QCoro::Task<bool> WirelessService::samePhysicalPhone(ADBService adb, DeviceInfo a, DeviceInfo b)
{
    if (const std::optional<QString> first = co_await adb.hardwareSerial(a.serial)) {
        const std::optional<QString> second = co_await adb.hardwareSerial(b.serial);
        if (second && *second == *first)
            co_return true;
    }
    co_return sameIdentityFields(a, b);
}

QCoro::Task<std::optional<DeviceInfo>> WirelessService::siblingTransport(ADBService adb, QString serial,
                                                                         QString targetKind)
{
    const QList<DeviceInfo> devices = co_await adb.listDevices();
    const DeviceInfo *found = findSerial(devices, serial);
    if (!found)
        throw ScrcpyError::deviceState(noLongerVisible());
    const DeviceInfo source = *found;
    if (source.state != QLatin1String("device"))
        co_return std::nullopt;

    QList<DeviceInfo> matches;
    for (const DeviceInfo &candidate : devices) {
        if (candidate.serial == source.serial || candidate.state != QLatin1String("device") ||
            candidate.connectionKind != targetKind)
            continue;
        if (co_await samePhysicalPhone(adb, source, candidate))
            matches.append(candidate);
    }
    // Two USB phones that both look like this one: guessing could select the wrong phone.
    if (matches.size() != 1)
        co_return std::nullopt;
    co_return matches.first();
}

} // namespace quorvane

#pragma once

#include "ADBService.h"
#include "Errors.h"
#include "Models.h"
#include "Timing.h"
#include "ToolPaths.h"
#include "ToolVersion.h"
#include "WirelessRecords.h"
#include "WirelessStoreFile.h"

#include <QList>
#include <QString>

#include <QCoroTask>

#include <optional>

namespace quorvane {

namespace IPv4 {
// A dotted quad of four decimal pieces from 0 to 255; leading zeros allowed, nothing else.
bool isValid(const QString &token);
} // namespace IPv4

// ADB over Wi-Fi: pairing, connecting, moving a phone between USB and Wi-Fi, and the remembered
// addresses. A value; whatever it remembers lives in "wireless-devices.json".
struct WirelessService
{
    ToolPaths paths;
    Timing timing{};
    // How the user of this front end puts a newer adb in place, said after the adb that cannot pair.
    QString newerAdbAdvice = QStringLiteral("Install it and set its adb in Settings.");

    static constexpr quint16 tcpPort = 5555;

    // The checks run before any process, so typed input never reaches adb unless it passes.
    static QString validateAddress(const QString &text);
    static QString validatePairingCode(const QString &text);
    static bool connectOutputIndicatesFailure(const QString &output);
    // adb pair reports a wrong code or an unreachable phone on standard output and exits 0.
    static bool pairOutputIndicatesFailure(const QString &output);
    // Why this adb cannot pair, or none when its release can (or is unknown: adb itself will tell).
    static std::optional<QString> adbCannotPair(const std::optional<ToolVersion> &release);
    // A refused connect to the host just paired with is almost always the pairing port, typed again.
    static QString connectFailureText(const QString &failure, const QString &address,
                                      const std::optional<QString> &pairedAddress);

    // The sentence that refuses pairing with the adb in use, with this front end's advice; none when it can.
    QCoro::Task<std::optional<QString>> pairingProblem() const;

    QCoro::Task<QString> pairDevice(QString address, QString code) const;
    // A remembered phone that no longer answers at its address is looked up by its hardware serial among
    // the services phones announce on the network (adb 30 and newer) and connected where it is now.
    QCoro::Task<QString> connectDevice(QString address) const;
    // Never fails: a transport that is already gone is what the caller wanted anyway.
    QCoro::Task<void> disconnectAddress(QString serialOrAddress) const;

    QCoro::Task<TransportSwitchResult> enableUSBWireless(QString serial) const;
    QCoro::Task<TransportSwitchResult> switchToUSB(QString serial) const;
    QCoro::Task<TransportSwitchResult> forgetDevice(QString address) const;

    QCoro::Task<QList<RememberedWirelessDevice>> listRemembered() const;
    QCoro::Task<void> rememberAddress(QString address) const;
    QCoro::Task<std::optional<QString>> connectedModel(QString serial) const;
    static void writeStore(const WirelessStoreFile &store);
    // Files the remembered entry of the address the phone was met at under its hardware serial.
    static void adopt(const PhoneIdentity &phone);

    // `adb mdns services`: never fails, empty when adb cannot browse.
    QCoro::Task<QList<MdnsService>> mdnsServices() const;
    static QList<MdnsService> parseMdnsServices(const QString &text);
    // Where the remembered phone announces it can be connected to now; none when it does not, or, for an
    // entry without a hardware serial, when its host announces anything but exactly one such service.
    static std::optional<QString> movedAddress(const SavedWirelessDevice &saved,
                                               const QList<MdnsService> &services);
    // The failure of a connect to a remembered phone, with what the user can do when adb cannot look up
    // the phone's new port itself.
    static QString portChangedText(const QString &failure, const ToolVersion &adbRelease);

    static QCoro::Task<QString> deviceWiFiIP(ADBService adb, QString serial);
    // The source address of the first route on a Wi-Fi interface, read one route line at a time.
    static std::optional<QString> wifiIPv4FromRoutes(const QString &output);
    static std::optional<QString> firstIPv4FromRoute(const QString &output, const QString &marker);
    static QCoro::Task<std::optional<DeviceInfo>> siblingTransport(ADBService adb, QString serial,
                                                                   QString targetKind);
    static QCoro::Task<bool> samePhysicalPhone(ADBService adb, DeviceInfo a, DeviceInfo b);

private:
    ADBService adb() const { return ADBService{paths}; }
    // adb words that are not shell commands (pair, connect, tcpip, ...), run as one argument vector.
    QCoro::Task<QString> runAdb(QStringList arguments) const;
    QCoro::Task<QString> connectAt(QString address) const;
    QCoro::Task<QString> reconnectMoved(SavedWirelessDevice saved, ScrcpyError failure) const;
};

} // namespace quorvane

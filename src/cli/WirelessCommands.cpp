#include "Commands.h"
#include "WirelessService.h"

#include <QDateTime>

namespace quorvane::cli {

namespace {

void printMessage(const CliContext &context, const QString &message)
{
    if (context.json)
        context.printJson(QJsonObject{{QStringLiteral("message"), message}});
    else
        context.print(message);
}

void printSwitch(const CliContext &context, const TransportSwitchResult &result)
{
    if (context.json) {
        context.printJson(toJson(result));
        return;
    }
    context.print(result.message);
    if (!result.activeSerial.isEmpty())
        context.print(QStringLiteral("Active: %1 (%2)").arg(result.activeSerial, result.activeConnection));
}

QCoro::Task<int> pair(CliContext context, ArgumentList arguments)
{
    const QString address = arguments.takePositional(QStringLiteral("address"));
    const QString code = arguments.takePositional(QStringLiteral("pairing code"));
    arguments.expectEnd();
    const WirelessService service{context.paths};
    const QString message = co_await service.pairDevice(address, code);
    printMessage(context, message);
    co_return 0;
}

QCoro::Task<int> connect(CliContext context, ArgumentList arguments)
{
    const QString address = arguments.takePositional(QStringLiteral("address"));
    arguments.expectEnd();
    const WirelessService service{context.paths};
    const QString message = co_await service.connectDevice(address);
    printMessage(context, message);
    co_return 0;
}

QCoro::Task<int> wifi(CliContext context, ArgumentList arguments)
{
    const QString serial = arguments.takePositional(QStringLiteral("serial"));
    arguments.expectEnd();
    const WirelessService service{context.paths};
    const TransportSwitchResult result = co_await service.enableUSBWireless(serial);
    printSwitch(context, result);
    co_return 0;
}

QCoro::Task<int> usb(CliContext context, ArgumentList arguments)
{
    const QString serial = arguments.takePositional(QStringLiteral("serial"));
    arguments.expectEnd();
    const WirelessService service{context.paths};
    const TransportSwitchResult result = co_await service.switchToUSB(serial);
    printSwitch(context, result);
    co_return 0;
}

QCoro::Task<int> forget(CliContext context, ArgumentList arguments)
{
    const QString address = arguments.takePositional(QStringLiteral("address"));
    arguments.expectEnd();
    const WirelessService service{context.paths};
    const TransportSwitchResult result = co_await service.forgetDevice(address);
    printSwitch(context, result);
    co_return 0;
}

QCoro::Task<int> remembered(CliContext context, ArgumentList arguments)
{
    arguments.expectEnd();
    const WirelessService service{context.paths};
    const QList<RememberedWirelessDevice> devices = co_await service.listRemembered();
    if (context.json) {
        QJsonArray array;
        for (const RememberedWirelessDevice &device : devices)
            array.append(toJson(device));
        context.printJson(array);
        co_return 0;
    }
    if (devices.isEmpty())
        context.print(QStringLiteral("No remembered wireless devices."));
    for (const RememberedWirelessDevice &device : devices) {
        const QString lastUsed = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(device.lastUsed), Qt::UTC)
                                     .toString(Qt::ISODate);
        context.print(
            QStringLiteral("%1\t%2\t%3\t%4")
                .arg(device.address, device.label,
                     device.connected ? QStringLiteral("connected") : QStringLiteral("not connected"),
                     lastUsed));
    }
    co_return 0;
}

} // namespace

QList<Command> wirelessCommands()
{
    return {
        {QStringLiteral("pair"),
         QStringLiteral("pair ADDRESS CODE       pair with a phone for wireless debugging"), pair},
        {QStringLiteral("connect"), QStringLiteral("connect ADDRESS         connect to a phone over Wi-Fi"),
         connect},
        {QStringLiteral("wifi"),
         QStringLiteral("wifi SERIAL             move a USB-connected phone to Wi-Fi"), wifi},
        {QStringLiteral("usb"),
         QStringLiteral("usb SERIAL              move a wireless phone back to its USB cable"), usb},
        {QStringLiteral("forget"),
         QStringLiteral("forget ADDRESS          disconnect and forget a wireless address"), forget},
        {QStringLiteral("remembered"),
         QStringLiteral("remembered              the remembered wireless addresses"), remembered},
    };
}

} // namespace quorvane::cli

#include "Commands.h"
#include "WirelessService.h"

#include <QDateTime>

#include <type_traits>

namespace quorvane::cli {

namespace {

// How a wireless command answers: the text a person reads, or one JSON document for a script.
void printAnswer(const CliContext &context, const QString &message)
{
    if (context.json)
        context.printJson(QJsonObject{{QStringLiteral("message"), message}});
    else
        context.print(message);
}

void printAnswer(const CliContext &context, const TransportSwitchResult &result)
{
    if (context.json) {
        context.printJson(toJson(result));
        return;
    }
    context.print(result.message);
    if (!result.activeSerial.isEmpty())
        context.print(QStringLiteral("Active: %1 (%2)").arg(result.activeSerial, result.activeConnection));
}

void printAnswer(const CliContext &context, const QList<RememberedWirelessDevice> &devices)
{
    if (context.json) {
        QJsonArray array;
        for (const RememberedWirelessDevice &device : devices)
            array.append(toJson(device));
        context.printJson(array);
        return;
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
}

// Every wireless command is one call of the service on the words it read, answered as above. Everything is
// taken by value: the call runs on after the command's own function has returned.
template<typename Answer, typename... Words>
QCoro::Task<int> answer(CliContext context, QCoro::Task<Answer> (WirelessService::*call)(Words...) const,
                        std::type_identity_t<Words>... words)
{
    // Settings belong to the application; here the adb in use is the one --adb names.
    const WirelessService service{context.paths, Timing{},
                                  QStringLiteral("Install it and pass its adb with --adb.")};
    QCoro::Task<Answer> asking = (service.*call)(words...);
    const Answer result = co_await std::move(asking);
    printAnswer(context, result);
    co_return 0;
}

QCoro::Task<int> pair(CliContext context, ParsedArguments arguments)
{
    return answer(std::move(context), &WirelessService::pairDevice,
                  *arguments.positional(QStringLiteral("ADDRESS")),
                  *arguments.positional(QStringLiteral("CODE")));
}

QCoro::Task<int> connect(CliContext context, ParsedArguments arguments)
{
    return answer(std::move(context), &WirelessService::connectDevice,
                  *arguments.positional(QStringLiteral("ADDRESS")));
}

QCoro::Task<int> wifi(CliContext context, ParsedArguments arguments)
{
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    co_return co_await answer(std::move(context), &WirelessService::enableUSBWireless, serial);
}

QCoro::Task<int> usb(CliContext context, ParsedArguments arguments)
{
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    co_return co_await answer(std::move(context), &WirelessService::switchToUSB, serial);
}

QCoro::Task<int> forget(CliContext context, ParsedArguments arguments)
{
    return answer(std::move(context), &WirelessService::forgetDevice,
                  *arguments.positional(QStringLiteral("ADDRESS")));
}

QCoro::Task<int> remembered(CliContext context, ParsedArguments)
{
    return answer(std::move(context), &WirelessService::listRemembered);
}

PositionalRule address(const QString &help)
{
    return {QStringLiteral("ADDRESS"), help};
}

} // namespace

QList<Command> wirelessCommands()
{
    return {
        {QStringLiteral("pair"),
         QStringLiteral("pair with a phone for wireless debugging"),
         {address(QStringLiteral("the pairing address the phone shows, HOST:PORT")),
          {QStringLiteral("CODE"), QStringLiteral("the six-digit pairing code the phone shows")}},
         {},
         pair},
        {QStringLiteral("connect"),
         QStringLiteral("connect to a phone over Wi-Fi"),
         {address(QStringLiteral("the phone's address, HOST or HOST:PORT"))},
         {},
         connect},
        {QStringLiteral("wifi"),
         QStringLiteral("move a USB-connected phone to Wi-Fi"),
         {phonePositional()},
         {},
         wifi},
        {QStringLiteral("usb"),
         QStringLiteral("move a wireless phone back to its USB cable"),
         {phonePositional()},
         {},
         usb},
        {QStringLiteral("forget"),
         QStringLiteral("disconnect and forget a wireless address"),
         {address(QStringLiteral("a remembered address, as remembered lists it"))},
         {},
         forget},
        {QStringLiteral("remembered"),
         QStringLiteral("the remembered wireless addresses"),
         {},
         {},
         remembered},
    };
}

} // namespace quorvane::cli

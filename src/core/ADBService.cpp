#include "ADBService.h"

#include "ProcessRunner.h"

#include <QHash>
#include <QRegularExpression>

namespace quorvane {

namespace {

QString trimSpacesAndTabs(QString line)
{
    static const QRegularExpression edges(QStringLiteral("^[ \\t]+|[ \\t]+$"));
    return line.remove(edges);
}

std::optional<DeviceInfo> parseDeviceLine(const QString &rawLine)
{
    const QString line = trimSpacesAndTabs(rawLine);
    if (line.isEmpty() || line.startsWith(QLatin1Char('*')))
        return std::nullopt;
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    const QStringList tokens = line.split(whitespace, Qt::SkipEmptyParts);
    if (tokens.isEmpty())
        return std::nullopt;

    QHash<QString, QString> details;
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        const qsizetype colon = tokens[i].indexOf(QLatin1Char(':'));
        if (colon >= 0)
            details.insert(tokens[i].left(colon), tokens[i].mid(colon + 1));
    }
    auto detail = [&details](const QString &key) -> std::optional<QString> {
        const auto it = details.constFind(key);
        return it == details.cend() ? std::nullopt : std::optional<QString>(*it);
    };

    DeviceInfo device;
    device.serial = tokens[0];
    device.state = tokens.size() > 1 ? tokens[1] : QStringLiteral("unknown");
    device.model = detail(QStringLiteral("model"));
    device.product = detail(QStringLiteral("product"));
    device.device = detail(QStringLiteral("device"));
    device.connectionKind =
        ADBService::isWirelessSerial(device.serial) ? QStringLiteral("wireless") : QStringLiteral("usb");
    return device;
}

} // namespace

QList<DeviceInfo> ADBService::parseDevices(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    QList<DeviceInfo> devices;
    bool headerSeen = false;
    for (const QString &line : lines) {
        if (!headerSeen) {
            headerSeen = line.startsWith(QLatin1String("List of devices attached"));
            continue;
        }
        if (auto device = parseDeviceLine(line))
            devices.append(*device);
    }
    return devices;
}

bool ADBService::isWirelessSerial(const QString &serial)
{
    return serial.contains(QLatin1Char(':')) || serial.contains(QLatin1String("_adb-tls-"));
}

QCoro::Task<QList<DeviceInfo>> ADBService::listDevices() const
{
    const QStringList arguments{QStringLiteral("devices"), QStringLiteral("-l")};
    const QString text = co_await ProcessRunner::output(paths.adb(), arguments);
    co_return parseDevices(text);
}

QCoro::Task<QString> ADBService::shell(QString serial, QStringList arguments) const
{
    QStringList words{QStringLiteral("-s"), serial, QStringLiteral("shell")};
    words += arguments;
    co_return co_await ProcessRunner::output(paths.adb(), words);
}

QCoro::Task<QString> ADBService::getprop(QString serial, QString key) const
{
    const QStringList arguments{QStringLiteral("getprop"), key};
    try {
        const QString value = co_await shell(serial, arguments);
        co_return value.trimmed();
    } catch (const std::exception &) {
    }
    co_return QString();
}

} // namespace quorvane

#include "CliContext.h"

#include "ADBService.h"
#include "Errors.h"
#include "SettingsJournal.h"

#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QTextStream>

namespace quorvane::cli {

UsageError::UsageError(const QString &text)
    : std::runtime_error(text.toStdString())
{
}

void CliContext::print(const QString &text) const
{
    QTextStream(stdout) << text << Qt::endl;
}

void CliContext::printJson(const QJsonObject &object) const
{
    QTextStream(stdout) << QJsonDocument(object).toJson(QJsonDocument::Indented);
}

void CliContext::printJson(const QJsonArray &array) const
{
    QTextStream(stdout) << QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QCoro::Task<void> putBackLeftoverSettings(ToolPaths paths, QString serial)
{
    QCoro::Task<std::optional<QString>> putting =
        SettingsJournal{}.putBackLeftovers(std::move(paths), serial);
    if (const std::optional<QString> message = co_await std::move(putting))
        QTextStream(stderr) << *message << Qt::endl;
}

QCoro::Task<QString> choosePhone(ToolPaths paths, std::optional<QString> named)
{
    if (named)
        co_return *named;
    const QString fromEnvironment =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("ANDROID_SERIAL")).trimmed();
    if (!fromEnvironment.isEmpty())
        co_return fromEnvironment;
    const ADBService adb{paths};
    const QList<DeviceInfo> devices = co_await adb.listDevices();
    QStringList ready;
    QStringList notReady;
    for (const DeviceInfo &device : devices) {
        if (device.state == QLatin1String("device"))
            ready.append(device.serial);
        else
            notReady.append(QStringLiteral("%1 is %2").arg(device.serial, device.state));
    }
    if (ready.size() == 1)
        co_return ready.first();
    if (ready.size() > 1)
        throw ScrcpyError::deviceState(
            QStringLiteral("More than one phone is ready (%1): choose one with -s SERIAL.")
                .arg(ready.join(QStringLiteral(", "))));
    if (!notReady.isEmpty())
        throw ScrcpyError::deviceState(
            QStringLiteral("No phone is ready (%1): allow USB debugging on the phone, or choose one with "
                           "-s SERIAL.")
                .arg(notReady.join(QStringLiteral(", "))));
    throw ScrcpyError::deviceState(QStringLiteral(
        "No phone is connected: connect one with USB debugging on, or name one with -s SERIAL."));
}

} // namespace quorvane::cli

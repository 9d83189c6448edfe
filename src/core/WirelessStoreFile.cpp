#include "WirelessStoreFile.h"

#include "AppPaths.h"
#include "JsonDecoder.h"
#include "JsonFile.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// JSON numbers arrive as doubles: only whole, non-negative values that a double holds exactly count.
std::optional<quint64> wholeSeconds(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    constexpr double exactLimit = 9007199254740992.0; // 2^53
    if (number < 0 || number > exactLimit || std::floor(number) != number)
        return std::nullopt;
    return static_cast<quint64>(number);
}

std::optional<SavedWirelessDevice> deviceFromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue address = object.value(QStringLiteral("address"));
    const QJsonValue label = object.value(QStringLiteral("label"));
    const auto lastUsed = wholeSeconds(object.value(QStringLiteral("lastUsed")));
    if (!address.isString() || !label.isString() || !lastUsed)
        return std::nullopt;
    return SavedWirelessDevice{address.toString(), label.toString(), *lastUsed};
}

WirelessStoreFile decode(const QJsonDocument &document)
{
    if (auto store = WirelessStoreFile::fromJson(document.object()); store && document.isObject())
        return *store;
    throw DecodingError(QStringLiteral("not a list of remembered wireless devices"));
}

} // namespace

std::optional<WirelessStoreFile> WirelessStoreFile::fromJson(const QJsonObject &object)
{
    const QJsonValue devices = object.value(QStringLiteral("devices"));
    if (!devices.isArray())
        return std::nullopt;
    WirelessStoreFile store;
    for (const QJsonValue &entry : devices.toArray()) {
        const auto device = deviceFromJson(entry);
        if (!device)
            return std::nullopt;
        store.devices.append(*device);
    }
    return store;
}

QJsonObject WirelessStoreFile::toJson() const
{
    QJsonArray array;
    for (const SavedWirelessDevice &device : devices)
        array.append(QJsonObject{{QStringLiteral("address"), device.address},
                                 {QStringLiteral("label"), device.label},
                                 {QStringLiteral("lastUsed"), static_cast<qint64>(device.lastUsed)}});
    return {{QStringLiteral("devices"), array}};
}

WirelessStoreFile WirelessStoreFile::read()
{
    try {
        if (const auto document = JsonFile::read(AppPaths::wirelessDevicesFile()))
            return decode(*document);
    } catch (const std::exception &) {
    }
    return {};
}

void WirelessStoreFile::write() const
{
    try {
        JsonFile::write(AppPaths::wirelessDevicesFile(), QJsonDocument(toJson()));
    } catch (const std::exception &) {
    }
}

void WirelessStoreFile::update(const std::function<void(WirelessStoreFile &)> &change)
{
    try {
        JsonFile::update(AppPaths::wirelessDevicesFile(), QStringLiteral("remembered wireless devices"),
                         &decode, [&change](std::optional<QJsonDocument> current) {
                             WirelessStoreFile store = current ? decode(*current) : WirelessStoreFile{};
                             change(store);
                             return std::optional(QJsonDocument(store.toJson()));
                         });
    } catch (const std::exception &) {
    }
}

void WirelessStoreFile::sortNewestFirst()
{
    std::stable_sort(
        devices.begin(), devices.end(),
        [](const SavedWirelessDevice &a, const SavedWirelessDevice &b) { return a.lastUsed > b.lastUsed; });
}

} // namespace quorvane

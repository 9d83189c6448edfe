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
    const QJsonValue serial = object.value(QStringLiteral("hardwareSerial"));
    if (!address.isString() || !label.isString() || !lastUsed || !(serial.isUndefined() || serial.isString()))
        return std::nullopt;
    return SavedWirelessDevice{address.toString(), label.toString(), *lastUsed,
                               serial.isString() ? std::optional(serial.toString()) : std::nullopt};
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
    for (const SavedWirelessDevice &device : devices) {
        QJsonObject entry{{QStringLiteral("address"), device.address},
                          {QStringLiteral("label"), device.label},
                          {QStringLiteral("lastUsed"), static_cast<qint64>(device.lastUsed)}};
        // Left out rather than null: an older Quorvane reads the file and ignores what it does not know.
        if (device.hardwareSerial)
            entry.insert(QStringLiteral("hardwareSerial"), *device.hardwareSerial);
        array.append(entry);
    }
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

bool SavedWirelessDevice::isPhone(const SavedWirelessDevice &other) const
{
    if (hardwareSerial && other.hardwareSerial)
        return *hardwareSerial == *other.hardwareSerial;
    return address == other.address;
}

void WirelessStoreFile::remember(const SavedWirelessDevice &device)
{
    const bool fillsOldEntry =
        std::any_of(devices.cbegin(), devices.cend(), [&](const SavedWirelessDevice &d) {
            return !d.hardwareSerial && device.hardwareSerial && d.isPhone(device);
        });
    // The file as an older Quorvane wrote it stays readable beside the one that knows phones.
    if (fillsOldEntry)
        JsonFile::keepOriginal(AppPaths::wirelessDevicesFile());
    devices.removeIf([&device](const SavedWirelessDevice &saved) { return saved.isPhone(device); });
    devices.append(device);
    sortNewestFirst();
}

bool WirelessStoreFile::adopt(const PhoneIdentity &phone)
{
    const auto unknown =
        std::find_if(devices.cbegin(), devices.cend(), [&phone](const SavedWirelessDevice &d) {
            return d.address == phone.serial && !d.hardwareSerial;
        });
    if (!phone.hardwareSerial || unknown == devices.cend())
        return false;
    SavedWirelessDevice known = *unknown;
    known.hardwareSerial = phone.hardwareSerial;
    JsonFile::keepOriginal(AppPaths::wirelessDevicesFile());
    devices.removeAt(unknown - devices.cbegin());
    // The newest entry of the phone keeps its place and address: it is where the phone was reached last.
    for (const SavedWirelessDevice &other : std::as_const(devices)) {
        if (other.isPhone(known) && other.lastUsed > known.lastUsed) {
            known.address = other.address;
            known.label = other.label;
            known.lastUsed = other.lastUsed;
        }
    }
    remember(known);
    return true;
}

const SavedWirelessDevice *WirelessStoreFile::find(const QString &address) const
{
    const auto it = std::find_if(devices.cbegin(), devices.cend(),
                                 [&address](const SavedWirelessDevice &d) { return d.address == address; });
    return it == devices.cend() ? nullptr : &*it;
}

void WirelessStoreFile::sortNewestFirst()
{
    std::stable_sort(
        devices.begin(), devices.end(),
        [](const SavedWirelessDevice &a, const SavedWirelessDevice &b) { return a.lastUsed > b.lastUsed; });
}

} // namespace quorvane

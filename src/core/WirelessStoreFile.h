#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace quorvane {

// One remembered wireless address as it is kept on disk.
struct SavedWirelessDevice
{
    QString address;
    QString label;
    quint64 lastUsed = 0;

    bool operator==(const SavedWirelessDevice &) const = default;
};

// "wireless-devices.json": every address a connect succeeded with, newest first.
struct WirelessStoreFile
{
    QList<SavedWirelessDevice> devices;

    // Never fails: a missing, unreadable or malformed file is an empty store.
    static WirelessStoreFile read();
    // Never fails: a store that cannot be written keeps its old file.
    void write() const;
    // Never fails: change is applied to the store as it is on disk, with no other process writing
    // in between; a file that cannot be read is kept aside under a new name and a new one is started.
    static void update(const std::function<void(WirelessStoreFile &)> &change);

    // Newest first; entries used at the same second keep their order.
    void sortNewestFirst();

    // Strict: every key is required with its type, otherwise there is no store.
    static std::optional<WirelessStoreFile> fromJson(const QJsonObject &object);
    QJsonObject toJson() const;

    bool operator==(const WirelessStoreFile &) const = default;
};

} // namespace quorvane

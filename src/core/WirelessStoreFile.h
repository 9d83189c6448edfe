#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include "PhoneIdentity.h"

#include <functional>
#include <optional>

namespace quorvane {

// One remembered wireless phone as it is kept on disk: the phone by its hardware serial when it told one,
// with the address it was last reached at.
struct SavedWirelessDevice
{
    QString address;
    QString label;
    quint64 lastUsed = 0;
    // Absent in entries written before phones were known this way, until the phone is met again.
    std::optional<QString> hardwareSerial;

    // The same phone: the same hardware serial, or the same address where either side does not know one.
    bool isPhone(const SavedWirelessDevice &other) const;

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
    // Records a successful connect: the phone's entry takes the new address, label and time, and any other
    // entry of the same phone (an old port of it) is merged into it, so each phone has one entry.
    void remember(const SavedWirelessDevice &device);
    // Gives the entry reached at phone.serial the phone's hardware serial and merges the phone's other
    // entries into the newest; false when there was nothing to learn.
    bool adopt(const PhoneIdentity &phone);
    const SavedWirelessDevice *find(const QString &address) const;

    // Strict: every key is required with its type, otherwise there is no store.
    static std::optional<WirelessStoreFile> fromJson(const QJsonObject &object);
    QJsonObject toJson() const;

    bool operator==(const WirelessStoreFile &) const = default;
};

} // namespace quorvane

#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

namespace devsim {

// The world file cannot be read, parsed or written; the text names the file and the reason.
class WorldError : public std::runtime_error
{
public:
    explicit WorldError(const QString &text)
        : std::runtime_error(text.toStdString())
    {
    }
};

// The simulated adb server and the phones behind it, kept in the JSON file named by DEVSIM_WORLD.
// Several simulator processes may run at once, so every change happens inside update(), which holds an
// exclusive lock on a sibling ".lock" file from reading to writing back.
class World
{
public:
    // The file named by DEVSIM_WORLD; empty when unset (an adb server with no phones).
    static QString pathFromEnvironment();

    // A snapshot without the lock: good for decisions that change nothing (faults, delays, listings).
    static QJsonObject read(const QString &path);
    static void write(const QString &path, const QJsonObject &world);

    // Runs change on the freshest state under the lock and writes the result back when it differs.
    // Without a path the change runs on an empty world and nothing is written.
    static void update(const QString &path, const std::function<void(QJsonObject &)> &change);

    // Lookups shared by the adb and scrcpy sides.
    static std::optional<QJsonObject> transport(const QJsonObject &world, const QString &serial);
    static QJsonObject phone(const QJsonObject &world, const QString &phoneId);
    static bool isNetworkSerial(const QString &serial);
};

} // namespace devsim

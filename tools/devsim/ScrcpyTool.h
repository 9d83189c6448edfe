#pragma once

#include "ScrcpyAdb.h"
#include "ScrcpyOptions.h"
#include "ScrcpyOutput.h"

#include <QJsonObject>
#include <QStringList>

#include <optional>

namespace devsim {

// The simulator started as "scrcpy": option parsing, the device search through adb, the listings
// (--version, --list-encoders, --list-cameras, --list-displays, --list-apps) and, for any other argument
// list, a mirroring session.
class ScrcpyTool
{
public:
    ScrcpyTool(QString program, QStringList arguments);
    int run();

    // Whether this invocation opens the test window (needs a QApplication instead of a core one).
    static bool wantsWindow(const QStringList &arguments);

private:
    // The serial of the chosen device, or nothing after scrcpy's error lines.
    std::optional<QString> selectDevice(const ScrcpyOptions &options);
    bool pushServer();
    QString deviceLine(const QJsonObject &phone) const;
    int listEncoders(const QJsonObject &phone);
    int listCameras(const QJsonObject &phone, bool withSizes);
    int listDisplays(const QJsonObject &phone);
    void logDevices(const QList<ScrcpyAdb::Device> &devices, const QString &selected, bool error);

    QString m_program;
    QStringList m_arguments;
    QJsonObject m_world;
    ScrcpyOutput m_output;
};

} // namespace devsim

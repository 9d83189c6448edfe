#pragma once

#include "CameraRecords.h"
#include "ToolPaths.h"

#include <QString>

#include <QCoroTask>

#include <optional>
#include <utility>

namespace quorvane {

// Asks scrcpy which cameras a phone has and reads its listing into records. A value holding the paths.
struct CameraService
{
    ToolPaths paths;

    using Dimensions = std::pair<quint32, quint32>;
    using ZoomRange = std::pair<std::optional<double>, std::optional<double>>;

    QCoro::Task<CameraCapabilities> listCapabilities(QString serial) const;

    static QList<CameraInfo> parseCameraOutput(const QString &text);
    static std::optional<std::pair<QString, CameraInfo>> parseCameraHeader(const QString &line);
    static QList<quint32> parseFPS(const QString &text);
    static ZoomRange parseZoom(const QString &text);
    static std::optional<Dimensions> dimensions(const QString &token);
    static std::optional<Dimensions> firstDimensions(const QString &text);
    static QStringList listValues(const QString &text, const QString &marker);

    static QString note();
};

} // namespace quorvane

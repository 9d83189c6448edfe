#include "CameraService.h"

#include "ADBService.h"
#include "Errors.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "TextParsing.h"

#include <QRegularExpression>

#include <algorithm>

namespace quorvane {

namespace {

QString sizeText(const CameraService::Dimensions &size)
{
    return QStringLiteral("%1x%2").arg(size.first).arg(size.second);
}

quint64 area(const QString &size)
{
    const auto parsed = CameraService::dimensions(size);
    return parsed ? quint64{parsed->first} * parsed->second : 0;
}

// Cameras are few; insertion keeps the order stable and stays in bounds even where ids mixing numbers
// and text do not order consistently.
bool cameraIdLess(const QString &a, const QString &b)
{
    const auto left = TextParsing::parseUInt32(a);
    const auto right = TextParsing::parseUInt32(b);
    if (left && right)
        return *left < *right;
    return a < b;
}

QList<CameraInfo> sortedById(const QList<CameraInfo> &cameras)
{
    QList<CameraInfo> sorted;
    for (const CameraInfo &camera : cameras) {
        const auto position = std::find_if(sorted.begin(), sorted.end(), [&camera](const CameraInfo &placed) {
            return cameraIdLess(camera.cameraId, placed.cameraId);
        });
        sorted.insert(position, camera);
    }
    return sorted;
}

void sortSizesAndModes(CameraInfo &camera)
{
    std::stable_sort(camera.sizes.begin(), camera.sizes.end(),
                     [](const QString &a, const QString &b) { return area(a) > area(b); });
    std::stable_sort(camera.highSpeedModes.begin(), camera.highSpeedModes.end(),
                     [](const CameraHighSpeedMode &a, const CameraHighSpeedMode &b) {
                         const quint64 left = area(a.size);
                         const quint64 right = area(b.size);
                         return left != right ? left > right : b.fps < a.fps;
                     });
}

// A camera listed twice keeps what it already knew and fills only what was missing.
void merge(CameraInfo &existing, const CameraInfo &header)
{
    if (existing.facing == QLatin1String("unknown"))
        existing.facing = header.facing;
    if (!existing.maxWidth) {
        existing.maxWidth = header.maxWidth;
        existing.maxHeight = header.maxHeight;
    }
    if (existing.fps.isEmpty())
        existing.fps = header.fps;
    if (!existing.zoomMin) {
        existing.zoomMin = header.zoomMin;
        existing.zoomMax = header.zoomMax;
    }
    existing.torchLikely = existing.torchLikely || header.torchLikely;
}

void addSizeLine(CameraInfo &camera, const QString &line, bool highSpeed)
{
    const auto size = CameraService::firstDimensions(line);
    if (!size)
        return;
    const QString text = sizeText(*size);
    if (!highSpeed) {
        if (!camera.sizes.contains(text))
            camera.sizes.append(text);
        return;
    }
    const CameraHighSpeedMode mode{text, CameraService::parseFPS(line)};
    if (!mode.fps.isEmpty() && !camera.highSpeedModes.contains(mode))
        camera.highSpeedModes.append(mode);
}

} // namespace

QString CameraService::note()
{
    return QStringLiteral(
        "Camera capabilities are reported by Android. Quorvane uses conservative defaults and "
        "automatically retries safer settings if a declared combination fails.");
}

QCoro::Task<CameraCapabilities> CameraService::listCapabilities(QString serial) const
{
    const CameraService self = *this;
    const ADBService adb{self.paths};
    const QList<DeviceInfo> devices = co_await adb.listDevices();
    const auto device = std::find_if(devices.cbegin(), devices.cend(),
                                     [&serial](const DeviceInfo &d) { return d.serial == serial; });
    if (device == devices.cend())
        throw ScrcpyError::deviceState(QStringLiteral("Selected device is no longer connected."));
    if (device->state != QLatin1String("device"))
        throw ScrcpyError::deviceState(QStringLiteral("Authorize the device before probing its cameras."));

    const QStringList arguments{QStringLiteral("-s"), serial, QStringLiteral("--list-cameras"),
                                QStringLiteral("--list-camera-sizes")};
    const QString scrcpy = self.paths.scrcpy();
    const QString output =
        co_await ProcessRunner::output(scrcpy, arguments, RuntimeLocator::scrcpyEnvironment(self.paths));

    CameraCapabilities capabilities;
    capabilities.cameras = parseCameraOutput(output);
    capabilities.cameraSupported = !capabilities.cameras.isEmpty();
    const auto back = std::find_if(capabilities.cameras.cbegin(), capabilities.cameras.cend(),
                                   [](const CameraInfo &c) { return c.facing == QLatin1String("back"); });
    if (back != capabilities.cameras.cend())
        capabilities.recommendedCameraId = back->cameraId;
    else if (!capabilities.cameras.isEmpty())
        capabilities.recommendedCameraId = capabilities.cameras.first().cameraId;
    capabilities.note = note();
    co_return capabilities;
}

QList<CameraInfo> CameraService::parseCameraOutput(const QString &text)
{
    QList<CameraInfo> cameras;
    std::optional<QString> currentId;
    bool highSpeed = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype index = 0; index < lines.size(); ++index) {
        if (auto header = parseCameraHeader(lines.at(index))) {
            const QString &id = header->first;
            CameraInfo &info = header->second;
            currentId = id;
            highSpeed = false;
            const auto existing = std::find_if(cameras.begin(), cameras.end(),
                                               [&id](const CameraInfo &c) { return c.cameraId == id; });
            if (existing == cameras.end()) {
                info.serial = QString::number(index + 1);
                cameras.append(info);
            } else {
                merge(*existing, info);
            }
            continue;
        }
        const QString line = lines.at(index).trimmed();
        if (line.startsWith(QLatin1String("High speed capture"))) {
            highSpeed = true;
        } else if (line.startsWith(QLatin1String("- ")) && currentId) {
            const auto camera =
                std::find_if(cameras.begin(), cameras.end(),
                             [&currentId](const CameraInfo &c) { return c.cameraId == *currentId; });
            if (camera != cameras.end())
                addSizeLine(*camera, line, highSpeed);
        }
    }
    for (CameraInfo &camera : cameras)
        sortSizesAndModes(camera);
    return sortedById(cameras);
}

std::optional<std::pair<QString, CameraInfo>> CameraService::parseCameraHeader(const QString &line)
{
    const QString marker = QStringLiteral("--camera-id=");
    const qsizetype markerAt = line.indexOf(marker);
    if (markerAt < 0)
        return std::nullopt;
    const QStringList words = line.mid(markerAt + marker.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    static const QRegularExpression idEdges(QStringLiteral("^[,)]+|[,)]+$"));
    const QString id = QString(words.first()).remove(idEdges);

    const qsizetype open = line.indexOf(QLatin1Char('('));
    const qsizetype close = line.lastIndexOf(QLatin1Char(')'));
    // A ")" before the "(" is no parenthesised part at all.
    if (open < 0 || close < 0 || close < open)
        return std::nullopt;
    const QString inner = line.mid(open + 1, close - open - 1);

    CameraInfo info;
    info.cameraId = id;
    const QStringList pieces = inner.split(QLatin1Char(','), Qt::SkipEmptyParts);
    info.facing = pieces.isEmpty() ? QStringLiteral("unknown") : pieces.first().trimmed().toLower();
    if (const auto size = firstDimensions(inner)) {
        info.maxWidth = size->first;
        info.maxHeight = size->second;
    }
    std::tie(info.zoomMin, info.zoomMax) = parseZoom(inner);
    info.fps = parseFPS(inner);
    info.torchLikely = info.facing == QLatin1String("back");
    return std::pair{id, info};
}

QStringList CameraService::listValues(const QString &text, const QString &marker)
{
    const qsizetype markerAt = text.indexOf(marker);
    if (markerAt < 0)
        return {};
    QString rest = text.mid(markerAt + marker.size());
    static const QRegularExpression closing(QStringLiteral("[\\]}]"));
    const qsizetype end = rest.indexOf(closing);
    if (end >= 0)
        rest.truncate(end);
    QStringList values;
    for (const QString &piece : rest.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString value = piece.trimmed();
        if (!value.isEmpty())
            values.append(value);
    }
    return values;
}

QList<quint32> CameraService::parseFPS(const QString &text)
{
    QStringList values = listValues(text, QStringLiteral("fps=["));
    if (values.isEmpty())
        values = listValues(text, QStringLiteral("fps={"));
    QList<quint32> rates;
    for (const QString &value : values) {
        if (const auto rate = TextParsing::parseUInt32(value))
            rates.append(*rate);
    }
    std::sort(rates.begin(), rates.end());
    rates.erase(std::unique(rates.begin(), rates.end()), rates.end());
    return rates;
}

CameraService::ZoomRange CameraService::parseZoom(const QString &text)
{
    const QStringList values = listValues(text, QStringLiteral("zoom-range=["));
    if (values.size() < 2)
        return {};
    auto number = [](const QString &value) -> std::optional<double> {
        bool ok = false;
        const double parsed = value.toDouble(&ok);
        return ok ? std::optional(parsed) : std::nullopt;
    };
    return {number(values.at(0)), number(values.at(1))};
}

std::optional<CameraService::Dimensions> CameraService::dimensions(const QString &token)
{
    QString kept;
    for (const QChar c : token) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('x'))
            kept.append(c);
    }
    const QStringList pieces = kept.split(QLatin1Char('x'), Qt::SkipEmptyParts);
    if (pieces.size() != 2)
        return std::nullopt;
    const auto width = TextParsing::parseUInt32(pieces.at(0));
    const auto height = TextParsing::parseUInt32(pieces.at(1));
    if (!width || !height)
        return std::nullopt;
    return Dimensions{*width, *height};
}

std::optional<CameraService::Dimensions> CameraService::firstDimensions(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,()\\[\\]]+"));
    for (const QString &piece : text.split(separators, Qt::SkipEmptyParts)) {
        if (const auto size = dimensions(piece))
            return size;
    }
    return std::nullopt;
}

} // namespace quorvane

#include "ScrcpyTool.h"

#include "PhoneDumpsys.h"
#include "ScrcpySession.h"
#include "World.h"

#include <QFileInfo>
#include <QJsonArray>

#include <unistd.h>

namespace devsim {

namespace {

const QString defaultVersion = QStringLiteral("4.1");
const QString defaultServerPath = QStringLiteral("/usr/local/share/scrcpy/scrcpy-server");
constexpr qint64 defaultServerSize = 90980;

QJsonObject scrcpyConfig(const QJsonObject &world)
{
    return world.value(QStringLiteral("scrcpy")).toObject();
}

bool blockBuffered(const QJsonObject &world)
{
    return !isatty(STDOUT_FILENO) &&
           scrcpyConfig(world).value(QStringLiteral("stdoutBuffering")).toString() != QLatin1String("line");
}

QString deviceType(const QString &serial)
{
    if (serial.contains(QLatin1Char(':')) || serial.contains(QLatin1String("._adb-tls-")))
        return QStringLiteral("(tcpip)");
    if (serial.startsWith(QLatin1String("emulator-")))
        return QStringLiteral("  (emu)");
    return QStringLiteral("  (usb)");
}

QString joined(const QJsonArray &numbers)
{
    QStringList parts;
    for (const QJsonValue &value : numbers)
        parts.append(value.toVariant().toString());
    return parts.join(QStringLiteral(", "));
}

QString encoderLine(const QString &kind, const QJsonObject &encoder)
{
    QString line = QStringLiteral("    --%1-codec=%2 --%1-encoder=%3")
                       .arg(kind, encoder.value(QStringLiteral("codec")).toString(),
                            encoder.value(QStringLiteral("name")).toString())
                       .leftJustified(69) +
                   QLatin1Char(' ');
    line += encoder.value(QStringLiteral("hw")).toBool() ? QStringLiteral("(hw)") : QStringLiteral("(sw)");
    if (encoder.value(QStringLiteral("vendor")).toBool())
        line += QStringLiteral(" [vendor]");
    if (encoder.contains(QStringLiteral("aliasFor")))
        line += QStringLiteral(" (alias for %1)").arg(encoder.value(QStringLiteral("aliasFor")).toString());
    return line;
}

} // namespace

ScrcpyTool::ScrcpyTool(QString program, QStringList arguments)
    : m_program(std::move(program))
    , m_arguments(std::move(arguments))
    , m_world(World::read(World::pathFromEnvironment()))
    , m_output(blockBuffered(m_world))
{
}

bool ScrcpyTool::wantsWindow(const QStringList &arguments)
{
    const bool display = qEnvironmentVariableIsSet("DISPLAY") ||
                         qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                         qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    if (!display ||
        !scrcpyConfig(World::read(World::pathFromEnvironment())).value(QStringLiteral("window")).toBool())
        return false;
    for (const QString &word : arguments) {
        if (word.startsWith(QLatin1String("--list-")) || word == QLatin1String("--version") ||
            word == QLatin1String("--no-window") || word == QLatin1String("--no-video"))
            return false;
    }
    return true;
}

int ScrcpyTool::run()
{
    ScrcpySession::installSignalHandlers(m_world);
    const QString version = scrcpyConfig(m_world).value(QStringLiteral("version")).toString(defaultVersion);
    m_output.own(QStringLiteral("scrcpy %1 <https://github.com/Genymobile/scrcpy>").arg(version));
    const ScrcpyOptions options = ScrcpyOptions::parse(m_program, m_arguments);
    if (options.error) {
        m_output.error(*options.error);
        m_output.flush();
        return 1;
    }
    if (options.has(QStringLiteral("version"))) {
        m_output.own(QStringLiteral("\nDependencies (compiled / linked):\n"
                                    " - SDL: 3.2.10 / 3.2.10\n"
                                    " - libavcodec: 59.37.100 / 59.37.100\n"
                                    " - libavformat: 59.27.100 / 59.27.100\n"
                                    " - libavutil: 57.28.100 / 57.28.100\n"
                                    " - libavdevice: 59.7.100 / 59.7.100\n"
                                    " - libusb: - / 1.0.26"));
        m_output.flush();
        return 0;
    }
    const auto serial = selectDevice(options);
    if (!serial || !pushServer()) {
        m_output.error(QStringLiteral("ERROR: Server connection failed"));
        m_output.flush();
        return 1;
    }
    const auto transport = World::transport(m_world, *serial);
    const QString phoneId = transport ? transport->value(QStringLiteral("phone")).toString() : QString();
    const QJsonObject phone = World::phone(m_world, phoneId);
    m_output.passthrough(deviceLine(phone));
    if (options.has(QStringLiteral("list-encoders")))
        return listEncoders(phone);
    if (options.has(QStringLiteral("list-cameras")))
        return listCameras(phone, options.has(QStringLiteral("list-camera-sizes")));
    if (options.has(QStringLiteral("list-displays")))
        return listDisplays(phone);
    if (options.has(QStringLiteral("list-apps"))) {
        m_output.passthrough(QStringLiteral("[server] INFO: List of apps:"));
        m_output.flush();
        return 0;
    }
    return ScrcpySession(options, m_arguments, *serial, phoneId, m_output).run();
}

void ScrcpyTool::logDevices(const QList<ScrcpyAdb::Device> &devices, const QString &selected, bool error)
{
    for (const ScrcpyAdb::Device &device : devices) {
        const QString line =
            QStringLiteral("%1:     %2 %3  %4  %5  %6")
                .arg(error ? QStringLiteral("ERROR") : QStringLiteral("INFO"),
                     device.serial == selected ? QStringLiteral("-->") : QStringLiteral("   "),
                     deviceType(device.serial), device.serial.leftJustified(20),
                     device.state.rightJustified(16), device.model);
        if (error)
            m_output.error(line);
        else
            m_output.own(line);
    }
}

std::optional<QString> ScrcpyTool::selectDevice(const ScrcpyOptions &options)
{
    ScrcpyAdb adb(m_output);
    const auto devices = adb.devices();
    if (!devices)
        return std::nullopt;
    QString serial = options.value(QStringLiteral("serial"));
    if (serial.isEmpty())
        serial = qEnvironmentVariable("ANDROID_SERIAL");
    QList<ScrcpyAdb::Device> matching;
    for (const ScrcpyAdb::Device &device : *devices) {
        if (serial.isEmpty() || device.serial == serial)
            matching.append(device);
    }
    if (matching.isEmpty()) {
        m_output.error(serial.isEmpty() ? QStringLiteral("ERROR: Could not find any ADB device")
                                        : QStringLiteral("ERROR: Could not find ADB device %1:").arg(serial));
        logDevices(*devices, QString(), true);
        return std::nullopt;
    }
    if (matching.size() > 1) {
        m_output.error(QStringLiteral("ERROR: Multiple (%1) ADB devices:").arg(matching.size()));
        logDevices(*devices, QString(), true);
        m_output.error(QStringLiteral(
            "ERROR: Select a device via -s (--serial), -d (--select-usb) or -e (--select-tcpip)"));
        return std::nullopt;
    }
    const ScrcpyAdb::Device chosen = matching.first();
    if (chosen.state == QLatin1String("unauthorized")) {
        m_output.error(QStringLiteral("ERROR: Device is unauthorized:"));
        logDevices(*devices, chosen.serial, true);
        m_output.error(
            QStringLiteral("ERROR:     A popup should open on the device to request authorization."));
        m_output.error(QStringLiteral(
            "ERROR:     Check the FAQ: <https://github.com/Genymobile/scrcpy/blob/master/FAQ.md>"));
        return std::nullopt;
    }
    if (chosen.state != QLatin1String("device")) {
        m_output.error(QStringLiteral("ERROR: Device could not be connected (state=%1)").arg(chosen.state));
        return std::nullopt;
    }
    m_output.own(QStringLiteral("INFO: ADB device found:"));
    logDevices(*devices, chosen.serial, false);
    return chosen.serial;
}

// The server file must exist where SCRCPY_SERVER_PATH says; adb prints the push line itself.
bool ScrcpyTool::pushServer()
{
    const QString path = qEnvironmentVariable("SCRCPY_SERVER_PATH", defaultServerPath);
    qint64 size = defaultServerSize;
    if (qEnvironmentVariableIsSet("SCRCPY_SERVER_PATH")) {
        const QFileInfo info(path);
        if (!info.isFile()) {
            m_output.error(QStringLiteral("ERROR: '%1' does not exist or is not a regular file").arg(path));
            return false;
        }
        size = info.size();
    }
    const double seconds = std::max(0.001, static_cast<double>(size) / 100e6);
    m_output.passthrough(QStringLiteral("%1: 1 file pushed, 0 skipped. %2 MB/s (%3 bytes in %4s)")
                             .arg(path,
                                  QString::number(static_cast<double>(size) / seconds / 1048576.0, 'f', 1),
                                  QString::number(size), QString::number(seconds, 'f', 3)));
    return true;
}

QString ScrcpyTool::deviceLine(const QJsonObject &phone) const
{
    const QJsonObject p = phone.value(QStringLiteral("properties")).toObject();
    return QStringLiteral("[server] INFO: Device: [%1] %2 %3 (Android %4)")
        .arg(p.value(QStringLiteral("ro.product.manufacturer")).toString(),
             p.value(QStringLiteral("ro.product.brand")).toString(),
             p.value(QStringLiteral("ro.product.model")).toString(),
             p.value(QStringLiteral("ro.build.version.release")).toString());
}

// The server prints each list as one log message: the prefix on its first line only.
int ScrcpyTool::listEncoders(const QJsonObject &phone)
{
    const QJsonObject encoders = phone.value(QStringLiteral("encoders")).toObject();
    for (const QString &kind : {QStringLiteral("video"), QStringLiteral("audio")}) {
        m_output.passthrough(QStringLiteral("[server] INFO: List of %1 encoders:").arg(kind));
        for (const QJsonValue &encoder : encoders.value(kind).toArray())
            m_output.passthrough(encoderLine(kind, encoder.toObject()));
    }
    m_output.flush();
    return 0;
}

int ScrcpyTool::listDisplays(const QJsonObject &phone)
{
    m_output.passthrough(QStringLiteral("[server] INFO: List of displays:"));
    for (const QJsonObject &display : PhoneDumpsys(phone).displays()) {
        m_output.passthrough(QStringLiteral("    --display-id=%1    (%2x%3)")
                                 .arg(display.value(QStringLiteral("id")).toInt())
                                 .arg(display.value(QStringLiteral("width")).toInt())
                                 .arg(display.value(QStringLiteral("height")).toInt()));
    }
    m_output.flush();
    return 0;
}

int ScrcpyTool::listCameras(const QJsonObject &phone, bool withSizes)
{
    const int sdk = phone.value(QStringLiteral("properties"))
                        .toObject()
                        .value(QStringLiteral("ro.build.version.sdk"))
                        .toString()
                        .toInt();
    if (sdk < 31) {
        m_output.error(QStringLiteral("[server] ERROR: Camera mirroring is not supported before Android 12"));
        m_output.flush();
        return 1;
    }
    m_output.passthrough(QStringLiteral("[server] INFO: List of cameras:"));
    const QJsonArray cameras = phone.value(QStringLiteral("cameras")).toArray();
    if (cameras.isEmpty())
        m_output.passthrough(QStringLiteral("    (none)"));
    for (const QJsonValue &value : cameras) {
        const QJsonObject camera = value.toObject();
        const QJsonArray sizes = camera.value(QStringLiteral("sizes")).toArray();
        QString header = QStringLiteral("    --camera-id=%1    (%2, %3, fps={%4}")
                             .arg(camera.value(QStringLiteral("id")).toString(),
                                  camera.value(QStringLiteral("facing")).toString(), sizes.first().toString(),
                                  joined(camera.value(QStringLiteral("fps")).toArray()));
        if (sdk >= 30 && camera.contains(QStringLiteral("zoomRange")))
            header += QStringLiteral(", zoom-range=[%1]")
                          .arg(joined(camera.value(QStringLiteral("zoomRange")).toArray()));
        m_output.passthrough(header + QLatin1Char(')'));
        if (!withSizes)
            continue;
        for (const QJsonValue &size : sizes)
            m_output.passthrough(QStringLiteral("        - %1").arg(size.toString()));
        const QJsonArray highSpeed = camera.value(QStringLiteral("highSpeed")).toArray();
        if (!highSpeed.isEmpty())
            m_output.passthrough(QStringLiteral("      High speed capture (--camera-high-speed):"));
        for (const QJsonValue &mode : highSpeed) {
            m_output.passthrough(QStringLiteral("        - %1 (fps={%2})")
                                     .arg(mode.toObject().value(QStringLiteral("size")).toString(),
                                          joined(mode.toObject().value(QStringLiteral("fps")).toArray())));
        }
    }
    m_output.flush();
    return 0;
}

} // namespace devsim

#include "ADBService.h"

#include "Errors.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "TextParsing.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace quorvane {

namespace {

// The second word, except for the one state adb writes as two: "no permissions" (followed by a notice whose
// wording changes between adb releases).
QString deviceState(const QStringList &tokens)
{
    if (tokens.size() < 2)
        return QStringLiteral("unknown");
    if (tokens[1] == QLatin1String("no") && tokens.value(2) == QLatin1String("permissions"))
        return QStringLiteral("no permissions");
    return tokens[1];
}

std::optional<DeviceInfo> parseDeviceLine(const QString &rawLine)
{
    const QString line = TextParsing::trimSpacesAndTabs(rawLine);
    if (line.isEmpty() || line.startsWith(QLatin1Char('*')))
        return std::nullopt;
    static const QRegularExpression whitespace(QStringLiteral("\\s+"));
    const QStringList tokens = line.split(whitespace, Qt::SkipEmptyParts);
    if (tokens.isEmpty())
        return std::nullopt;

    QHash<QString, QString> details;
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        const qsizetype colon = tokens[i].indexOf(QLatin1Char(':'));
        if (colon >= 0)
            details.insert(tokens[i].left(colon), tokens[i].mid(colon + 1));
    }
    auto detail = [&details](const QString &key) -> std::optional<QString> {
        const auto it = details.constFind(key);
        return it == details.cend() ? std::nullopt : std::optional<QString>(*it);
    };

    DeviceInfo device;
    device.serial = tokens[0];
    device.state = deviceState(tokens);
    device.model = detail(QStringLiteral("model"));
    device.product = detail(QStringLiteral("product"));
    device.device = detail(QStringLiteral("device"));
    device.usbPort = detail(QStringLiteral("usb"));
    device.connectionKind =
        ADBService::isWirelessSerial(device.serial) ? QStringLiteral("wireless") : QStringLiteral("usb");
    return device;
}

// The phone's record in the list, provided it is ready for commands.
DeviceInfo readyDevice(const QList<DeviceInfo> &devices, const QString &serial)
{
    const auto it = std::find_if(devices.cbegin(), devices.cend(),
                                 [&serial](const DeviceInfo &device) { return device.serial == serial; });
    if (it == devices.cend())
        throw ScrcpyError::deviceState(QStringLiteral("Selected device is no longer connected."));
    if (it->state != QLatin1String("device"))
        throw ScrcpyError::deviceState(
            QStringLiteral("Device state is '%1'. Authorize or reconnect the phone first.").arg(it->state));
    return *it;
}

QCoro::Task<QString> shellOrEmpty(ADBService service, QString serial, QStringList arguments)
{
    try {
        co_return co_await service.shell(serial, arguments);
    } catch (const std::exception &) {
    }
    co_return QString();
}

// The last ":"-separated piece of a line, trimmed of spaces and tabs; absent for a line made only of colons.
std::optional<QString> lastField(const QString &line)
{
    const QStringList pieces = line.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::nullopt;
    return TextParsing::trimSpacesAndTabs(pieces.last());
}

const QString *firstLineContaining(const QStringList &lines, QLatin1String needle, bool lowerCased)
{
    const auto it = std::find_if(lines.cbegin(), lines.cend(), [&](const QString &line) {
        return (lowerCased ? line.toLower() : line).contains(needle);
    });
    return it == lines.cend() ? nullptr : &*it;
}

bool encoderLess(const VideoEncoderInfo &a, const VideoEncoderInfo &b)
{
    return a.codec != b.codec ? a.codec < b.codec : a.name < b.name;
}

} // namespace

QList<DeviceInfo> ADBService::parseDevices(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    QList<DeviceInfo> devices;
    bool headerSeen = false;
    for (const QString &line : lines) {
        if (!headerSeen) {
            headerSeen = line.startsWith(QLatin1String("List of devices attached"));
            continue;
        }
        if (auto device = parseDeviceLine(line))
            devices.append(*device);
    }
    return devices;
}

bool ADBService::isWirelessSerial(const QString &serial)
{
    return serial.contains(QLatin1Char(':')) || serial.contains(QLatin1String("_adb-tls-"));
}

QCoro::Task<QList<DeviceInfo>> ADBService::listDevices() const
{
    const Listing listing = co_await readDevices();
    co_return listing.devices;
}

QCoro::Task<ADBService::Listing> ADBService::readDevices() const
{
    const QStringList arguments{QStringLiteral("devices"), QStringLiteral("-l")};
    const ProcessResult result = co_await ProcessRunner::runCollect(paths.adb(), arguments);
    co_return Listing{parseDevices(ProcessRunner::outputOf(result)), result.stderr_};
}

QCoro::Task<QString> ADBService::shell(QString serial, QStringList arguments) const
{
    QStringList words{QStringLiteral("-s"), serial, QStringLiteral("shell")};
    words += arguments;
    co_return co_await ProcessRunner::output(paths.adb(), words);
}

QCoro::Task<QString> ADBService::getprop(QString serial, QString key) const
{
    const QString adb = paths.adb();
    const QStringList arguments{QStringLiteral("-s"), serial, QStringLiteral("shell"),
                                QStringLiteral("getprop"), key};
    try {
        // Only standard output holds the value: an empty property must not read as adb's own notices
        // ("* daemon not running; starting now"), which go to standard error.
        const ProcessResult result = co_await ProcessRunner::runCollect(adb, arguments);
        if (result.exitedCleanly)
            co_return result.stdout_.trimmed();
    } catch (const std::exception &) {
    }
    co_return QString();
}

QCoro::Task<std::optional<QString>> ADBService::hardwareSerial(QString serial) const
{
    const QString boot = co_await getprop(serial, QStringLiteral("ro.boot.serialno"));
    if (!boot.isEmpty())
        co_return boot == QLatin1String("unknown") ? std::nullopt : std::optional<QString>(boot);
    const QString plain = co_await getprop(serial, QStringLiteral("ro.serialno"));
    if (plain.isEmpty() || plain == QLatin1String("unknown"))
        co_return std::nullopt;
    co_return plain;
}

QCoro::Task<PhoneIdentity> ADBService::identify(QString serial) const
{
    co_return PhoneIdentity(serial, co_await hardwareSerial(serial));
}

QCoro::Task<std::optional<bool>> ADBService::screenLocked(QString serial) const
{
    const QStringList query{QStringLiteral("dumpsys"), QStringLiteral("window"), QStringLiteral("policy")};
    const QString dump = co_await shellOrEmpty(*this, serial, query);
    co_return parseKeyguardShowing(dump);
}

QCoro::Task<DeviceProfile> ADBService::inspectDevice(QString serial) const
{
    const QList<DeviceInfo> devices = co_await listDevices();
    const DeviceInfo device = readyDevice(devices, serial);

    DeviceProfile profile;
    profile.serial = serial;
    profile.model = co_await getprop(serial, QStringLiteral("ro.product.model"));
    if (profile.model.isEmpty())
        profile.model = device.model.value_or(serial);
    profile.brand = co_await getprop(serial, QStringLiteral("ro.product.brand"));
    profile.androidVersion = co_await getprop(serial, QStringLiteral("ro.build.version.release"));
    const QString sdk = co_await getprop(serial, QStringLiteral("ro.build.version.sdk"));
    profile.sdk = TextParsing::parseUInt32(sdk).value_or(0);
    profile.hardwareSerial = co_await hardwareSerial(serial);

    const QStringList sizeQuery{QStringLiteral("wm"), QStringLiteral("size")};
    const QString size = co_await shellOrEmpty(*this, serial, sizeQuery);
    std::tie(profile.width, profile.height) = parsePhysicalSize(size);
    const QStringList densityQuery{QStringLiteral("wm"), QStringLiteral("density")};
    const QString density = co_await shellOrEmpty(*this, serial, densityQuery);
    profile.density = parseDensity(density);

    profile.videoEncoders = co_await listVideoEncoders(serial);
    const auto offers = [&profile](QLatin1String codec) {
        return std::any_of(profile.videoEncoders.cbegin(), profile.videoEncoders.cend(),
                           [codec](const VideoEncoderInfo &encoder) { return encoder.codec == codec; });
    };
    profile.h265Available = offers(QLatin1String("h265"));
    profile.av1Available = offers(QLatin1String("av1"));
    profile.supportsAudio = profile.sdk > 29;
    profile.supportsCamera = profile.sdk > 30;
    profile.canAttemptVirtualDisplay = profile.sdk > 29;
    profile.connectionKind = device.connectionKind;
    co_return profile;
}

QCoro::Task<QList<VideoEncoderInfo>> ADBService::listVideoEncoders(QString serial) const
{
    const auto scrcpy =
        RuntimeLocator::resolveWithSource(QStringLiteral("scrcpy"), paths.scrcpyOverride).path;
    if (!scrcpy)
        co_return QList<VideoEncoderInfo>();
    const QStringList arguments{QStringLiteral("-s"), serial, QStringLiteral("--list-encoders")};
    QString text;
    try {
        text = co_await ProcessRunner::output(*scrcpy, arguments, RuntimeLocator::scrcpyEnvironment(paths));
    } catch (const std::exception &) {
    }
    co_return parseVideoEncoders(text);
}

std::pair<std::optional<quint32>, std::optional<quint32>> ADBService::parsePhysicalSize(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QString *chosen = firstLineContaining(lines, QLatin1String("physical size"), true);
    if (!chosen)
        chosen = firstLineContaining(lines, QLatin1String("x"), false);
    const std::optional<QString> size = chosen ? lastField(*chosen) : std::nullopt;
    if (!size)
        return {};
    const QStringList sides = size->split(QLatin1Char('x'), Qt::SkipEmptyParts);
    if (sides.size() != 2)
        return {};
    const auto width = TextParsing::parseUInt32(TextParsing::trimSpacesAndTabs(sides[0]));
    const auto height = TextParsing::parseUInt32(TextParsing::trimSpacesAndTabs(sides[1]));
    if (!width || !height)
        return {};
    return {width, height};
}

std::optional<quint32> ADBService::parseDensity(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QString *chosen = firstLineContaining(lines, QLatin1String("physical density"), true);
    const std::optional<QString> density = lastField(chosen ? *chosen : lines.first());
    return density ? TextParsing::parseUInt32(*density) : std::nullopt;
}

QList<VideoEncoderInfo> ADBService::parseVideoEncoders(const QString &text)
{
    static const QStringList knownCodecs{QStringLiteral("h264"), QStringLiteral("h265"),
                                         QStringLiteral("av1")};
    QList<VideoEncoderInfo> encoders;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const auto codec = optionValue(line, QStringLiteral("--video-codec="));
        if (!codec || !knownCodecs.contains(*codec))
            continue;
        if (const auto name = optionValue(line, QStringLiteral("--video-encoder=")))
            encoders.append({*codec, *name});
    }
    std::stable_sort(encoders.begin(), encoders.end(), encoderLess);
    encoders.erase(std::unique(encoders.begin(), encoders.end()), encoders.end());
    return encoders;
}

std::optional<QString> ADBService::optionValue(const QString &line, const QString &marker)
{
    const qsizetype at = line.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const QStringList words = line.mid(at + marker.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString value = words.value(0);
    static const QRegularExpression quotes(QStringLiteral("^['\"]+|['\"]+$"));
    value.remove(quotes);
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

// Releases word it differently: the policy's own flags (mDreamingLockscreen; mShowingLockscreen or
// isKeyguardShowing in older ones) and "showing=" in the block of the keyguard delegate it lists.
std::optional<bool> ADBService::parseKeyguardShowing(const QString &text)
{
    static const QRegularExpression flag(
        QStringLiteral("\\b(?:mDreamingLockscreen|mShowingLockscreen|isKeyguardShowing)=(true|false)\\b"));
    static const QRegularExpression delegateShowing(QStringLiteral("^showing=(true|false)$"));
    std::optional<bool> locked;
    const auto note = [&locked](const QString &value) {
        locked = locked.value_or(false) || value == QLatin1String("true");
    };
    // The delegate's fields are indented under its name; its block ends at the first line that is not.
    // -1 while outside it.
    qsizetype delegateIndent = -1;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        const qsizetype indent = line.indexOf(trimmed.front());
        if (delegateIndent >= 0 && indent <= delegateIndent)
            delegateIndent = -1;
        if (const QRegularExpressionMatch match = delegateShowing.match(trimmed);
            delegateIndent >= 0 && match.hasMatch())
            note(match.captured(1));
        if (trimmed == QLatin1String("KeyguardServiceDelegate"))
            delegateIndent = indent;
        for (QRegularExpressionMatchIterator it = flag.globalMatch(line); it.hasNext();)
            note(it.next().captured(1));
    }
    return locked;
}

} // namespace quorvane

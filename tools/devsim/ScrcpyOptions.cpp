#include "ScrcpyOptions.h"

#include <QRegularExpression>

namespace devsim {

namespace {

enum class Argument { None, Required, Optional };

struct Option
{
    const char *name;
    char shortName;
    Argument argument;
};

// The options of the scrcpy release the application carries.
const Option options[] = {
    {"always-on-top", 0, Argument::None},
    {"angle", 0, Argument::Required},
    {"audio-bit-rate", 0, Argument::Required},
    {"audio-buffer", 0, Argument::Required},
    {"audio-codec", 0, Argument::Required},
    {"audio-codec-options", 0, Argument::Required},
    {"audio-dup", 0, Argument::None},
    {"audio-encoder", 0, Argument::Required},
    {"audio-output-buffer", 0, Argument::Required},
    {"audio-source", 0, Argument::Required},
    {"camera-ar", 0, Argument::Required},
    {"camera-facing", 0, Argument::Required},
    {"camera-fps", 0, Argument::Required},
    {"camera-high-speed", 0, Argument::None},
    {"camera-id", 0, Argument::Required},
    {"camera-size", 0, Argument::Required},
    {"camera-torch", 0, Argument::None},
    {"camera-zoom", 0, Argument::Required},
    {"capture-orientation", 0, Argument::Required},
    {"crop", 0, Argument::Required},
    {"disable-screensaver", 0, Argument::None},
    {"display-id", 0, Argument::Required},
    {"display-ime-policy", 0, Argument::Required},
    {"display-orientation", 0, Argument::Required},
    {"flex-display", 0, Argument::None},
    {"force-adb-forward", 0, Argument::None},
    {"fullscreen", 'f', Argument::None},
    {"gamepad", 0, Argument::Required},
    {"help", 'h', Argument::None},
    {"keep-active", 0, Argument::None},
    {"keyboard", 0, Argument::Required},
    {"kill-adb-on-close", 0, Argument::None},
    {"legacy-paste", 0, Argument::None},
    {"list-apps", 0, Argument::None},
    {"list-camera-sizes", 0, Argument::None},
    {"list-cameras", 0, Argument::None},
    {"list-displays", 0, Argument::None},
    {"list-encoders", 0, Argument::None},
    {"max-fps", 0, Argument::Required},
    {"max-size", 'm', Argument::Required},
    {"mouse", 0, Argument::Required},
    {"mouse-bind", 0, Argument::Required},
    {"new-display", 0, Argument::Optional},
    {"no-audio", 0, Argument::None},
    {"no-audio-playback", 0, Argument::None},
    {"no-cleanup", 0, Argument::None},
    {"no-clipboard-autosync", 0, Argument::None},
    {"no-control", 'n', Argument::None},
    {"no-downsize-on-error", 0, Argument::None},
    {"no-key-repeat", 0, Argument::None},
    {"no-mipmaps", 0, Argument::None},
    {"no-mouse-hover", 0, Argument::None},
    {"no-playback", 0, Argument::None},
    {"no-power-on", 0, Argument::None},
    {"no-vd-destroy-content", 0, Argument::None},
    {"no-vd-system-decorations", 0, Argument::None},
    {"no-video", 0, Argument::None},
    {"no-video-playback", 0, Argument::None},
    {"no-window", 0, Argument::None},
    {"orientation", 0, Argument::Required},
    {"otg", 0, Argument::None},
    {"pause-on-exit", 0, Argument::Optional},
    {"port", 'p', Argument::Required},
    {"power-off-on-close", 0, Argument::None},
    {"prefer-text", 0, Argument::None},
    {"print-fps", 0, Argument::None},
    {"push-target", 0, Argument::Required},
    {"raw-key-events", 0, Argument::None},
    {"record", 'r', Argument::Required},
    {"record-format", 0, Argument::Required},
    {"record-orientation", 0, Argument::Required},
    {"render-driver", 0, Argument::Required},
    {"require-audio", 0, Argument::None},
    {"screen-off-timeout", 0, Argument::Required},
    {"select-tcpip", 'e', Argument::None},
    {"select-usb", 'd', Argument::None},
    {"serial", 's', Argument::Required},
    {"shortcut-mod", 0, Argument::Required},
    {"show-touches", 't', Argument::None},
    {"start-app", 0, Argument::Required},
    {"stay-awake", 'w', Argument::None},
    {"tcpip", 0, Argument::Optional},
    {"time-limit", 0, Argument::Required},
    {"tunnel-host", 0, Argument::Required},
    {"tunnel-port", 0, Argument::Required},
    {"turn-screen-off", 'S', Argument::None},
    {"v4l2-buffer", 0, Argument::Required},
    {"v4l2-sink", 0, Argument::Required},
    {"verbosity", 'V', Argument::Required},
    {"version", 'v', Argument::None},
    {"video-bit-rate", 'b', Argument::Required},
    {"video-buffer", 0, Argument::Required},
    {"video-codec", 0, Argument::Required},
    {"video-codec-options", 0, Argument::Required},
    {"video-encoder", 0, Argument::Required},
    {"video-source", 0, Argument::Required},
    {"window-borderless", 0, Argument::None},
    {"window-height", 0, Argument::Required},
    {"window-title", 0, Argument::Required},
    {"window-width", 0, Argument::Required},
    {"window-x", 0, Argument::Required},
    {"window-y", 0, Argument::Required},
};

const Option *findLong(const QString &name)
{
    for (const Option &option : options) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

const Option *findShort(QChar c)
{
    for (const Option &option : options) {
        if (option.shortName != 0 && c == QLatin1Char(option.shortName))
            return &option;
    }
    return nullptr;
}

// -K, -M and -G select the UHID keyboard, mouse and gamepad; they have no long form of their own.
std::optional<QString> shortOnly(QChar c)
{
    if (c == QLatin1Char('K'))
        return QStringLiteral("keyboard");
    if (c == QLatin1Char('M'))
        return QStringLiteral("mouse");
    if (c == QLatin1Char('G'))
        return QStringLiteral("gamepad");
    return std::nullopt;
}

bool isInteger(const QString &text)
{
    bool ok = false;
    text.toLongLong(&ok);
    return ok;
}

// Bit rates accept a K or M suffix.
bool isBitRate(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d+[KM]?$"));
    return pattern.match(text).hasMatch();
}

} // namespace

ScrcpyOptions ScrcpyOptions::parse(const QString &program, const QStringList &arguments)
{
    ScrcpyOptions result;
    auto fail = [&](const QString &text) {
        result.error = text;
        return result;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments[i];
        if (word == QLatin1String("--")) {
            if (i + 1 < arguments.size())
                return fail(
                    QStringLiteral("ERROR: Unexpected additional argument: %1").arg(arguments[i + 1]));
            break;
        }
        if (word.startsWith(QLatin1String("--"))) {
            const qsizetype equals = word.indexOf(QLatin1Char('='));
            const QString name = word.mid(2, equals < 0 ? -1 : equals - 2);
            const Option *option = findLong(name);
            if (!option)
                return fail(QStringLiteral("%1: unrecognized option '%2'").arg(program, word));
            if (option->argument == Argument::None) {
                if (equals >= 0)
                    return fail(
                        QStringLiteral("%1: option '--%2' doesn't allow an argument").arg(program, name));
                result.values.insert(name, QString());
            } else if (equals >= 0) {
                result.values.insert(name, word.mid(equals + 1));
            } else if (option->argument == Argument::Optional) {
                result.values.insert(name, QString());
            } else if (i + 1 < arguments.size()) {
                result.values.insert(name, arguments[++i]);
            } else {
                return fail(QStringLiteral("%1: option '--%2' requires an argument").arg(program, name));
            }
        } else if (word.startsWith(QLatin1Char('-')) && word.size() > 1) {
            for (qsizetype k = 1; k < word.size(); ++k) {
                const QChar c = word.at(k);
                if (const auto uhid = shortOnly(c)) {
                    result.values.insert(*uhid, QStringLiteral("uhid"));
                    continue;
                }
                const Option *option = findShort(c);
                if (!option)
                    return fail(QStringLiteral("%1: invalid option -- '%2'").arg(program, c));
                const QString name = QLatin1String(option->name);
                if (option->argument == Argument::None) {
                    result.values.insert(name, QString());
                    continue;
                }
                if (k + 1 < word.size()) {
                    result.values.insert(name, word.mid(k + 1));
                } else if (i + 1 < arguments.size()) {
                    result.values.insert(name, arguments[++i]);
                } else {
                    return fail(QStringLiteral("%1: option requires an argument -- '%2'").arg(program, c));
                }
                break;
            }
        } else {
            return fail(QStringLiteral("ERROR: Unexpected additional argument: %1").arg(word));
        }
    }
    result.error = result.validate();
    return result;
}

// The value checks scrcpy makes before it talks to any device.
std::optional<QString> ScrcpyOptions::validate() const
{
    static const QStringList videoCodecs{QStringLiteral("h264"), QStringLiteral("h265"),
                                         QStringLiteral("av1")};
    static const QStringList audioCodecs{QStringLiteral("opus"), QStringLiteral("aac"),
                                         QStringLiteral("flac"), QStringLiteral("raw")};
    static const QStringList modifiers{QStringLiteral("lctrl"),  QStringLiteral("rctrl"),
                                       QStringLiteral("lalt"),   QStringLiteral("ralt"),
                                       QStringLiteral("lsuper"), QStringLiteral("rsuper")};
    if (has(QStringLiteral("video-codec")) && !videoCodecs.contains(value(QStringLiteral("video-codec")))) {
        return QStringLiteral("ERROR: Unsupported video codec: %1 (expected h264, h265 or av1)")
            .arg(value(QStringLiteral("video-codec")));
    }
    if (has(QStringLiteral("audio-codec")) && !audioCodecs.contains(value(QStringLiteral("audio-codec")))) {
        return QStringLiteral("ERROR: Unsupported audio codec: %1 (expected opus, aac, flac or raw)")
            .arg(value(QStringLiteral("audio-codec")));
    }
    const struct
    {
        const char *option;
        const char *label;
        bool bitRate;
    } numbers[] = {{"max-size", "max size", false},
                   {"max-fps", "max fps", false},
                   {"video-bit-rate", "video bit-rate", true},
                   {"audio-bit-rate", "audio bit-rate", true},
                   {"display-id", "display id", false},
                   {"camera-fps", "camera fps", false},
                   {"time-limit", "time limit", false}};
    for (const auto &number : numbers) {
        const QString name = QLatin1String(number.option);
        if (has(name) && !(number.bitRate ? isBitRate(value(name)) : isInteger(value(name))))
            return QStringLiteral("ERROR: Could not parse %1: %2")
                .arg(QLatin1String(number.label), value(name));
    }
    if (has(QStringLiteral("shortcut-mod"))) {
        for (const QString &key :
             value(QStringLiteral("shortcut-mod")).split(QRegularExpression(QStringLiteral("[,+]")))) {
            if (!modifiers.contains(key)) {
                return QStringLiteral(
                           "ERROR: Unknown modifier key: %1 (must be one of: lctrl, rctrl, lalt, ralt, "
                           "lsuper, rsuper)")
                    .arg(key);
            }
        }
    }
    if (value(QStringLiteral("video-source")) != QLatin1String("camera")) {
        for (const char *camera : {"camera-id", "camera-facing", "camera-size", "camera-ar", "camera-fps",
                                   "camera-high-speed", "camera-torch", "camera-zoom"}) {
            if (has(QLatin1String(camera)))
                return QStringLiteral("ERROR: --%1 is only available with --video-source=camera")
                    .arg(QLatin1String(camera));
        }
    }
    return std::nullopt;
}

} // namespace devsim

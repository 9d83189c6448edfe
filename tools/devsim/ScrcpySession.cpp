#include "ScrcpySession.h"

#include "SessionChanges.h"
#include "WindowPlugin.h"
#include "World.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace devsim {

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

QJsonObject scrcpyConfig(const QJsonObject &world)
{
    return world.value(QStringLiteral("scrcpy")).toObject();
}

int sdkOf(const QJsonObject &phone)
{
    return phone.value(QStringLiteral("properties"))
        .toObject()
        .value(QStringLiteral("ro.build.version.sdk"))
        .toString()
        .toInt();
}

// Lines given bare get the client's error prefix; lines that carry their own prefix are kept.
QString messageLine(const QString &message)
{
    if (message.startsWith(QLatin1String("ERROR:")) || message.startsWith(QLatin1String("WARN:")) ||
        message.startsWith(QLatin1String("INFO:")) || message.startsWith(QLatin1String("[server]")))
        return message;
    return QStringLiteral("ERROR: ") + message;
}

bool hasEncoder(const QJsonObject &phone, const QString &codec, const std::optional<QString> &name)
{
    for (const QJsonValue &value :
         phone.value(QStringLiteral("encoders")).toObject().value(QStringLiteral("video")).toArray()) {
        const QJsonObject encoder = value.toObject();
        if (encoder.value(QStringLiteral("codec")).toString() == codec &&
            (!name || encoder.value(QStringLiteral("name")).toString() == *name))
            return true;
    }
    return false;
}

// scrcpy keeps the aspect ratio and rounds both sides down to a multiple of 8.
QString scaled(const QString &size, int maxSize)
{
    int width = size.section(QLatin1Char('x'), 0, 0).toInt();
    int height = size.section(QLatin1Char('x'), 1, 1).section(QLatin1Char('/'), 0, 0).toInt();
    const int longest = std::max(width, height);
    if (maxSize > 0 && longest > maxSize) {
        width = width * maxSize / longest;
        height = height * maxSize / longest;
    }
    return QStringLiteral("%1x%2").arg(width & ~7).arg(height & ~7);
}

} // namespace

ScrcpySession::ScrcpySession(ScrcpyOptions options, QStringList arguments, QString serial, QString phoneId,
                             ScrcpyOutput &output)
    : m_options(std::move(options))
    , m_arguments(std::move(arguments))
    , m_serial(std::move(serial))
    , m_phoneId(std::move(phoneId))
    , m_worldPath(World::pathFromEnvironment())
    , m_world(World::read(m_worldPath))
    , m_phone(World::phone(m_world, m_phoneId))
    , m_output(output)
{
}

int ScrcpySession::run()
{
    if (const auto refusal = phoneRefusal()) {
        m_output.error(*refusal);
        return finish(1);
    }
    const auto rule = matchingRule();
    const int afterMs = rule ? rule->value(QStringLiteral("afterMs")).toInt() : 0;
    if (rule && afterMs <= 0) {
        m_output.error(messageLine(
            rule->value(QStringLiteral("message")).toString(QStringLiteral("Server connection failed"))));
        return finish(rule->value(QStringLiteral("exitCode")).toInt(1));
    }
    if (!startRecording())
        return finish(1);
    applyPhoneChanges();
    printStartLines();
    const int exitCode = waitForEnd(rule);
    restorePhoneChanges();
    if (m_options.has(QStringLiteral("record")))
        m_output.own(QStringLiteral("INFO: Recording complete to mp4 file: %1")
                         .arg(m_options.value(QStringLiteral("record"))));
    return finish(exitCode);
}

std::optional<QString> ScrcpySession::phoneRefusal() const
{
    const int sdk = sdkOf(m_phone);
    const bool camera = m_options.value(QStringLiteral("video-source")) == QLatin1String("camera");
    if (camera && sdk < 31)
        return QStringLiteral("[server] ERROR: Camera mirroring is not supported before Android 12");
    if (camera && m_options.has(QStringLiteral("camera-id"))) {
        const QString id = m_options.value(QStringLiteral("camera-id"));
        const QJsonArray cameras = m_phone.value(QStringLiteral("cameras")).toArray();
        const bool known = std::any_of(cameras.begin(), cameras.end(), [&id](const QJsonValue &c) {
            return c.toObject().value(QStringLiteral("id")).toString() == id;
        });
        if (!known)
            return QStringLiteral("[server] ERROR: Camera id %1 not found").arg(id);
    }
    if (m_options.has(QStringLiteral("new-display")) && sdk < 30)
        return QStringLiteral("[server] ERROR: New virtual display is not supported before Android 11");
    // A phone whose world lists no encoders takes any; a listed set is binding.
    const QString codec = m_options.values.value(QStringLiteral("video-codec"), QStringLiteral("h264"));
    if (!m_phone.value(QStringLiteral("encoders")).toObject().value(QStringLiteral("video")).isArray())
        return std::nullopt;
    if (m_options.has(QStringLiteral("video-encoder"))) {
        const QString name = m_options.value(QStringLiteral("video-encoder"));
        if (!hasEncoder(m_phone, codec, name))
            return QStringLiteral("[server] ERROR: Video encoder '%1' for %2 not found").arg(name, codec);
    } else if (!camera && !hasEncoder(m_phone, codec, std::nullopt)) {
        return QStringLiteral("[server] ERROR: Could not find any %1 encoder").arg(codec);
    }
    return std::nullopt;
}

bool ScrcpySession::ruleMatches(const QJsonObject &rule) const
{
    if (rule.contains(QStringLiteral("serial")) &&
        rule.value(QStringLiteral("serial")).toString() != m_serial)
        return false;
    for (const QJsonValue &value : rule.value(QStringLiteral("whenArgs")).toArray()) {
        const QString wanted = value.toString();
        const bool present =
            std::any_of(m_arguments.begin(), m_arguments.end(), [&wanted](const QString &word) {
                return word == wanted ||
                       (!wanted.contains(QLatin1Char('=')) && word.startsWith(wanted + QLatin1Char('=')));
            });
        if (!present)
            return false;
    }
    return true;
}

std::optional<QJsonObject> ScrcpySession::matchingRule() const
{
    for (const QJsonValue &value : scrcpyConfig(m_world).value(QStringLiteral("launchRules")).toArray()) {
        if (ruleMatches(value.toObject()))
            return value.toObject();
    }
    return std::nullopt;
}

QString ScrcpySession::sourceSize() const
{
    if (m_options.value(QStringLiteral("video-source")) == QLatin1String("camera")) {
        if (m_options.has(QStringLiteral("camera-size")))
            return m_options.value(QStringLiteral("camera-size"));
        const QJsonArray cameras = m_phone.value(QStringLiteral("cameras")).toArray();
        return cameras.first()
            .toObject()
            .value(QStringLiteral("sizes"))
            .toArray()
            .first()
            .toString(QStringLiteral("1920x1080"));
    }
    if (m_options.has(QStringLiteral("new-display")) &&
        !m_options.value(QStringLiteral("new-display")).isEmpty())
        return m_options.value(QStringLiteral("new-display"));
    const QJsonObject screen = m_phone.value(QStringLiteral("screen")).toObject();
    return QStringLiteral("%1x%2")
        .arg(screen.value(QStringLiteral("width")).toInt(1080))
        .arg(screen.value(QStringLiteral("height")).toInt(2400));
}

// scrcpy opens the recording file before the first frame; a folder that does not exist ends it.
bool ScrcpySession::startRecording()
{
    if (!m_options.has(QStringLiteral("record")))
        return true;
    const QString path = m_options.value(QStringLiteral("record"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_output.error(QStringLiteral("ERROR: Failed to open output file: %1").arg(path));
        return false;
    }
    file.write(QByteArray("\x00\x00\x00\x18"
                          "ftypisom\x00\x00\x02\x00"
                          "isomiso2",
                          24));
    return true;
}

void ScrcpySession::printStartLines()
{
    if (sdkOf(m_phone) < 30 && !m_options.has(QStringLiteral("no-audio")))
        m_output.error(
            QStringLiteral("[server] WARN: Audio disabled: it is not supported before Android 11"));
    if (m_virtualDisplayId) {
        m_output.passthrough(QStringLiteral("[server] INFO: New display: %1 (id=%2)")
                                 .arg(m_options.value(QStringLiteral("new-display")).isEmpty()
                                          ? sourceSize()
                                          : m_options.value(QStringLiteral("new-display")))
                                 .arg(*m_virtualDisplayId));
    }
    const bool playback =
        !m_options.has(QStringLiteral("no-window")) && !m_options.has(QStringLiteral("no-video")) &&
        !m_options.has(QStringLiteral("no-playback")) && !m_options.has(QStringLiteral("no-video-playback"));
    if (playback) {
        m_output.own(QStringLiteral("INFO: Renderer: opengl"));
        m_output.own(QStringLiteral("INFO: OpenGL version: 4.6 (Compatibility Profile) Mesa 22.3.6"));
        m_output.own(QStringLiteral("INFO: Trilinear filtering enabled"));
        m_output.own(QStringLiteral("INFO: Texture: %1")
                         .arg(scaled(sourceSize(), m_options.value(QStringLiteral("max-size")).toInt())));
    }
    if (m_options.has(QStringLiteral("record")))
        m_output.own(QStringLiteral("INFO: Recording started to mp4 file: %1")
                         .arg(m_options.value(QStringLiteral("record"))));
}

// What the server changes on the phone for the session's lifetime, with a watcher that undoes it
// should the session be killed.
void ScrcpySession::applyPhoneChanges()
{
    SessionChanges::Request request;
    request.showTouches = m_options.has(QStringLiteral("show-touches"));
    request.stayAwake = m_options.has(QStringLiteral("stay-awake"));
    request.cleanup = !m_options.has(QStringLiteral("no-cleanup"));
    if (m_options.has(QStringLiteral("new-display")))
        request.newDisplay = sourceSize();
    if (m_phoneId.isEmpty() || (!request.showTouches && !request.stayAwake && !request.newDisplay))
        return;
    m_undo = SessionChanges::apply(m_worldPath, m_phoneId, request);
    m_virtualDisplayId = SessionChanges::virtualDisplayId(m_undo);
    m_watcher.start(m_undo);
}

void ScrcpySession::restorePhoneChanges()
{
    SessionChanges::restore(m_worldPath, m_undo);
    m_watcher.dismiss();
}

void ScrcpySession::installSignalHandlers(const QJsonObject &world)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        qFatal("devsim: cannot create the signal pipe");
    std::signal(SIGINT, onTerminationSignal);
    const bool ignore = scrcpyConfig(world).value(QStringLiteral("ignoreSigterm")).toBool();
    std::signal(SIGTERM, ignore ? SIG_IGN : onTerminationSignal);
}

int ScrcpySession::waitForEnd(const std::optional<QJsonObject> &timedRule)
{
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, QCoreApplication::instance(),
                     [] { QCoreApplication::exit(0); });

    QTimer timer;
    timer.setSingleShot(true);
    if (timedRule) {
        const int code = timedRule->value(QStringLiteral("exitCode")).toInt(2);
        const QString message = timedRule->value(QStringLiteral("message"))
                                    .toString(code == 2 ? QStringLiteral("WARN: Device disconnected")
                                                        : QStringLiteral("Server connection failed"));
        // The user closing the window ends scrcpy quietly and successfully.
        const bool closeWindow = timedRule->value(QStringLiteral("closeWindow")).toBool();
        QObject::connect(&timer, &QTimer::timeout, QCoreApplication::instance(),
                         [this, code, message, closeWindow] {
                             if (closeWindow) {
                                 QCoreApplication::exit(0);
                                 return;
                             }
                             m_output.error(messageLine(message));
                             QCoreApplication::exit(code);
                         });
        timer.start(timedRule->value(QStringLiteral("afterMs")).toInt());
    }
    // scrcpy names its window after the phone's model unless told otherwise.
    QString title = m_options.value(QStringLiteral("window-title"));
    if (title.isEmpty())
        title = m_phone.value(QStringLiteral("properties"))
                    .toObject()
                    .value(QStringLiteral("ro.product.model"))
                    .toString();
    const std::unique_ptr<QObject> window = WindowPlugin::openWindow(title, m_worldPath);
    return QCoreApplication::exec();
}

int ScrcpySession::finish(int exitCode)
{
    m_output.flush();
    return exitCode;
}

} // namespace devsim

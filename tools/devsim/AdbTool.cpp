#include "AdbTool.h"

#include "AdbDevice.h"
#include "AdbHost.h"
#include "Faults.h"
#include "Reply.h"
#include "World.h"

#include <QThread>

namespace devsim {

namespace {

// The global options before the command word; adb reads them in any order.
struct GlobalOptions
{
    Target target;
    QStringList words;
    std::optional<QString> usageError;
};

GlobalOptions parseGlobalOptions(const QStringList &arguments)
{
    GlobalOptions options;
    qsizetype i = 0;
    for (; i < arguments.size(); ++i) {
        const QString &word = arguments[i];
        if (word == QLatin1String("-s") || word == QLatin1String("-t")) {
            if (i + 1 >= arguments.size()) {
                options.usageError = QStringLiteral("adb: %1 requires an argument\n").arg(word);
                return options;
            }
            if (word == QLatin1String("-s"))
                options.target.serial = arguments[++i];
            else
                options.target.transportId = arguments[++i].toInt();
        } else if (word == QLatin1String("-d")) {
            options.target.kind = Target::Kind::Usb;
        } else if (word == QLatin1String("-e")) {
            options.target.kind = Target::Kind::Network;
        } else {
            break;
        }
    }
    if (!options.target.serial && !options.target.transportId && qEnvironmentVariableIsSet("ANDROID_SERIAL"))
        options.target.serial = qEnvironmentVariable("ANDROID_SERIAL");
    options.words = arguments.mid(i);
    return options;
}

const QString daemonStartLines = QStringLiteral("* daemon not running; starting now at tcp:5037\n"
                                                "* daemon started successfully\n");

// Every command except "version" and "kill-server" talks to the server, starting it when needed; the
// start-up notice goes to standard error, once per server life. A server another adb installation of
// another protocol started is killed and replaced, as adb does.
void ensureServer(QJsonObject &world, const QString &program, Reply &reply)
{
    QJsonObject adb = world.value(QStringLiteral("adb")).toObject();
    const int client = AdbHost::installation(world, program).protocol;
    const int server = adb.value(QStringLiteral("serverProtocol")).toInt(client);
    const bool running = adb.value(QStringLiteral("serverRunning")).toBool();
    if (running && server == client)
        return;
    adb.insert(QStringLiteral("serverRunning"), true);
    adb.insert(QStringLiteral("serverProtocol"), client);
    world.insert(QStringLiteral("adb"), adb);
    QByteArray notice = daemonStartLines.toUtf8();
    if (running)
        notice.prepend(QStringLiteral("adb server version (%1) doesn't match this client (%2); killing...\n")
                           .arg(server)
                           .arg(client)
                           .toUtf8());
    reply.err.prepend(notice);
}

} // namespace

AdbTool::AdbTool(QString program, QStringList arguments)
    : m_program(std::move(program))
    , m_arguments(std::move(arguments))
{
}

int AdbTool::run()
{
    const GlobalOptions options = parseGlobalOptions(m_arguments);
    if (options.usageError) {
        Reply::error(*options.usageError).print();
        return 1;
    }
    const QString worldPath = World::pathFromEnvironment();
    if (const auto fault = Faults::take(worldPath, QStringLiteral("adb"),
                                        options.target.serial.value_or(QString()), options.words)) {
        QThread::msleep(static_cast<unsigned long>(fault->delayMs));
        if (fault->reply) {
            fault->reply->print();
            return fault->reply->exitCode;
        }
    }
    if (options.words.value(0) == QLatin1String("wait-for-device"))
        return AdbDevice::waitForDevice(worldPath, options.target);

    Reply reply;
    World::update(worldPath, [&](QJsonObject &world) {
        const QString command = options.words.value(0);
        AdbHost host(world, m_program);
        if (AdbHost::isServerless(command)) {
            reply = host.run(options.words);
        } else if (AdbHost::handles(command)) {
            reply = host.run(options.words);
            ensureServer(world, m_program, reply);
        } else if (AdbDevice::handles(command)) {
            reply = AdbDevice(world, options.target).run(options.words);
            ensureServer(world, m_program, reply);
        } else {
            reply = Reply::error(QStringLiteral("adb: unknown command %1\n").arg(command));
        }
    });
    reply.print();
    return reply.exitCode;
}

} // namespace devsim

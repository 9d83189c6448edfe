#include "World.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

#include <sys/file.h>
#include <unistd.h>

namespace devsim {

namespace {

// flock rather than QLockFile: the kernel drops it when a holder dies, and waiters wake at once instead
// of polling with a growing back-off (twenty parallel adb calls would otherwise take seconds).
class FileLock
{
public:
    explicit FileLock(const QString &worldPath)
        : m_file(worldPath + QStringLiteral(".lock"))
    {
        if (!m_file.open(QIODevice::ReadWrite))
            throw WorldError(m_file.fileName() + QStringLiteral(": ") + m_file.errorString());
        while (flock(m_file.handle(), LOCK_EX) != 0) {
        }
    }
    ~FileLock() { flock(m_file.handle(), LOCK_UN); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

private:
    QFile m_file;
};

} // namespace

QString World::pathFromEnvironment()
{
    return qEnvironmentVariable("DEVSIM_WORLD");
}

QJsonObject World::read(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw WorldError(file.errorString());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        throw WorldError(path + QStringLiteral(": ") + error.errorString());
    return document.object();
}

// Written whole through QSaveFile, so a reader without the lock never sees half a world.
void World::write(const QString &path, const QJsonObject &world)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw WorldError(file.errorString());
    file.write(QJsonDocument(world).toJson(QJsonDocument::Indented));
    if (!file.commit())
        throw WorldError(file.errorString());
}

void World::update(const QString &path, const std::function<void(QJsonObject &)> &change)
{
    if (path.isEmpty()) {
        QJsonObject scratch;
        change(scratch);
        return;
    }
    FileLock lock(path);
    QJsonObject world = read(path);
    const QJsonObject before = world;
    change(world);
    if (world != before)
        write(path, world);
}

std::optional<QJsonObject> World::transport(const QJsonObject &world, const QString &serial)
{
    for (const QJsonValue &value : world.value(QStringLiteral("transports")).toArray()) {
        const QJsonObject transport = value.toObject();
        if (transport.value(QStringLiteral("serial")).toString() == serial)
            return transport;
    }
    return std::nullopt;
}

QJsonObject World::phone(const QJsonObject &world, const QString &phoneId)
{
    return world.value(QStringLiteral("phones")).toObject().value(phoneId).toObject();
}

bool World::isNetworkSerial(const QString &serial)
{
    return serial.contains(QLatin1Char(':')) || serial.contains(QLatin1String("._adb-tls-"));
}

} // namespace devsim

#include "CallLog.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <unistd.h>

namespace devsim {

namespace {

QJsonValue variable(const char *name)
{
    return qEnvironmentVariableIsSet(name) ? QJsonValue(qEnvironmentVariable(name)) : QJsonValue();
}

QString firstPathEntry()
{
    return qEnvironmentVariable("PATH").section(QLatin1Char(':'), 0, 0);
}

} // namespace

void CallLog::record(const QString &tool, const QString &program, const QStringList &arguments)
{
    const QString path = qEnvironmentVariable("DEVSIM_LOG");
    if (path.isEmpty())
        return;
    QJsonObject entry{
        {QStringLiteral("tool"), tool},
        {QStringLiteral("program"), program},
        {QStringLiteral("argv"), QJsonArray::fromStringList(arguments)},
        {QStringLiteral("ADB"), variable("ADB")},
        {QStringLiteral("SCRCPY_SERVER_PATH"), variable("SCRCPY_SERVER_PATH")},
        {QStringLiteral("SDL_VIDEODRIVER"), variable("SDL_VIDEODRIVER")},
        {QStringLiteral("pathHead"), firstPathEntry()},
        {QStringLiteral("pid"), static_cast<qint64>(getpid())},
        {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
    };
    const QByteArray line = QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n';
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const ssize_t written = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    Q_UNUSED(written);
    ::close(fd);
}

} // namespace devsim

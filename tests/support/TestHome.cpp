#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace quorvane::test {

TestHome::TestHome()
    : m_previousHome(qgetenv("HOME"))
{
    qputenv("HOME", m_dir.path().toUtf8());
    for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qunsetenv(variable);
    QStandardPaths::setTestModeEnabled(true);
}

TestHome::~TestHome()
{
    qputenv("HOME", m_previousHome);
}

QString TestHome::file(const QString &relative) const
{
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

void TestHome::writeUserDefault(const QString &key, const QVariant &value) const
{
    QSettings settings(file(QStringLiteral(".config/Quorvane/Quorvane.conf")), QSettings::IniFormat);
    settings.setValue(key, value);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString writeExecutable(const QString &path, const QString &script)
{
    writeFile(path, script.toUtf8());
    QFile file(path);
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

} // namespace quorvane::test

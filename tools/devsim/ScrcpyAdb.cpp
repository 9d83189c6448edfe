#include "ScrcpyAdb.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace devsim {

namespace {

std::optional<ScrcpyAdb::Device> parseLine(const QString &line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList tokens = line.trimmed().split(blanks, Qt::SkipEmptyParts);
    if (tokens.size() < 2 || line.startsWith(QLatin1Char('*')))
        return std::nullopt;
    ScrcpyAdb::Device device{tokens[0], tokens[1], {}};
    for (const QString &token : tokens.mid(2)) {
        if (token.startsWith(QLatin1String("model:")))
            device.model = token.mid(6);
    }
    return device;
}

} // namespace

ScrcpyAdb::ScrcpyAdb(ScrcpyOutput &output)
    : m_output(output)
{
}

std::optional<QString> ScrcpyAdb::locate() const
{
    if (qEnvironmentVariableIsSet("ADB"))
        return qEnvironmentVariable("ADB");
    const QString found = QStandardPaths::findExecutable(QStringLiteral("adb"));
    return found.isEmpty() ? std::nullopt : std::optional<QString>(found);
}

// A link to this executable, or a copy of it (a bundle may hold copies rather than links).
bool ScrcpyAdb::isSimulator(const QString &path) const
{
    const QFileInfo candidate(path);
    const QFileInfo self(QCoreApplication::applicationFilePath());
    if (candidate.canonicalFilePath() == self.canonicalFilePath())
        return true;
    if (candidate.size() != self.size())
        return false;
    QFile a(candidate.canonicalFilePath());
    QFile b(self.canonicalFilePath());
    return a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll();
}

std::optional<QByteArray> ScrcpyAdb::run(const QString &adb, const QStringList &words)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(adb, words);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    const QByteArray out = process.readAllStandardOutput();
    if (process.exitCode() != 0)
        return std::nullopt;
    return out;
}

std::optional<QList<ScrcpyAdb::Device>> ScrcpyAdb::devices()
{
    const auto adb = locate();
    if (!adb || !QFileInfo(*adb).isExecutable()) {
        m_output.error(
            QStringLiteral("ERROR: Command not found: %1").arg(adb.value_or(QStringLiteral("adb"))));
        m_output.error(
            QStringLiteral("ERROR: (make 'adb' accessible from your PATH or define its full path in "
                           "the ADB environment variable)"));
        m_output.error(QStringLiteral("ERROR: Could not start adb server"));
        return std::nullopt;
    }
    if (!isSimulator(*adb))
        return QList<Device>{};
    if (!run(*adb, {QStringLiteral("start-server")})) {
        m_output.error(QStringLiteral("ERROR: Could not start adb server"));
        return std::nullopt;
    }
    const auto text = run(*adb, {QStringLiteral("devices"), QStringLiteral("-l")});
    if (!text) {
        m_output.error(QStringLiteral("ERROR: Could not execute \"adb devices -l\""));
        return std::nullopt;
    }
    QList<Device> devices;
    bool listing = false;
    for (const QString &line : QString::fromUtf8(*text).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("List of devices attached"))) {
            listing = true;
        } else if (listing) {
            if (const auto device = parseLine(line))
                devices.append(*device);
        }
    }
    return devices;
}

} // namespace devsim

#include "ApplicationVersion.h"
#include "Commands.h"
#include "Errors.h"
#include "HostDesktop.h"
#include "JsonFile.h"
#include "ProcessRunner.h"
#include "TextParsing.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

using namespace quorvane;
using namespace quorvane::cli;

namespace {

QString usage()
{
    QString text = QStringLiteral(
        "Usage: quorvanectl [--version] [--adb PATH] [--scrcpy PATH] [--json] COMMAND [ARGS]\n\nCommands:\n");
    for (const Command &command : allCommands())
        text += QStringLiteral("  ") + command.synopsis + QLatin1Char('\n');
    return text;
}

// A tool named on the command line is the one meant: running another one found elsewhere instead would
// answer a question nobody asked.
std::optional<QString> takeToolOption(ArgumentList &arguments, const QString &name)
{
    const std::optional<QString> value = arguments.takeOption(name);
    if (!value)
        return std::nullopt;
    const QString path = TextParsing::trimSpacesAndTabs(*value);
    if (path.isEmpty())
        throw UsageError(QStringLiteral("%1 needs a value.").arg(name));
    if (!QFileInfo::exists(path))
        throw UsageError(QStringLiteral("%1: %2 does not exist.").arg(name, path));
    if (!ProcessRunner::isUsableExecutable(path))
        throw UsageError(QStringLiteral("%1: %2 is not an executable file.").arg(name, path));
    return path;
}

// Takes the options every subcommand shares, wherever they stand.
CliContext takeCommonOptions(ArgumentList &arguments)
{
    CliContext context;
    context.json = arguments.takeFlag(QStringLiteral("--json"));
    context.paths.adbOverride = takeToolOption(arguments, QStringLiteral("--adb"));
    context.paths.scrcpyOverride = takeToolOption(arguments, QStringLiteral("--scrcpy"));
    context.xwaylandWindows = HostDesktop::xwaylandChosen();
    return context;
}

QCoro::Task<int> run(QStringList words)
{
    QTextStream err(stderr);
    try {
        ArgumentList arguments(words);
        if (arguments.takeFlag(QStringLiteral("--version"))) {
            QTextStream(stdout) << "quorvanectl " << applicationVersion << Qt::endl;
            co_return 0;
        }
        const CliContext context = takeCommonOptions(arguments);
        const QString name = arguments.takePositional(QStringLiteral("command"));
        for (const Command &command : allCommands()) {
            if (command.name != name)
                continue;
            QCoro::Task<int> task = command.run(context, arguments);
            co_return co_await std::move(task);
        }
        throw UsageError(QStringLiteral("Unknown command: %1").arg(name));
    } catch (const UsageError &error) {
        err << QString::fromUtf8(error.what()) << "\n\n" << usage();
        co_return 2;
    } catch (const std::exception &error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        co_return 1;
    }
}

QCoro::Task<void> runAndExit(QStringList words)
{
    const int code = co_await run(std::move(words));
    QCoreApplication::exit(code);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvane"));
    // A store file that could not be read and was kept aside is worth one line whatever the command.
    JsonFile::setNoticeHook([](const QString &sentence) { QTextStream(stderr) << sentence << Qt::endl; });
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    QTimer::singleShot(0, &application, [words] { runAndExit(words); });
    return QCoreApplication::exec();
}

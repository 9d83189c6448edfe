#include "ApplicationVersion.h"
#include "Commands.h"
#include "ErrorCatalog.h"
#include "Errors.h"
#include "HostDesktop.h"
#include "JsonFile.h"
#include "ProcessRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>

using namespace quorvane;
using namespace quorvane::cli;

namespace {

// A tool named on the command line is the one meant: running another one found elsewhere instead would
// answer a question nobody asked.
std::optional<QString> checkedTool(const QString &name, const std::optional<QString> &path)
{
    if (!path)
        return std::nullopt;
    if (!QFileInfo::exists(*path))
        throw UsageError(QStringLiteral("%1: %2 does not exist.").arg(name, *path));
    if (!ProcessRunner::isUsableExecutable(*path))
        throw UsageError(QStringLiteral("%1: %2 is not an executable file.").arg(name, *path));
    return path;
}

QCoro::Task<int> run(QStringList words)
{
    const QList<Command> commands = allCommands();
    CommandLine line;
    try {
        line.parse(words, commands);
        QTextStream out(stdout);
        switch (line.action) {
        case CommandLine::Action::Version:
            out << "quorvanectl " << applicationVersion << Qt::endl;
            co_return 0;
        case CommandLine::Action::Overview:
            out << CommandLine::overview(commands) << Qt::flush;
            co_return 0;
        case CommandLine::Action::CommandHelp:
            out << line.command->help() << Qt::flush;
            co_return 0;
        case CommandLine::Action::ManSection:
            out << CommandLine::manSections(commands) << Qt::flush;
            co_return 0;
        case CommandLine::Action::Run:
            break;
        }
        CliContext context;
        context.json = line.json;
        context.paths.adbOverride = checkedTool(QStringLiteral("--adb"), line.adb);
        context.paths.scrcpyOverride = checkedTool(QStringLiteral("--scrcpy"), line.scrcpy);
        context.xwaylandWindows = HostDesktop::xwaylandChosen();
        QCoro::Task<int> task = line.command->run(context, line.arguments);
        co_return co_await std::move(task);
    } catch (const UsageError &error) {
        QTextStream err(stderr);
        err << QString::fromUtf8(error.what()) << '\n';
        // The command's own usage says what was expected; without a command, the whole overview.
        if (line.command)
            err << line.command->usageLine() << "\nRun \"quorvanectl help " << line.command->name
                << "\" for its options." << Qt::endl;
        else
            err << '\n' << CommandLine::overview(commands) << Qt::flush;
        co_return 2;
    } catch (const std::exception &error) {
        // A line adb or scrcpy printed that we know is explained above it; scripts get the same as fields.
        const QString text = QString::fromUtf8(error.what());
        QTextStream(stderr) << ErrorCatalog::explained(text) << Qt::endl;
        if (const std::optional<KnownErrorMatch> known = ErrorCatalog::find(text);
            known && line.json && !sessionEventsPrinted())
            QTextStream(stdout) << QJsonDocument(QJsonObject{{QStringLiteral("error"), text},
                                                             {QStringLiteral("finding"), known->toJson()}})
                                       .toJson(QJsonDocument::Compact)
                                << Qt::endl;
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

#pragma once

#include "CliContext.h"

#include <QCoroTask>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quorvane::cli {

// What an option takes after its name.
enum class ValueKind {
    None,   // a flag
    Text,   // any word
    Path,   // a file name, offered by the completion
    Number, // a whole number, 0 or more
    Choice, // one of the listed words
};

struct OptionRule
{
    QString name; // "--mode", or "-s"
    ValueKind kind = ValueKind::None;
    QString valueName; // "MODE"
    QString help;
    QStringList choices = {};
    bool repeatable = false;
    // The value may be left out; given, it follows "=" ("--record" or "--record=PATH").
    bool optionalValue = false;
    // A value this refuses is a usage error that lists validValues.
    std::function<bool(const QString &)> check = {};
    QString validValues = {};
};

struct PositionalRule
{
    QString name; // "SERIAL", "FILE"
    QString help;
    ValueKind kind = ValueKind::Text;
    QStringList choices = {};
    bool optional = false;
};

// The name every positional naming a phone carries: it may be left out like adb lets it be.
inline const QString serialWord = QStringLiteral("SERIAL");

// "--mode", with the modes the core knows.
OptionRule modeOption(const QString &help);

inline PositionalRule phonePositional()
{
    return {serialWord,
            QStringLiteral("the phone; without it -s, ANDROID_SERIAL or the one phone ready"),
            ValueKind::Text,
            {},
            true};
}

// The words of one command line, checked against its command's table.
class ParsedArguments
{
public:
    bool flag(const QString &name) const { return m_options.contains(name); }
    std::optional<QString> value(const QString &name) const;
    QStringList values(const QString &name) const { return m_options.value(name); }
    std::optional<QString> positional(const QString &name) const;
    // The words after "--" of a command that passes them on.
    const QStringList &trailing() const { return m_trailing; }

private:
    friend class CommandLine;
    QHash<QString, QStringList> m_options;
    QHash<QString, QString> m_positionals;
    QStringList m_trailing;
};

using CommandHandler = std::function<QCoro::Task<int>(CliContext, ParsedArguments)>;

// One command, declared once: parsing, its help, the overview, the manual page and the bash completion
// are all read from this.
struct Command
{
    QString name;
    QString summary;
    QList<PositionalRule> positionals;
    QList<OptionRule> options;
    CommandHandler run;
    // What the words after "--" are, for a command that takes them; otherwise they are positionals.
    std::optional<PositionalRule> trailing = std::nullopt;

    QString usageLine() const;
    QString help() const;
};

// A command line read against the tables: what to do, and with which words.
class CommandLine
{
public:
    enum class Action { Run, Overview, CommandHelp, Version, ManSection };

    // Throws UsageError naming the bad word; command() is then set once the command was known.
    void parse(const QStringList &words, const QList<Command> &commands);

    Action action = Action::Run;
    std::optional<Command> command;
    ParsedArguments arguments;
    // The options every command shares.
    bool json = false;
    std::optional<QString> adb;
    std::optional<QString> scrcpy;

    static const QList<OptionRule> &globalOptions();
    static QString overview(const QList<Command> &commands);
    // The OPTIONS and COMMANDS sections of the manual page, in roff.
    static QString manSections(const QList<Command> &commands);
};

} // namespace quorvane::cli

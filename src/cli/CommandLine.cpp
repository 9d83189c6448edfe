#include "CommandLine.h"

#include "LaunchConfig.h"
#include "TextParsing.h"

#include <algorithm>

namespace quorvane::cli {

namespace {

// Where a description starts in the help, as in the overview's command list.
constexpr qsizetype helpColumn = 26;

// "--mode MODE", or with its values when they are few enough to name: what the completion reads too.
QString optionTerm(const OptionRule &option, bool withChoices)
{
    if (option.kind == ValueKind::None)
        return option.name;
    if (option.optionalValue)
        return QStringLiteral("%1[=%2]").arg(option.name, option.valueName);
    const QString value =
        withChoices && !option.choices.isEmpty() ? option.choices.join(QLatin1Char('|')) : option.valueName;
    return option.name + QLatin1Char(' ') + value;
}

QString positionalTerm(const PositionalRule &positional)
{
    return positional.choices.isEmpty() ? positional.name : positional.choices.join(QLatin1Char('|'));
}

QString helpRow(const QString &term, const QString &text)
{
    const QString start = QStringLiteral("  ") + term;
    if (start.size() + 2 <= helpColumn)
        return start.leftJustified(helpColumn) + text + QLatin1Char('\n');
    return start + QLatin1Char('\n') + QString(helpColumn, QLatin1Char(' ')) + text + QLatin1Char('\n');
}

// A summary reads as a sentence where it stands alone.
QString sentence(const QString &text)
{
    return text.isEmpty() ? text : text.at(0).toUpper() + text.mid(1) + QLatin1Char('.');
}

QString listOfValues(const QStringList &values)
{
    return values.join(QStringLiteral(", "));
}

QString optionHelp(const OptionRule &option)
{
    QString text = option.help;
    if (option.repeatable)
        text += QStringLiteral(" (may be given more than once)");
    return text;
}

const QString numberValues = QStringLiteral("a whole number, 0 or more");

// A value is checked where it is read, so a wrong one never reaches the phone.
QString checkedValue(const QString &name, ValueKind kind, const QStringList &choices, const QString &value,
                     const OptionRule *rule = nullptr)
{
    if (kind == ValueKind::Number && !TextParsing::parseUInt32(value))
        throw UsageError(
            QStringLiteral("Invalid value for %1: %2 (valid: %3)").arg(name, value, numberValues));
    if (kind == ValueKind::Choice && !choices.contains(value))
        throw UsageError(
            QStringLiteral("Invalid value for %1: %2 (valid: %3)").arg(name, value, listOfValues(choices)));
    if (kind != ValueKind::None && kind != ValueKind::Choice && value.trimmed().isEmpty())
        throw UsageError(QStringLiteral("%1 needs a value.").arg(name));
    if (rule && rule->check && !rule->check(value))
        throw UsageError(
            QStringLiteral("Invalid value for %1: %2 (valid: %3)").arg(name, value, rule->validValues));
    return value;
}

QString roff(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    text.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (text.startsWith(QLatin1Char('.')) || text.startsWith(QLatin1Char('\'')))
        text.prepend(QStringLiteral("\\&"));
    return text;
}

QString roffOption(const OptionRule &option)
{
    QString term = QStringLiteral("\\fB%1\\fR").arg(roff(option.name));
    if (option.optionalValue) {
        term += QStringLiteral("[=\\fI%1\\fR]").arg(roff(option.valueName));
    } else if (option.kind != ValueKind::None) {
        term += option.choices.isEmpty() ? QStringLiteral(" \\fI%1\\fR").arg(roff(option.valueName))
                                         : QStringLiteral(" ") + roff(option.choices.join(QLatin1Char('|')));
    }
    return QStringLiteral(".TP\n%1\n%2\n").arg(term, roff(sentence(optionHelp(option))));
}

} // namespace

OptionRule modeOption(const QString &help)
{
    return {QStringLiteral("--mode"), ValueKind::Choice, QStringLiteral("MODE"), help,
            LaunchConfig::supportedModes()};
}

std::optional<QString> ParsedArguments::value(const QString &name) const
{
    const QStringList given = m_options.value(name);
    if (given.isEmpty())
        return std::nullopt;
    return given.last();
}

std::optional<QString> ParsedArguments::positional(const QString &name) const
{
    const auto found = m_positionals.constFind(name);
    if (found == m_positionals.cend())
        return std::nullopt;
    return *found;
}

QString Command::usageLine() const
{
    QString line = QStringLiteral("Usage: quorvanectl ") + name;
    for (const PositionalRule &positional : positionals)
        line += positional.optional ? QStringLiteral(" [%1]").arg(positionalTerm(positional))
                                    : QLatin1Char(' ') + positionalTerm(positional);
    for (const OptionRule &option : options)
        line += QStringLiteral(" [%1]%2").arg(optionTerm(option, false),
                                              option.repeatable ? QStringLiteral("...") : QString());
    if (trailing)
        line += QStringLiteral(" [-- %1...]").arg(trailing->name);
    return line;
}

QString Command::help() const
{
    QString text = usageLine() + QLatin1Char('\n') + sentence(summary) + QLatin1Char('\n');
    if (!positionals.isEmpty() || trailing) {
        text += QStringLiteral("\nArguments:\n");
        for (const PositionalRule &positional : positionals)
            text += helpRow(positionalTerm(positional), positional.help);
        if (trailing)
            text += helpRow(QStringLiteral("-- %1...").arg(trailing->name), trailing->help);
    }
    if (!options.isEmpty()) {
        text += QStringLiteral("\nOptions:\n");
        for (const OptionRule &option : options)
            text += helpRow(optionTerm(option, true), optionHelp(option));
    }
    return text;
}

const QList<OptionRule> &CommandLine::globalOptions()
{
    static const QList<OptionRule> options{
        {QStringLiteral("-s"), ValueKind::Text, serialWord,
         QStringLiteral("the phone to use; without it ANDROID_SERIAL, or the one phone ready")},
        {QStringLiteral("--adb"), ValueKind::Path, QStringLiteral("PATH"),
         QStringLiteral("the adb to run, which must exist and be executable")},
        {QStringLiteral("--scrcpy"), ValueKind::Path, QStringLiteral("PATH"),
         QStringLiteral("the scrcpy to run, 4.0 or newer, which must exist and be executable")},
        {QStringLiteral("--json"), ValueKind::None, {}, QStringLiteral("print results as JSON")},
        {QStringLiteral("--help"),
         ValueKind::None,
         {},
         QStringLiteral("this overview, or a command's options")},
        {QStringLiteral("-h"), ValueKind::None, {}, QStringLiteral("the same as --help")},
        {QStringLiteral("--version"), ValueKind::None, {}, QStringLiteral("print the version and exit")},
    };
    return options;
}

QString CommandLine::overview(const QList<Command> &commands)
{
    QString text =
        QStringLiteral("Usage: quorvanectl [-s SERIAL] [--adb PATH] [--scrcpy PATH] [--json] COMMAND [ARGS]\n"
                       "       quorvanectl help [COMMAND] | --help | --version\n\nCommands:\n");
    for (const Command &command : commands) {
        QString term = command.name;
        for (const PositionalRule &positional : command.positionals)
            term += positional.optional ? QStringLiteral(" [%1]").arg(positionalTerm(positional))
                                        : QLatin1Char(' ') + positionalTerm(positional);
        text += helpRow(term, command.summary);
    }
    text +=
        helpRow(QStringLiteral("help [COMMAND]"), QStringLiteral("this overview, or a command's options"));
    text += QStringLiteral("\nOptions for every command, anywhere on the line (--opt=value works too):\n");
    for (const OptionRule &option : globalOptions())
        text += helpRow(optionTerm(option, true), option.help);
    text += QStringLiteral("\nRun \"quorvanectl help COMMAND\" for a command's options and the values "
                           "they take.\n");
    return text;
}

QString CommandLine::manSections(const QList<Command> &commands)
{
    QString text = QStringLiteral(".SH OPTIONS\nThese options may stand anywhere on the command line; an "
                                  "option's value may follow it as the next word or after \\fB=\\fR.\n");
    for (const OptionRule &option : globalOptions())
        text += roffOption(option);
    text += QStringLiteral(".SH COMMANDS\n");
    for (const Command &command : commands) {
        QString term = QStringLiteral("\\fB%1\\fR").arg(roff(command.name));
        for (const PositionalRule &positional : command.positionals) {
            const QString word = positional.choices.isEmpty()
                                     ? QStringLiteral("\\fI%1\\fR").arg(roff(positional.name))
                                     : roff(positionalTerm(positional));
            term += positional.optional ? QStringLiteral(" [%1]").arg(word) : QLatin1Char(' ') + word;
        }
        text += QStringLiteral(".TP\n%1\n%2\n").arg(term, roff(sentence(command.summary)));
        if (std::all_of(command.positionals.cbegin(), command.positionals.cend(),
                        [](const PositionalRule &p) { return p.name == serialWord; }) &&
            command.options.isEmpty())
            continue;
        text += QStringLiteral(".RS\n");
        // How a phone is chosen is told once, in its own section.
        for (const PositionalRule &positional : command.positionals) {
            if (positional.name != serialWord)
                text += QStringLiteral(".TP\n\\fI%1\\fR\n%2\n")
                            .arg(roff(positionalTerm(positional)), roff(sentence(positional.help)));
        }
        for (const OptionRule &option : command.options)
            text += roffOption(option);
        if (command.trailing)
            text += QStringLiteral(".TP\n\\fB\\-\\-\\fR \\fI%1\\fR...\n%2\n")
                        .arg(roff(command.trailing->name), roff(sentence(command.trailing->help)));
        text += QStringLiteral(".RE\n");
    }
    return text;
}

void CommandLine::parse(const QStringList &words, const QList<Command> &commands)
{
    bool wantsHelp = false;
    bool helpCommand = false;
    bool version = false;
    bool manSection = false;
    QStringList positionals;
    bool optionsEnded = false;

    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words.at(i);
        const bool isOption =
            !optionsEnded && word.startsWith(QLatin1Char('-')) && word != QLatin1String("-");
        if (isOption && word == QLatin1String("--")) {
            if (command && command->trailing) {
                arguments.m_trailing = words.mid(i + 1);
                break;
            }
            optionsEnded = true;
            continue;
        }
        if (!isOption) {
            if (!command && !helpCommand && word == QLatin1String("help")) {
                helpCommand = true;
                continue;
            }
            if (command) {
                positionals.append(word);
                continue;
            }
            for (const Command &known : commands) {
                if (known.name == word)
                    command = known;
            }
            if (!command)
                throw UsageError(QStringLiteral("Unknown command: %1").arg(word));
            continue;
        }

        const qsizetype equals = word.startsWith(QLatin1String("--")) ? word.indexOf(QLatin1Char('=')) : -1;
        const QString name = equals < 0 ? word : word.left(equals);
        if (name == QLatin1String("--man-section")) {
            manSection = true;
            continue;
        }
        const OptionRule *rule = nullptr;
        for (const OptionRule &option : globalOptions()) {
            if (option.name == name)
                rule = &option;
        }
        if (!rule && command) {
            for (const OptionRule &option : command->options) {
                if (option.name == name)
                    rule = &option;
            }
        }
        if (!rule) {
            throw UsageError(command ? QStringLiteral("Unknown option for %1: %2").arg(command->name, name)
                                     : QStringLiteral("Unknown option: %1").arg(name));
        }
        std::optional<QString> value;
        if (equals >= 0)
            value = word.mid(equals + 1);
        if (rule->kind == ValueKind::None) {
            if (value)
                throw UsageError(QStringLiteral("%1 takes no value.").arg(name));
        } else if (!value && !rule->optionalValue) {
            if (i + 1 >= words.size())
                throw UsageError(QStringLiteral("%1 needs a value.").arg(name));
            value = words.at(++i);
        }

        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            wantsHelp = true;
        } else if (name == QLatin1String("--version")) {
            version = true;
        } else if (name == QLatin1String("--json")) {
            json = true;
        } else {
            const QString checked =
                value ? checkedValue(name, rule->kind, rule->choices, *value, rule) : QString();
            QStringList &given = arguments.m_options[name];
            if (!given.isEmpty() && !rule->repeatable && rule->kind != ValueKind::None &&
                given.constLast() != checked)
                throw UsageError(QStringLiteral("%1 is given twice.").arg(name));
            given.append(rule->kind == ValueKind::Path ? TextParsing::trimSpacesAndTabs(checked) : checked);
        }
    }

    adb = arguments.value(QStringLiteral("--adb"));
    scrcpy = arguments.value(QStringLiteral("--scrcpy"));
    if (manSection) {
        action = Action::ManSection;
        return;
    }
    if (version) {
        action = Action::Version;
        return;
    }
    if (wantsHelp || helpCommand) {
        if (helpCommand && command && !positionals.isEmpty())
            throw UsageError(QStringLiteral("Unexpected argument: %1").arg(positionals.first()));
        action = command ? Action::CommandHelp : Action::Overview;
        return;
    }
    if (!command)
        throw UsageError(QStringLiteral("Missing command."));

    const QList<PositionalRule> &rules = command->positionals;
    if (positionals.size() > rules.size())
        throw UsageError(QStringLiteral("Unexpected argument: %1").arg(positionals.at(rules.size())));
    for (qsizetype i = 0; i < rules.size(); ++i) {
        const PositionalRule &rule = rules.at(i);
        if (i >= positionals.size()) {
            if (!rule.optional)
                throw UsageError(QStringLiteral("Missing %1.").arg(rule.name));
            continue;
        }
        arguments.m_positionals.insert(
            rule.name, checkedValue(rule.name, rule.choices.isEmpty() ? ValueKind::Text : ValueKind::Choice,
                                    rule.choices, positionals.at(i)));
    }
    // "-s" names the phone of any command that works on one, as it does for adb.
    const bool takesSerial = std::any_of(rules.cbegin(), rules.cend(),
                                         [](const PositionalRule &s) { return s.name == serialWord; });
    const std::optional<QString> namedSerial = arguments.value(QStringLiteral("-s"));
    if (namedSerial && takesSerial) {
        const std::optional<QString> written = arguments.positional(serialWord);
        if (written && *written != *namedSerial)
            throw UsageError(
                QStringLiteral("Two phones named: -s %1 and %2; name one.").arg(*namedSerial, *written));
        arguments.m_positionals.insert(serialWord, *namedSerial);
    }
}

} // namespace quorvane::cli

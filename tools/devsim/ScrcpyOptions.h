#pragma once

#include <QHash>
#include <QStringList>

#include <optional>

namespace devsim {

// scrcpy's command line read the way its getopt_long loop reads it: long options with required,
// optional ("--new-display=1920x1080/240" only, never a separate word) or no argument, bundled short
// options, and the same complaints on standard error when something does not fit.
class ScrcpyOptions
{
public:
    // error holds scrcpy's own complaint (without a trailing line feed) when parsing failed.
    static ScrcpyOptions parse(const QString &program, const QStringList &arguments);

    std::optional<QString> error;
    // Long option name (without "--") to its value ("" for options without one); last one wins.
    QHash<QString, QString> values;

    bool has(const QString &name) const { return values.contains(name); }
    QString value(const QString &name) const { return values.value(name); }

private:
    std::optional<QString> validate() const;
};

} // namespace devsim

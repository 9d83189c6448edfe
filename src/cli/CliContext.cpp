#include "CliContext.h"

#include "SettingsJournal.h"

#include <QJsonDocument>
#include <QTextStream>

namespace quorvane::cli {

UsageError::UsageError(const QString &text)
    : std::runtime_error(text.toStdString())
{
}

ArgumentList::ArgumentList(QStringList words)
    : m_words(std::move(words))
{
}

bool ArgumentList::takeFlag(const QString &name)
{
    return m_words.removeAll(name) > 0;
}

std::optional<QString> ArgumentList::takeOption(const QString &name)
{
    const qsizetype index = m_words.indexOf(name);
    if (index < 0)
        return std::nullopt;
    if (index + 1 >= m_words.size())
        throw UsageError(QStringLiteral("%1 needs a value.").arg(name));
    const QString value = m_words.at(index + 1);
    m_words.remove(index, 2);
    return value;
}

std::optional<QString> ArgumentList::takeOptionalPositional()
{
    for (qsizetype i = 0; i < m_words.size(); ++i) {
        const QString &word = m_words.at(i);
        if (word == QLatin1String("-") || !word.startsWith(QLatin1Char('-')))
            return m_words.takeAt(i);
    }
    return std::nullopt;
}

QString ArgumentList::takePositional(const QString &what)
{
    if (auto word = takeOptionalPositional())
        return *word;
    throw UsageError(QStringLiteral("Missing %1.").arg(what));
}

void ArgumentList::expectEnd() const
{
    if (!m_words.isEmpty())
        throw UsageError(QStringLiteral("Unexpected argument: %1").arg(m_words.first()));
}

void CliContext::print(const QString &text) const
{
    QTextStream(stdout) << text << Qt::endl;
}

void CliContext::printJson(const QJsonObject &object) const
{
    QTextStream(stdout) << QJsonDocument(object).toJson(QJsonDocument::Indented);
}

void CliContext::printJson(const QJsonArray &array) const
{
    QTextStream(stdout) << QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QCoro::Task<void> putBackLeftoverSettings(ToolPaths paths, QString serial)
{
    QCoro::Task<std::optional<QString>> putting =
        SettingsJournal{}.putBackLeftovers(std::move(paths), serial);
    if (const std::optional<QString> message = co_await std::move(putting))
        QTextStream(stderr) << *message << Qt::endl;
}

} // namespace quorvane::cli

#include "ShellWords.h"

namespace devsim {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// Inside double quotes a backslash only escapes the characters that are special there.
bool escapableInDoubleQuotes(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('$') || c == QLatin1Char('`');
}

} // namespace

QStringList splitShellWords(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (isBlank(c)) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype stop = end < 0 ? line.size() : end;
            word += line.mid(i + 1, stop - i - 1);
            i = stop;
        } else if (c == QLatin1Char('"')) {
            for (++i; i < line.size() && line.at(i) != QLatin1Char('"'); ++i) {
                if (line.at(i) == QLatin1Char('\\') && i + 1 < line.size() &&
                    escapableInDoubleQuotes(line.at(i + 1)))
                    ++i;
                word += line.at(i);
            }
        } else if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            word += line.at(++i);
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

} // namespace devsim

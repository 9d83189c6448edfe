#include "OutputLines.h"

namespace quorvane {

QStringList OutputLines::take(const QByteArray &chunk)
{
    m_pending += chunk;
    const qsizetype end = m_pending.lastIndexOf('\n');
    if (end < 0)
        return {};
    const QStringList lines = split(m_pending.left(end));
    m_pending.remove(0, end + 1);
    return lines;
}

QStringList OutputLines::finish()
{
    const QStringList lines = split(m_pending);
    m_pending.clear();
    return lines;
}

// Bytes that are not UTF-8 become replacement characters: the rest of the line still tells what happened.
QStringList OutputLines::split(const QByteArray &bytes)
{
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = QString::fromUtf8(line.endsWith('\r') ? line.chopped(1) : line);
        if (!text.trimmed().isEmpty())
            lines.append(text);
    }
    return lines;
}

} // namespace quorvane

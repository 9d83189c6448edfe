#include "FilePushQueue.h"

#include "AppModel.h"

#include "MediaService.h"
#include "ProcessRunner.h"

#include <QDir>
#include <QFileInfo>

namespace quorvane::app {

namespace {

// The folder the push writes to, as the sentences name it (without the trailing separator).
const QString target = MediaService::pushTargetDirectory().chopped(1);

QString files(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
}

} // namespace

FilePushQueue::FilePushQueue(Reporter report, Announcer notify, QObject *parent)
    : QObject(parent)
    , m_report(std::move(report))
    , m_notify(std::move(notify))
{
}

FilePushQueue::~FilePushQueue()
{
    *m_alive = false;
}

QCoro::Task<void> FilePushQueue::push(QString adb, QString serial, QStringList localPaths)
{
    const bool joining = m_running;
    if (!joining)
        startRun();
    for (const QString &path : localPaths)
        m_waiting.append({adb, serial, path});
    m_total += static_cast<int>(localPaths.size());
    emit changed();
    if (joining)
        co_return;
    const auto alive = m_alive;
    while (!m_waiting.isEmpty()) {
        const Entry entry = m_waiting.takeFirst();
        // A dropped folder may come with a trailing separator, which would leave the name empty.
        m_current = QFileInfo(QDir::cleanPath(entry.path)).fileName();
        emit changed();
        m_report(progress(), MessageTone::Progress);
        QCoro::Task<std::optional<QString>> sending = send(entry);
        const std::optional<QString> failure = co_await std::move(sending);
        if (!*alive)
            co_return;
        if (failure)
            m_failures.append({m_current, *failure});
        else
            ++m_sent;
    }
    finish();
}

void FilePushQueue::cancel()
{
    if (m_waiting.isEmpty())
        return;
    m_cancelled += static_cast<int>(m_waiting.size());
    m_waiting.clear();
    emit changed();
    m_report(QStringLiteral("Cancelled %1 still waiting; %2 is on its way and finishes first…")
                 .arg(files(m_cancelled), m_current),
             MessageTone::Progress);
}

QCoro::Task<std::optional<QString>> FilePushQueue::send(Entry entry)
{
    QCoro::Task<std::optional<QString>> checking = MediaService::pushRefusal(entry.path);
    std::optional<QString> refusal = co_await std::move(checking);
    if (refusal)
        co_return refusal;
    const QStringList arguments{QStringLiteral("-s"), entry.serial, QStringLiteral("push"), entry.path,
                                MediaService::pushTargetDirectory()};
    std::optional<QString> failure;
    try {
        QCoro::Task<QString> pushing = ProcessRunner::output(entry.adb, arguments);
        co_await std::move(pushing);
    } catch (const std::exception &error) {
        failure = QStringLiteral("Failed: ") + AppModel::errorText(error);
    }
    co_return failure;
}

void FilePushQueue::startRun()
{
    m_total = 0;
    m_sent = 0;
    m_cancelled = 0;
    m_failures.clear();
    m_running = true;
}

QString FilePushQueue::progress() const
{
    if (m_total == 1)
        return QStringLiteral("Pushing %1…").arg(m_current);
    const int position = m_sent + static_cast<int>(m_failures.size()) + 1;
    return QStringLiteral("Pushing %1 (%2 of %3)…").arg(m_current).arg(position).arg(m_total);
}

// One line for the whole run: what was sent, what was cancelled and why any file was not sent.
void FilePushQueue::finish()
{
    m_running = false;
    emit changed();
    const bool allSent = m_sent == m_total;
    if (m_total == 1) {
        const QString sentence =
            allSent ? QStringLiteral("Sent %1 to %2.").arg(m_current, target) : m_failures.first().sentence;
        m_report(sentence, allSent ? MessageTone::Success : MessageTone::Failure);
        m_notify(allSent ? QStringLiteral("File sent") : QStringLiteral("File push failed"), sentence);
        return;
    }
    QString sentence =
        m_cancelled > 0
            ? QStringLiteral("Cancelled: sent %1 of %2 to %3; %4 not pushed.")
                  .arg(QString::number(m_sent), files(m_total), target, QString::number(m_total - m_sent))
        : allSent
            ? QStringLiteral("Sent %1 to %2.").arg(files(m_total), target)
            : QStringLiteral("Sent %1 of %2 to %3.").arg(QString::number(m_sent), files(m_total), target);
    for (const Failure &failure : m_failures)
        sentence += QStringLiteral(" %1: %2").arg(failure.name, failure.sentence);
    m_report(sentence, allSent ? MessageTone::Success : MessageTone::Failure);
    // Whoever cancelled is at the window already.
    if (m_cancelled == 0)
        m_notify(allSent ? QStringLiteral("Files sent") : QStringLiteral("File push failed"), sentence);
}

} // namespace quorvane::app

#pragma once

#include "MessageTone.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <functional>
#include <memory>
#include <optional>

namespace quorvane::app {

// Files handed over together (a drop of several) go to the phone one after another, and files handed over
// while a run is under way join it. Cancel pushes none of the files still waiting; the one on its way
// finishes, since a push cut short would leave half a file on the phone, and the last line says which files
// were sent and which were not.
class FilePushQueue final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FilePushQueue)

public:
    using Reporter = std::function<void(const QString &message, MessageTone tone)>;
    using Announcer = std::function<void(const QString &title, const QString &message)>;

    FilePushQueue(Reporter report, Announcer notify, QObject *parent = nullptr);
    ~FilePushQueue() override;

    // The call that starts a run returns when the run ends; one that joins a running run returns at once.
    QCoro::Task<void> push(QString adb, QString serial, QStringList localPaths);
    void cancel();
    bool running() const { return m_running; }
    // Files handed over and not yet started: what Cancel would leave on this computer.
    int waiting() const { return static_cast<int>(m_waiting.size()); }

signals:
    // The run started or ended, or the files waiting changed.
    void changed();

private:
    struct Entry
    {
        QString adb;
        QString serial;
        QString path;
    };
    struct Failure
    {
        QString name;
        QString sentence;
    };

    // The sentence that says why the file was not sent, or nothing when it was.
    static QCoro::Task<std::optional<QString>> send(Entry entry);
    void startRun();
    QString progress() const;
    void finish();

    Reporter m_report;
    Announcer m_notify;
    QList<Entry> m_waiting;
    QString m_current;
    QList<Failure> m_failures;
    int m_total = 0;
    int m_sent = 0;
    int m_cancelled = 0;
    bool m_running = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace quorvane::app

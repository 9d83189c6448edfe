#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvane::cli {

// Turns Ctrl+C and SIGTERM into a flag the event loop can poll, so a running session is stopped cleanly
// (phone settings restored) instead of the process dying under it. One instance at a time.
class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool requested() const { return m_requested; }

private:
    QSocketNotifier *m_notifier = nullptr;
    bool m_requested = false;
};

} // namespace quorvane::cli

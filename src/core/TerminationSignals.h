#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvane {

// Turns Ctrl+C, SIGTERM and SIGHUP (the terminal closing) into a flag and a signal on the event loop, so
// running sessions are stopped cleanly (phone settings restored) instead of the process dying under them. One
// instance at a time.
class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool requested() const { return m_signal != 0; }
    // The first of the signals that arrived (SIGINT, SIGTERM or SIGHUP); 0 while none has.
    int signalNumber() const { return m_signal; }

signals:
    // Each time one of the signals arrives.
    void received();

private:
    QSocketNotifier *m_notifier = nullptr;
    int m_signal = 0;
};

} // namespace quorvane

#pragma once

#include <QObject>
#include <QString>

#include <QCoroTask>

#include <functional>
#include <optional>

class QWidget;

namespace quorvane::app {

class AppModel;

// A screen's on-show work that depends on the inspected phone (a recommendation, a probe). Every device
// inspection that lands clears those results, so that the previous phone's are never shown for the new
// one; when that happens while the screen is shown, the work runs again, unless the screen's own run for
// that phone is still under way (its result will be the fresh one).
class OnShowWork final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OnShowWork)

public:
    using Work = std::function<QCoro::Task<void>()>;

    // missing tells whether the result the work brings is absent; resultChanged is its change signal.
    OnShowWork(QWidget *screen, AppModel *model, void (AppModel::*resultChanged)(),
               std::function<bool()> missing, Work work);

    // Runs the work now; the screen calls it from its show event.
    void run();

private:
    QCoro::Task<void> track();
    void runAgainIfMissing();

    QWidget *m_screen;
    AppModel *m_model;
    std::function<bool()> m_missing;
    Work m_work;
    // The serial the latest run was started for, while that run is under way.
    std::optional<QString> m_runningFor;
    quint64 m_runs = 0;
};

} // namespace quorvane::app

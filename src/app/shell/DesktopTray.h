#pragma once

#include "Notifier.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QAction;

namespace quorvane::app {

class AppModel;

// Quorvane in the system tray, where the desktop has one and the user wants it: the running sessions,
// Stop All, Show Quorvane and Quit, and the bubbles that tell of what happened while the main window was
// not the active one. Without a tray nothing is shown and nothing is told.
class DesktopTray final : public QObject, public Notifier
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopTray)

public:
    using Presenter = std::function<void(const QString &title, const QString &message)>;

    DesktopTray(AppModel *model, QWidget *window,
                bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable(), QObject *parent = nullptr);

    void notify(const QString &title, const QString &message) override;

    bool isShown() const { return m_shown; }
    QMenu *menu() { return &m_menu; }
    // Tests see the bubbles here instead of on a tray the test display lacks.
    void setPresenter(Presenter presenter) { m_present = std::move(presenter); }

signals:
    void showRequested();
    void quitRequested();

private:
    void refreshShown();
    void refreshSessions();

    AppModel *m_model;
    QWidget *m_window;
    bool m_available;
    bool m_shown = false;
    QSystemTrayIcon m_icon;
    QMenu m_menu;
    QAction *m_sessionsEnd;
    QAction *m_stopAll;
    QList<QAction *> m_sessionRows;
    Presenter m_present;
};

} // namespace quorvane::app

#include "DesktopTray.h"

#include "AppModel.h"
#include "Theme.h"

#include <QWidget>

#include <algorithm>

namespace quorvane::app {

DesktopTray::DesktopTray(AppModel *model, QWidget *window, bool trayAvailable, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_window(window)
    , m_available(trayAvailable)
    , m_icon(Theme::applicationIcon())
{
    m_menu.setObjectName(QStringLiteral("trayMenu"));
    m_icon.setToolTip(QStringLiteral("Quorvane"));
    m_sessionsEnd = m_menu.addSeparator();
    m_stopAll = m_menu.addAction(QStringLiteral("Stop All"), m_model, [this] { m_model->stopAllSessions(); });
    m_stopAll->setObjectName(QStringLiteral("trayStopAll"));
    QAction *show = m_menu.addAction(QStringLiteral("Show Quorvane"), this, &DesktopTray::showRequested);
    show->setObjectName(QStringLiteral("trayShow"));
    m_menu.addSeparator();
    QAction *quit = m_menu.addAction(QStringLiteral("Quit"), this, &DesktopTray::quitRequested);
    quit->setObjectName(QStringLiteral("trayQuit"));
    m_icon.setContextMenu(&m_menu);
    m_present = [this](const QString &title, const QString &message) {
        m_icon.showMessage(title, message, QSystemTrayIcon::Information);
    };
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit showRequested();
    });
    connect(model, &AppModel::showTrayIconChanged, this, &DesktopTray::refreshShown);
    connect(model, &AppModel::activeSessionSerialsChanged, this, &DesktopTray::refreshSessions);
    connect(model, &AppModel::devicesChanged, this, &DesktopTray::refreshSessions);
    refreshSessions();
    refreshShown();
}

// The user looking at the main window sees the news there already.
void DesktopTray::notify(const QString &title, const QString &message)
{
    if (m_shown && !m_window->isActiveWindow())
        m_present(title, message);
}

void DesktopTray::refreshShown()
{
    m_shown = m_available && m_model->showTrayIcon();
    m_icon.setVisible(m_shown);
}

void DesktopTray::refreshSessions()
{
    qDeleteAll(m_sessionRows);
    m_sessionRows.clear();
    QStringList names;
    for (const QString &serial : m_model->activeSessionSerials()) {
        const auto &devices = m_model->devices();
        const auto it = std::find_if(devices.cbegin(), devices.cend(),
                                     [&serial](const DeviceInfo &device) { return device.serial == serial; });
        names.append(it != devices.cend() ? it->displayName() : serial);
    }
    names.sort();
    if (names.isEmpty())
        names.append(QString());
    for (const QString &name : std::as_const(names)) {
        auto *row = new QAction(name.isEmpty() ? QStringLiteral("No running sessions")
                                               : QStringLiteral("Session running on ") + name,
                                &m_menu);
        row->setEnabled(false);
        m_menu.insertAction(m_sessionsEnd, row);
        m_sessionRows.append(row);
    }
    m_stopAll->setEnabled(!m_model->activeSessionSerials().isEmpty());
}

} // namespace quorvane::app

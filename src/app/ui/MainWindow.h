#pragma once

#include "SidebarMode.h"

#include <QMainWindow>
#include <QMap>

class QAction;
class QSplitter;
class QStackedWidget;
class QToolButton;

namespace quorvane::app {

class AppModel;
class OnboardingSheet;
class SessionBar;
class SessionTerminal;

// The root window: the sidebar of modes, the selected mode's screen under the session bar, the device
// footer, and the session terminal behind its floating button. Closing it asks the application to quit.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(AppModel *model, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Puts a mode's screen in the detail area in place of what was there.
    void setScreen(SidebarMode mode, QWidget *screen);
    QWidget *screen(SidebarMode mode) const { return m_screens.value(mode); }
    OnboardingSheet *onboardingSheet() const { return m_onboarding; }
    void setTerminalShown(bool shown);

signals:
    void quitRequested();
    void settingsRequested();
    void aboutRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildDetail();
    void buildMenus();
    void showSelectedScreen();
    void showOnboardingIfWanted();
    void placeTerminalButton();
    void restoreLayout();
    static void placeInTabOrderAfter(QWidget *anchor, QWidget *screen);
    void saveLayout() const;
    void saveSplit() const;
    void restoreSplit();
    void keepClearOfTerminalButton(QWidget *screen);

    AppModel *m_model;
    QStackedWidget *m_stack;
    QSplitter *m_split = nullptr;
    QMap<SidebarMode, QWidget *> m_screens;
    QWidget *m_detail = nullptr;
    SessionBar *m_sessionBar = nullptr;
    QToolButton *m_terminalButton = nullptr;
    SessionTerminal *m_terminal = nullptr;
    OnboardingSheet *m_onboarding = nullptr;
    QAction *m_startSession = nullptr;
    bool m_started = false;
};

} // namespace quorvane::app

#include "MainWindow.h"

#include "AppModel.h"
#include "Footer.h"
#include "OnboardingSheet.h"
#include "SessionBar.h"
#include "SessionTerminal.h"
#include "Sidebar.h"
#include "Theme.h"
#include "UserDefaults.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

QFrame *separatorLine(QFrame::Shape shape, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(shape);
    Theme::follow(
        line, [line] { line->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::separator().name())); });
    return line;
}

// Until a mode has its own screen, the detail area names the mode.
QWidget *titleScreen(SidebarMode mode, QWidget *parent)
{
    const ModeAppearance look = appearance(mode);
    auto *label = new QLabel(look.title + QStringLiteral("\n") + look.subtitle, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(Theme::titleFont());
    return label;
}

} // namespace

MainWindow::MainWindow(AppModel *model, QWidget *parent)
    : QMainWindow(parent)
    , m_model(model)
    , m_stack(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setMinimumSize(980, 640);
    resize(1100, 720);
    m_stack->setObjectName(QStringLiteral("detailStack"));
    for (const SidebarMode mode : allSidebarModes())
        setScreen(mode, titleScreen(mode, m_stack));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(new Sidebar(model, central));
    body->addWidget(separatorLine(QFrame::VLine, central));
    body->addWidget(buildDetail(), 1);
    layout->addLayout(body, 1);
    layout->addWidget(separatorLine(QFrame::HLine, central));
    layout->addWidget(new Footer(model, central));
    setCentralWidget(central);

    m_onboarding = new OnboardingSheet(model, this);
    m_onboarding->setWindowModality(Qt::WindowModal);
    buildMenus();
    connect(model, &AppModel::selectedModeChanged, this, &MainWindow::showSelectedScreen);
    connect(model, &AppModel::showOnboardingChanged, this, &MainWindow::showOnboardingIfWanted);
    // A tool installed while the application was in the background is found when it comes back.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (m_started && state == Qt::ApplicationActive)
            m_model->refreshRuntimeStatus();
    });
    showSelectedScreen();
    restoreLayout();
}

MainWindow::~MainWindow()
{
    saveLayout();
}

void MainWindow::setScreen(SidebarMode mode, QWidget *screen)
{
    if (QWidget *old = m_screens.value(mode)) {
        m_stack->removeWidget(old);
        old->deleteLater();
    }
    m_screens.insert(mode, screen);
    m_stack->addWidget(screen);
    if (m_sessionBar)
        placeInTabOrderAfter(m_sessionBar, screen);
    keepClearOfTerminalButton(screen);
    showSelectedScreen();
}

// A screen made after the window would come last for Tab, after the footer. Qt moves only the widget it is
// given, not its children, and ignores widgets that take no focus, so the screen's focusable widgets are
// moved one at a time behind the last focusable one of the anchor.
void MainWindow::placeInTabOrderAfter(QWidget *anchor, QWidget *screen)
{
    const auto focusableIn = [](QWidget *root) {
        QList<QWidget *> found;
        for (QWidget *next = root->nextInFocusChain(); root->isAncestorOf(next);
             next = next->nextInFocusChain()) {
            if (next->focusPolicy() & Qt::TabFocus)
                found.append(next);
        }
        return found;
    };
    const QList<QWidget *> anchors = focusableIn(anchor);
    if (anchors.isEmpty())
        return;
    QWidget *previous = anchors.last();
    for (QWidget *widget : focusableIn(screen)) {
        // Qt 6.4 ties a widget to itself when asked to move it where it already is.
        if (previous->nextInFocusChain() != widget)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

// The terminal button floats over the bottom of the screens: each scrolling page ends in a margin at least
// as tall as the button and its gap, so that its last control can always be scrolled out from under it.
void MainWindow::keepClearOfTerminalButton(QWidget *screen)
{
    if (!m_terminalButton)
        return;
    const int room = m_terminalButton->sizeHint().height() + 2 * Theme::spacingL;
    for (QScrollArea *scroll : screen->findChildren<QScrollArea *>()) {
        if (QLayout *column = scroll->widget() ? scroll->widget()->layout() : nullptr) {
            QMargins margins = column->contentsMargins();
            margins.setBottom(std::max(margins.bottom(), room));
            column->setContentsMargins(margins);
        }
    }
}

void MainWindow::setTerminalShown(bool shown)
{
    if (!shown)
        saveSplit();
    m_terminal->setVisible(shown);
    m_terminalButton->setChecked(shown);
    if (shown)
        restoreSplit();
}

// Hidden, the terminal has no share of the splitter: only a shown one's widths are worth keeping.
void MainWindow::saveSplit() const
{
    const QList<int> sizes = m_split->sizes();
    if (m_terminal->isHidden() || sizes.size() != 2 || sizes.contains(0))
        return;
    UserDefaults::setValue(UserDefaults::windowSplitterKey,
                           QStringLiteral("%1,%2").arg(sizes.first()).arg(sizes.last()));
}

void MainWindow::restoreSplit()
{
    const QStringList widths = UserDefaults::value(UserDefaults::windowSplitterKey).toString().split(u',');
    QList<int> sizes;
    for (const QString &width : widths) {
        bool number = false;
        const int value = width.toInt(&number);
        if (number && value > 0)
            sizes.append(value);
    }
    if (sizes.size() == 2)
        m_split->setSizes(sizes);
}

QWidget *MainWindow::buildDetail()
{
    m_detail = new QWidget(this);
    auto *layout = new QVBoxLayout(m_detail);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_sessionBar = new SessionBar(m_model, m_detail);
    layout->addWidget(m_sessionBar);
    layout->addWidget(separatorLine(QFrame::HLine, m_detail));
    m_split = new QSplitter(Qt::Horizontal, m_detail);
    m_split->setObjectName(QStringLiteral("detailSplitter"));
    // A terminal dragged to nothing could not be found again behind its button.
    m_split->setChildrenCollapsible(false);
    m_split->addWidget(m_stack);
    m_terminal = new SessionTerminal(m_model, m_split);
    m_terminal->hide();
    m_split->addWidget(m_terminal);
    m_split->setStretchFactor(0, 1);
    layout->addWidget(m_split, 1);

    m_terminalButton = new QToolButton(m_detail);
    m_terminalButton->setObjectName(QStringLiteral("sessionTerminalButton"));
    m_terminalButton->setText(QStringLiteral("Session terminal"));
    m_terminalButton->setToolTip(QStringLiteral("Show the running scrcpy command and output"));
    Theme::setIcon(m_terminalButton, QStringLiteral("terminal"), Tone::Accent);
    m_terminalButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_terminalButton->setCheckable(true);
    QToolButton *button = m_terminalButton;
    Theme::follow(button, [button] {
        button->setStyleSheet(QStringLiteral("QToolButton { padding: 6px 12px; border-radius: 14px; "
                                             "background: %1; border: 1px solid %2; }")
                                  .arg(Theme::cardBackground().name(), Theme::separator().name()));
    });
    connect(m_terminalButton, &QToolButton::toggled, this, &MainWindow::setTerminalShown);
    m_detail->installEventFilter(this);
    return m_detail;
}

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *settings = file->addAction(QStringLiteral("Settings…"), this, &MainWindow::settingsRequested);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    file->addSeparator();
    QAction *quit = file->addAction(QStringLiteral("Quit"), this, &MainWindow::quitRequested);
    quit->setShortcut(QKeySequence::Quit);

    QMenu *session = menuBar()->addMenu(QStringLiteral("&Session"));
    QAction *refresh =
        session->addAction(QStringLiteral("Refresh Devices"), this, [this] { m_model->refreshDevices(); });
    refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    session->addSeparator();
    m_startSession =
        session->addAction(QStringLiteral("Start Session"), this, [this] { m_model->launchCurrentMode(); });
    m_startSession->setObjectName(QStringLiteral("startSessionAction"));
    m_startSession->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    m_startSession->setEnabled(m_model->canLaunch());
    connect(m_model, &AppModel::canLaunchChanged, this,
            [this] { m_startSession->setEnabled(m_model->canLaunch()); });
    QAction *stop =
        session->addAction(QStringLiteral("Stop Session"), this, [this] { m_model->stopSession(); });
    stop->setObjectName(QStringLiteral("stopSessionAction"));
    stop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Period));
    // Something must be running, starting or coming back for Stop to have anything to end.
    const auto stoppable = [this, stop] {
        stop->setEnabled(m_model->sessionActive() || m_model->launching() || m_model->reconnecting());
    };
    for (auto signal :
         {&AppModel::sessionActiveChanged, &AppModel::launchingChanged, &AppModel::reconnectingChanged})
        connect(m_model, signal, stop, stoppable);
    stoppable();

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    const QList<SidebarMode> &modes = allSidebarModes();
    for (qsizetype index = 0; index < modes.size(); ++index) {
        const SidebarMode mode = modes.at(index);
        QAction *action =
            view->addAction(title(mode), this, [this, mode] { m_model->setSelectedMode(mode); });
        action->setObjectName(QStringLiteral("modeAction_%1").arg(index + 1));
        action->setShortcut(QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(Qt::Key_1 + index)));
    }

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("About Quorvane"), this, &MainWindow::aboutRequested);
    QAction *setup =
        help->addAction(QStringLiteral("Show setup again"), m_model, &AppModel::showOnboardingAgain);
    setup->setObjectName(QStringLiteral("showSetupAgainAction"));
}

void MainWindow::showSelectedScreen()
{
    if (QWidget *screen = m_screens.value(m_model->selectedMode()))
        m_stack->setCurrentWidget(screen);
}

void MainWindow::showOnboardingIfWanted()
{
    m_onboarding->setVisible(m_model->showOnboarding());
}

void MainWindow::placeTerminalButton()
{
    const QSize size = m_terminalButton->sizeHint();
    const int right = m_terminal->isVisible() ? m_terminal->x() : m_detail->width();
    m_terminalButton->setGeometry(right - size.width() - Theme::spacingL,
                                  m_detail->height() - size.height() - Theme::spacingL, size.width(),
                                  size.height());
    m_terminalButton->raise();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_detail && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        placeTerminalButton();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::restoreLayout()
{
    restoreGeometry(UserDefaults::value(UserDefaults::windowGeometryKey).toByteArray());
}

void MainWindow::saveLayout() const
{
    UserDefaults::setValue(UserDefaults::windowGeometryKey, saveGeometry());
    saveSplit();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    placeTerminalButton();
    if (m_started)
        return;
    m_started = true;
    m_model->start();
}

// The main window may always close; closing it means quitting the application.
void MainWindow::closeEvent(QCloseEvent *event)
{
    saveLayout();
    event->accept();
    emit quitRequested();
}

} // namespace quorvane::app

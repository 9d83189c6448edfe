#include "SettingsWindow.h"

#include "AppModel.h"
#include "AppPaths.h"
#include "ConfirmationPrompt.h"
#include "Theme.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setFont(Theme::captionFont());
    Theme::setTextTone(label, Tone::Neutral);
    return label;
}

} // namespace

SettingsWindow::SettingsWindow(AppModel *model, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_model(model)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(580, 680);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Theme::spacingXL, Theme::spacingXL, Theme::spacingXL, Theme::spacingXL);
    layout->setSpacing(Theme::spacingL);
    layout->addWidget(runtimeGroup());
    layout->addWidget(mediaGroup());
    layout->addWidget(windowsGroup());
    layout->addWidget(trayGroup());
    layout->addWidget(versionsGroup());
    layout->addStretch();
    for (auto signal : {&AppModel::customADBPathChanged, &AppModel::customScrcpyPathChanged,
                        &AppModel::mediaRootOverrideChanged, &AppModel::runtimeChanged,
                        &AppModel::mirrorThroughXWaylandChanged, &AppModel::showTrayIconChanged})
        connect(model, signal, this, &SettingsWindow::refresh);
    refresh();
}

QLineEdit *SettingsWindow::pathRow(QGridLayout *grid, int row, const QString &title,
                                   const QString &placeholder, std::function<void(const QString &)> write,
                                   QLabel **mark)
{
    QWidget *parent = grid->parentWidget();
    auto *field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    auto *browse = new QPushButton(QStringLiteral("Browse…"), parent);
    browse->setObjectName(QStringLiteral("browse") + title);
    auto *reset = new QPushButton(QStringLiteral("Reset"), parent);
    reset->setObjectName(QStringLiteral("reset") + title);
    reset->setToolTip(QStringLiteral("Use the detected default"));
    *mark = new QLabel(parent);
    (*mark)->setWordWrap(true);
    (*mark)->setTextFormat(Qt::PlainText);
    (*mark)->setFont(Theme::captionFont());
    Theme::setTextTone(*mark, Tone::Danger);
    (*mark)->hide();
    connect(field, &QLineEdit::textEdited, this, [this, write](const QString &text) {
        write(text);
        m_model->refreshRuntimeStatus();
    });
    connect(reset, &QPushButton::clicked, field, [field] {
        field->clear();
        emit field->textEdited(QString());
    });
    connect(browse, &QPushButton::clicked, field, [this, field, title] {
        // Start beside the path already set, so a second look lands where the first one ended.
        const QString current = field->text().trimmed();
        const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
        QPointer<QLineEdit> guard(field);
        ConfirmationPrompt::chooseFile(this, QStringLiteral("Choose %1").arg(title), start,
                                       [guard](const std::optional<QString> &path) {
                                           if (!guard || !path)
                                               return;
                                           guard->setText(*path);
                                           emit guard->textEdited(*path);
                                       });
    });
    grid->addWidget(new QLabel(title, parent), row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(browse, row, 2);
    grid->addWidget(reset, row, 3);
    grid->addWidget(*mark, row + 1, 1, 1, 3);
    return field;
}

QWidget *SettingsWindow::runtimeGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Runtime locations"), this);
    auto *grid = new QGridLayout(group);
    m_adb = pathRow(
        grid, 0, QStringLiteral("ADB"), QStringLiteral("/usr/bin/adb"),
        [this](const QString &path) { m_model->setCustomADBPath(path); }, &m_adbMark);
    m_adb->setObjectName(QStringLiteral("adbPathField"));
    m_adbMark->setObjectName(QStringLiteral("adbPathMark"));
    m_scrcpy = pathRow(
        grid, 2, QStringLiteral("scrcpy"), QStringLiteral("/usr/bin/scrcpy"),
        [this](const QString &path) { m_model->setCustomScrcpyPath(path); }, &m_scrcpyMark);
    m_scrcpy->setObjectName(QStringLiteral("scrcpyPathField"));
    m_scrcpyMark->setObjectName(QStringLiteral("scrcpyPathMark"));
    // "Built-in" is only true of a copy that really carries the tools; a source build or a distribution
    // package searches the system instead.
    auto *note = caption(AppModel::runtimeBundled()
                             ? QStringLiteral("Leave blank to use the built-in runtime. Overrides are used "
                                              "before the default search order.")
                             : QStringLiteral("Leave blank and Quorvane looks in the usual install folders "
                                              "and on PATH. A path set here is used first."),
                         group);
    note->setObjectName(QStringLiteral("runtimeCaption"));
    grid->addWidget(note, 4, 0, 1, 4);
    return group;
}

QWidget *SettingsWindow::mediaGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Media"), this);
    auto *grid = new QGridLayout(group);
    m_mediaRoot = new QLineEdit(group);
    m_mediaRoot->setObjectName(QStringLiteral("mediaRootField"));
    // The folder the application really uses by default, which is not ~/Movies everywhere.
    const QString movies = AppPaths::moviesFolderForDisplay();
    m_mediaRoot->setPlaceholderText(movies);
    grid->addWidget(new QLabel(QStringLiteral("Custom media root"), group), 0, 0);
    grid->addWidget(m_mediaRoot, 0, 1, 1, 3);
    grid->addWidget(
        caption(QStringLiteral("Recordings go to <media root>/Recordings/<date>/ and screenshots to "
                               "<media root>/Screenshots/. Default: %1/Quorvane/.")
                    .arg(movies),
                group),
        1, 0, 1, 4);
    auto *media = new QPushButton(QStringLiteral("Open Media Folder"), group);
    auto *recordings = new QPushButton(QStringLiteral("Open Recordings"), group);
    grid->addWidget(media, 2, 1);
    grid->addWidget(recordings, 2, 2, 1, 2);
    connect(m_mediaRoot, &QLineEdit::textEdited, m_model, &AppModel::setMediaRootOverride);
    connect(media, &QPushButton::clicked, m_model, &AppModel::openMediaFolder);
    connect(recordings, &QPushButton::clicked, m_model, &AppModel::openRecordingsFolder);
    return group;
}

QWidget *SettingsWindow::windowsGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Mirror windows"), this);
    auto *layout = new QVBoxLayout(group);
    m_xwayland = new QCheckBox(HostDesktop::xwaylandOption, group);
    m_xwayland->setObjectName(QStringLiteral("xwaylandCheckBox"));
    layout->addWidget(m_xwayland);
    layout->addWidget(
        caption(QStringLiteral("On Wayland, keyboard shortcuts such as Fullscreen and Screen Off "
                               "reach only an X11 window. New sessions start scrcpy with "
                               "%1=%2, which XWayland shows.")
                    .arg(HostDesktop::xwaylandVariable, HostDesktop::xwaylandValue),
                group));
    connect(m_xwayland, &QCheckBox::toggled, m_model, &AppModel::setMirrorThroughXWayland);
    return group;
}

QWidget *SettingsWindow::trayGroup()
{
    auto *group = new QGroupBox(QStringLiteral("System tray"), this);
    auto *layout = new QVBoxLayout(group);
    m_tray = new QCheckBox(QStringLiteral("Show Quorvane in the system tray"), group);
    m_tray->setObjectName(QStringLiteral("trayCheckBox"));
    layout->addWidget(m_tray);
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    m_tray->setEnabled(available);
    layout->addWidget(caption(available ? QStringLiteral("Running sessions, Stop All and Quit from the tray, "
                                                         "and a notification when a session ends, a "
                                                         "reconnect gives up or a push or recording "
                                                         "finishes while Quorvane is in the background.")
                                        : QStringLiteral("This desktop has no system tray, so Quorvane shows "
                                                         "no tray icon and no notifications."),
                              group));
    // Only the user's click writes: the box shown unchecked on a desktop without a tray changes nothing.
    connect(m_tray, &QCheckBox::clicked, m_model, &AppModel::setShowTrayIcon);
    return group;
}

QWidget *SettingsWindow::versionsGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Current versions"), this);
    auto *grid = new QGridLayout(group);
    m_adbVersion = new QLabel(group);
    m_adbVersion->setTextFormat(Qt::PlainText);
    m_adbVersion->setObjectName(QStringLiteral("adbVersion"));
    m_scrcpyVersion = new QLabel(group);
    m_scrcpyVersion->setTextFormat(Qt::PlainText);
    m_scrcpyVersion->setObjectName(QStringLiteral("scrcpyVersion"));
    grid->addWidget(new QLabel(QStringLiteral("ADB"), group), 0, 0);
    grid->addWidget(m_adbVersion, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("scrcpy"), group), 1, 0);
    grid->addWidget(m_scrcpyVersion, 1, 1);
    grid->setColumnStretch(1, 1);
    return group;
}

void SettingsWindow::refresh()
{
    // Only fields that differ are rewritten, so typing keeps its cursor.
    for (const auto &[field, value] :
         {std::pair{m_adb, m_model->customADBPath()}, std::pair{m_scrcpy, m_model->customScrcpyPath()},
          std::pair{m_mediaRoot, m_model->mediaRootOverride()}}) {
        if (field->text() != value)
            field->setText(value);
    }
    for (const auto &[mark, typed] : {std::pair{m_adbMark, m_model->customADBPath()},
                                      std::pair{m_scrcpyMark, m_model->customScrcpyPath()}}) {
        const QString problem = AppModel::toolPathProblem(typed);
        mark->setText(problem);
        mark->setVisible(!problem.isEmpty());
    }
    m_xwayland->setChecked(m_model->mirrorThroughXWayland());
    m_tray->setChecked(m_tray->isEnabled() && m_model->showTrayIcon());
    const RuntimeStatus &runtime = m_model->runtime();
    m_adbVersion->setText(runtime.adbVersion.value_or(QStringLiteral("not found")));
    m_scrcpyVersion->setText(runtime.scrcpyVersion.value_or(QStringLiteral("not found")));
}

} // namespace quorvane::app

#include "SessionTerminal.h"

#include "AppModel.h"
#include "ConfirmationPrompt.h"
#include "SafeFile.h"
#include "Theme.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

QLabel *wrappedLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

} // namespace

SessionTerminal::SessionTerminal(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_sessionLine(wrappedLabel(QStringLiteral("terminalSessionLine"), this))
    , m_pendingLine(wrappedLabel(QStringLiteral("terminalPendingLine"), this))
    , m_command(wrappedLabel(QStringLiteral("terminalCommand"), this))
    , m_liveControls(new QWidget(this))
    , m_outputHeader(new QLabel(this))
    , m_log(new QPlainTextEdit(this))
    , m_emptyLog(wrappedLabel(QStringLiteral("terminalEmptyLog"), this))
    , m_saveStatus(wrappedLabel(QStringLiteral("terminalSaveStatus"), this))
{
    setObjectName(QStringLiteral("sessionTerminal"));
    setMinimumWidth(340);
    auto *title = new QLabel(QStringLiteral("Session terminal"), this);
    title->setFont(Theme::titleFont());
    Theme::setTextTone(m_pendingLine, Tone::Warning);
    m_command->setFont(Theme::monospaceFont());
    m_command->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_liveControls->setObjectName(QStringLiteral("terminalLiveControls"));
    m_outputHeader->setObjectName(QStringLiteral("terminalOutputHeader"));
    m_outputHeader->setFont(Theme::headlineFont());
    m_log->setObjectName(QStringLiteral("terminalLog"));
    m_log->setFont(Theme::monospaceFont());
    m_log->setReadOnly(true);
    // An undo history of a log would keep every line ever shown.
    m_log->setUndoRedoEnabled(false);
    m_log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // The document drops its oldest line itself and keeps the view on the line being read.
    m_log->setMaximumBlockCount(AppModel::logsKeepAtLeast);
    m_log->setPlainText(model->logLines().join(QLatin1Char('\n')));
    m_log->moveCursor(QTextCursor::End);
    m_saveStatus->hide();
    Theme::follow(m_saveStatus, [this] { restyleSaveStatus(); });
    m_emptyLog->setText(QStringLiteral("No output yet — scrcpy's stdout/stderr will appear here."));
    Theme::setTextTone(m_emptyLog, Tone::Neutral);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Theme::spacingL, Theme::spacingL, Theme::spacingL, Theme::spacingL);
    layout->setSpacing(Theme::spacingS);
    for (QWidget *widget :
         {static_cast<QWidget *>(title), static_cast<QWidget *>(m_sessionLine),
          static_cast<QWidget *>(m_pendingLine), static_cast<QWidget *>(m_command), m_liveControls})
        layout->addWidget(widget);
    layout->addLayout(outputHeaderRow());
    layout->addWidget(m_log, 1);
    layout->addWidget(m_emptyLog);
    layout->addWidget(m_saveStatus);
    addLiveButtons(new QVBoxLayout(m_liveControls));

    for (auto signal :
         {&AppModel::sessionActiveChanged, &AppModel::sessionDeviceChanged, &AppModel::pendingRestartChanged,
          &AppModel::lastCommandPreviewChanged, &AppModel::appliedConfigChanged,
          &AppModel::applyingLiveSettingChanged, &AppModel::selectedModeChanged})
        connect(model, signal, this, &SessionTerminal::refreshSession);
    connect(model, &AppModel::logLineAppended, this, &SessionTerminal::appendLine);
    connect(model, &AppModel::logLinesChanged, this, &SessionTerminal::refreshLogState);
    refreshSession();
    refreshLogState();
}

const QList<std::pair<QString, QString>> &SessionTerminal::liveToggles()
{
    static const QList<std::pair<QString, QString>> toggles{
        {QStringLiteral("fullscreen"), QStringLiteral("Toggle Fullscreen")},
        {QStringLiteral("turnScreenOff"), QStringLiteral("Toggle Screen Off")},
        {QStringLiteral("showTouches"), QStringLiteral("Toggle Show Touches")},
        {QStringLiteral("stayAwake"), QStringLiteral("Toggle Stay Awake")},
        {QStringLiteral("cameraTorch"), QStringLiteral("Toggle Torch")}};
    return toggles;
}

namespace {

bool *liveField(LaunchConfig &config, const QString &setting)
{
    return setting == QLatin1String("fullscreen")      ? &config.fullscreen
           : setting == QLatin1String("turnScreenOff") ? &config.turnScreenOff
           : setting == QLatin1String("showTouches")   ? &config.showTouches
           : setting == QLatin1String("stayAwake")     ? &config.stayAwake
           : setting == QLatin1String("cameraTorch")   ? &config.cameraTorch
                                                       : nullptr;
}

} // namespace

LaunchConfig SessionTerminal::inverted(LaunchConfig config, const QString &setting)
{
    if (bool *field = liveField(config, setting))
        *field = !*field;
    return config;
}

bool SessionTerminal::isOn(LaunchConfig config, const QString &setting)
{
    const bool *field = liveField(config, setting);
    return field && *field;
}

void SessionTerminal::addLiveButtons(QLayout *layout)
{
    layout->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    auto *secondRow = new QHBoxLayout;
    static_cast<QVBoxLayout *>(layout)->addLayout(row);
    static_cast<QVBoxLayout *>(layout)->addLayout(secondRow);
    for (const auto &toggleEntry : liveToggles()) {
        const QString &setting = toggleEntry.first;
        auto *button = new QPushButton(toggleEntry.second, m_liveControls);
        button->setObjectName(QStringLiteral("live_") + setting);
        // Checked shows what the session has now, so the user can tell what is on.
        button->setCheckable(true);
        (m_liveButtons.size() < 2 ? row : secondRow)->addWidget(button);
        m_liveButtons.insert(setting, button);
        connect(button, &QPushButton::clicked, this, [this, setting] { toggle(setting); });
    }
}

void SessionTerminal::toggle(const QString &setting)
{
    const auto &applied = m_model->appliedConfig();
    // The click flipped the button already; it shows the session's state again until the session changes.
    refreshSession();
    if (!applied)
        return;
    m_model->applyLive(setting, inverted(*applied, setting));
}

void SessionTerminal::refreshSession()
{
    const bool running = m_model->sessionActive();
    const auto &device = m_model->sessionDevice();
    m_sessionLine->setText(running && device ? QStringLiteral("Session running on ") + *device
                                             : QStringLiteral("No active session"));
    m_pendingLine->setVisible(m_model->pendingRestart());
    const QString word = m_model->selectedMode() == SidebarMode::Camera    ? QStringLiteral("Camera")
                         : m_model->selectedMode() == SidebarMode::Desktop ? QStringLiteral("Desktop")
                                                                           : QStringLiteral("Mirror");
    m_pendingLine->setText(QStringLiteral("Settings changed — restart the ") + word +
                           QStringLiteral(" session to apply them."));
    const auto &preview = m_model->lastCommandPreview();
    m_command->setText(
        preview   ? *preview
        : running ? QStringLiteral("Session is running, but the command preview hasn't been recorded yet.")
                  : QString());
    m_command->setVisible(!m_command->text().isEmpty());
    m_liveControls->setVisible(running);
    const auto &applied = m_model->appliedConfig();
    m_liveButtons.value(QStringLiteral("cameraTorch"))
        ->setVisible(applied && applied->mode == QLatin1String("camera"));
    for (auto it = m_liveButtons.cbegin(); it != m_liveButtons.cend(); ++it) {
        it.value()->setEnabled(!m_model->applyingLiveSetting());
        it.value()->setChecked(applied && isOn(*applied, it.key()));
    }
}

QLayout *SessionTerminal::outputHeaderRow()
{
    auto *row = new QHBoxLayout;
    row->addWidget(m_outputHeader, 1);
    const std::pair<QString, std::function<void()>> actions[] = {
        {QStringLiteral("Copy"), [this] { copyLog(); }},
        {QStringLiteral("Clear"), [this] { m_model->clearLog(); }},
        {QStringLiteral("Save log…"), [this] { saveLog(); }}};
    for (const auto &[title, action] : actions) {
        auto *button = new QPushButton(title, this);
        button->setObjectName(QStringLiteral("terminal") + title.section(QLatin1Char(' '), 0, 0));
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, action);
    }
    return row;
}

// One line at a time: rebuilding the whole text per line made a chatty session cost more with every line.
void SessionTerminal::appendLine(const QString &line)
{
    m_log->appendPlainText(line);
    // A hidden log opens on its newest line; a shown one follows only while the user is at the bottom.
    if (!m_log->isVisible())
        m_log->moveCursor(QTextCursor::End);
}

void SessionTerminal::refreshLogState()
{
    const qsizetype count = m_model->logLines().size();
    m_outputHeader->setText(QStringLiteral("Output (%1 lines)").arg(count));
    if (count == 0)
        m_log->clear();
    m_log->setVisible(count > 0);
    m_emptyLog->setVisible(count == 0);
}

void SessionTerminal::copyLog()
{
    if (m_log->textCursor().hasSelection())
        m_log->copy();
    else
        QGuiApplication::clipboard()->setText(m_log->toPlainText());
}

void SessionTerminal::saveLog()
{
    const QString suggested = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                  .filePath(QStringLiteral("quorvane-session.log"));
    const QPointer<SessionTerminal> self(this);
    ConfirmationPrompt::chooseNewFile(this, QStringLiteral("Save Log"), suggested,
                                      [self](std::optional<QString> path) {
                                          if (self && path)
                                              self->writeLog(*path);
                                      });
}

void SessionTerminal::writeLog(const QString &path)
{
    bool saved = true;
    QString status = QStringLiteral("Log saved to ") + path;
    try {
        SafeFile::replaceWhole(path, (m_log->toPlainText() + QLatin1Char('\n')).toUtf8());
    } catch (const std::exception &error) {
        saved = false;
        status = QStringLiteral("Could not save the log to %1: %2").arg(path, AppModel::errorText(error));
    }
    m_saveStatus->setText(status);
    m_saveFailed = !saved;
    restyleSaveStatus();
    m_saveStatus->show();
}

void SessionTerminal::restyleSaveStatus()
{
    Theme::setTextColor(m_saveStatus, Theme::color(m_saveFailed ? Tone::Danger : Tone::Neutral));
}

} // namespace quorvane::app

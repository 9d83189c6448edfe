#include "SessionTerminal.h"

#include "AppModel.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
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
    , m_log(new QListWidget(this))
    , m_emptyLog(wrappedLabel(QStringLiteral("terminalEmptyLog"), this))
{
    setObjectName(QStringLiteral("sessionTerminal"));
    setMinimumWidth(340);
    auto *title = new QLabel(QStringLiteral("Session terminal"), this);
    title->setFont(Theme::titleFont());
    m_pendingLine->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::color(Tone::Warning).name()));
    m_command->setFont(Theme::monospaceFont());
    m_command->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_liveControls->setObjectName(QStringLiteral("terminalLiveControls"));
    m_outputHeader->setObjectName(QStringLiteral("terminalOutputHeader"));
    m_outputHeader->setFont(Theme::headlineFont());
    m_log->setObjectName(QStringLiteral("terminalLog"));
    m_log->setFont(Theme::monospaceFont());
    m_log->setWordWrap(true);
    m_emptyLog->setText(QStringLiteral("No output yet — scrcpy's stdout/stderr will appear here."));
    m_emptyLog->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::secondaryText().name()));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Theme::spacingL, Theme::spacingL, Theme::spacingL, Theme::spacingL);
    layout->setSpacing(Theme::spacingS);
    for (QWidget *widget : {static_cast<QWidget *>(title), static_cast<QWidget *>(m_sessionLine),
                            static_cast<QWidget *>(m_pendingLine), static_cast<QWidget *>(m_command),
                            m_liveControls, static_cast<QWidget *>(m_outputHeader)})
        layout->addWidget(widget);
    layout->addWidget(m_log, 1);
    layout->addWidget(m_emptyLog);
    addLiveButtons(new QVBoxLayout(m_liveControls));

    for (auto signal :
         {&AppModel::sessionActiveChanged, &AppModel::sessionDeviceChanged, &AppModel::pendingRestartChanged,
          &AppModel::lastCommandPreviewChanged, &AppModel::appliedConfigChanged,
          &AppModel::applyingLiveSettingChanged, &AppModel::selectedModeChanged})
        connect(model, signal, this, &SessionTerminal::refreshSession);
    connect(model, &AppModel::logLinesChanged, this, &SessionTerminal::refreshLog);
    refreshSession();
    refreshLog();
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
    for (const auto &[setting, title] : liveToggles()) {
        auto *button = new QPushButton(title, m_liveControls);
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

void SessionTerminal::refreshLog()
{
    const QStringList &lines = m_model->logLines();
    m_outputHeader->setText(QStringLiteral("Output (%1 lines)").arg(lines.size()));
    m_log->clear();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        auto *item = new QListWidgetItem(lines.at(i), m_log);
        item->setData(Qt::AccessibleTextRole, QStringLiteral("Log line %1: %2").arg(i + 1).arg(lines.at(i)));
    }
    m_log->setVisible(!lines.isEmpty());
    m_emptyLog->setVisible(lines.isEmpty());
    m_log->scrollToBottom();
}

} // namespace quorvane::app

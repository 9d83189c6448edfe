#include "DesktopModeScreen.h"

#include "AppModel.h"
#include "BusyIndicator.h"
#include "ConfirmationPrompt.h"
#include "FileTransferRow.h"
#include "OnShowWork.h"
#include "ScreenBindings.h"
#include "ScreenPage.h"
#include "SectionCard.h"
#include "Theme.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

QString capabilityText(const std::optional<DesktopCapabilities> &capabilities, const QString &row)
{
    if (!capabilities)
        return QStringLiteral("—");
    const auto availability = [](bool available) {
        return available ? QStringLiteral("available") : QStringLiteral("unavailable");
    };
    if (row == QLatin1String("virtualDisplay"))
        return availability(capabilities->virtualDisplaySupported);
    if (row == QLatin1String("windowing"))
        return availability(capabilities->androidDesktopWindowingAvailable);
    const bool yes = row == QLatin1String("dex") ? capabilities->samsungDexAvailable : capabilities->prepared;
    return yes ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

DesktopModeScreen::DesktopModeScreen(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_settings(model->desktopState())
    , m_preparation(new OnShowWork(
          this, model, &AppModel::desktopCapabilitiesChanged,
          [model] { return !model->desktopCapabilities(); }, [this] { return prepareOnShow(); }))
{
    setObjectName(QStringLiteral("desktopModeScreen"));
    QVBoxLayout *column = scrollingColumn(this);
    for (QWidget *card : {headerCard(), capabilitiesCard(), quickActionsCard(), geometryCard(),
                          environmentCard(), prepareCard()})
        column->addWidget(card);
    column->addStretch(1);
    alignFormLabels(this);
    column->insertWidget(column->count() - 1, new FileTransferRow(m_model, this, QStringLiteral("desktop")));
    connect(m_model, &AppModel::desktopCapabilitiesChanged, this, &DesktopModeScreen::refreshCapabilities);
    connect(m_model, &AppModel::desktopBusyChanged, this, &DesktopModeScreen::refreshBusy);
    connect(m_model, &AppModel::desktopActivityChanged, this, &DesktopModeScreen::refreshBusy);
    connect(m_model, &AppModel::selectedSerialChanged, this, &DesktopModeScreen::refreshBusy);
    connect(m_model, &AppModel::selectedDeviceChanged, this, &DesktopModeScreen::refreshBusy);
    connect(m_model, &AppModel::capturingScreenshotChanged, this, &DesktopModeScreen::refreshBusy);
    refreshCapabilities();
}

void DesktopModeScreen::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_preparation->run();
}

// The geometry takes the phone's recommended size once it is known, unless the user already chose one.
QCoro::Task<void> DesktopModeScreen::prepareOnShow()
{
    const QPointer<DesktopModeScreen> self(this);
    AppModel *model = m_model;
    if (!model->desktopCapabilities()) {
        const QString serial = model->selectedSerial().value_or(QString());
        QCoro::Task<void> probing = model->probeDesktop(serial);
        co_await std::move(probing);
        if (!self)
            co_return;
    }
    model->desktopState()->applyCapabilitiesIfEmpty(model->desktopCapabilities());
}

QWidget *DesktopModeScreen::headerCard()
{
    auto *card =
        new SectionCard(QStringLiteral("Second Display"), QStringLiteral("macwindow.on.rectangle"), this);
    card->addWidget(bind::note(
        QStringLiteral(
            "A Virtual Display is a generic second screen. Android Desktop Windowing is enabled only when "
            "the phone reports freeform support; Samsung DeX is captured from an existing display, never "
            "triggered by scrcpy."),
        QStringLiteral("desktopHeaderNote"), card));
    m_probe = bind::button(QStringLiteral("Probe"), QStringLiteral("desktopProbe"), card);
    m_busy = new BusyIndicator(16, card);
    m_busy->setObjectName(QStringLiteral("desktopBusy"));
    QPushButton *reset =
        bind::button(QStringLiteral("Reset to Auto"), QStringLiteral("desktopResetToAuto"), card);
    QPushButton *logs = bind::button(QStringLiteral("Open Logs"), QStringLiteral("desktopOpenLogs"), card);
    auto *row = new QHBoxLayout;
    for (QWidget *widget : std::initializer_list<QWidget *>{m_probe, m_busy, reset, logs})
        row->addWidget(widget);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    m_status = bind::note(QString(), QStringLiteral("desktopStatus"), card);
    card->addWidget(m_status);
    connect(m_probe, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> serial = m_model->selectedSerial())
            m_model->probeDesktop(*serial);
    });
    connect(reset, &QPushButton::clicked, this, [this] { m_model->resetToAuto(); });
    connect(logs, &QPushButton::clicked, this, [this] { m_model->openDesktopDiagnostics(); });
    return card;
}

QWidget *DesktopModeScreen::capabilitiesCard()
{
    auto *card = new SectionCard(QStringLiteral("Device Capabilities"), QStringLiteral("display"), this);
    QFormLayout *form = bind::formIn(card);
    const QList<std::pair<QString, QString>> rows{
        {QStringLiteral("Virtual display"), QStringLiteral("virtualDisplay")},
        {QStringLiteral("Desktop windowing"), QStringLiteral("windowing")},
        {QStringLiteral("Samsung DeX present"), QStringLiteral("dex")},
        {QStringLiteral("Settings prepared"), QStringLiteral("prepared")}};
    for (const auto &[title, key] : rows) {
        QLabel *value = bind::label(QString(), QStringLiteral("desktopCapability_") + key, card);
        form->addRow(title, value);
        m_rows.append({value, key});
    }
    m_summary = bind::label(QString(), QStringLiteral("desktopSummary"), card);
    m_message = bind::note(QString(), QStringLiteral("desktopMessage"), card);
    card->addWidget(m_summary);
    card->addWidget(m_message);
    return card;
}

QWidget *DesktopModeScreen::quickActionsCard()
{
    auto *card = new SectionCard(QStringLiteral("Quick Actions"), QStringLiteral("camera.aperture"), this);
    m_screenshot = bind::button(QStringLiteral("Screenshot"), QStringLiteral("desktopScreenshot"), card);
    m_screenshot->setToolTip(QStringLiteral("Capture the launched Desktop Mode display"));
    QPushButton *media =
        bind::button(QStringLiteral("Media Folder"), QStringLiteral("desktopMediaFolder"), card);
    QCheckBox *recording = bind::checkBox(QStringLiteral("Desktop recording"),
                                          QStringLiteral("desktopRecording"), m_settings, "record", card);
    recording->setToolTip(QStringLiteral("Record the Desktop Mode display when the session starts"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_screenshot);
    row->addWidget(media);
    row->addWidget(recording);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    card->addWidget(
        bind::note(QStringLiteral("Launch Desktop Mode first so Quorvane can target its display."),
                   QStringLiteral("desktopScreenshotNote"), card));
    connect(m_screenshot, &QPushButton::clicked, this, [this] { m_model->captureDesktopScreenshot(); });
    connect(media, &QPushButton::clicked, this, [this] { m_model->openMediaFolder(); });
    return card;
}

QWidget *DesktopModeScreen::geometryCard()
{
    auto *card = new SectionCard(QStringLiteral("Virtual Display Geometry"), QStringLiteral("display"), this);
    QFormLayout *form = bind::formIn(card);
    auto *size = new QHBoxLayout;
    size->addWidget(bind::spinBox(QStringLiteral("desktopWidth"), 320, 7680, m_settings, "width", card));
    size->addWidget(new QLabel(QStringLiteral("×"), card));
    size->addWidget(bind::spinBox(QStringLiteral("desktopHeight"), 240, 4320, m_settings, "height", card));
    size->addStretch(1);
    form->addRow(QStringLiteral("Resolution"), size);
    auto *density = new QHBoxLayout;
    density->addWidget(bind::spinBox(QStringLiteral("desktopDensity"), 72, 960, m_settings, "density", card));
    density->addStretch(1);
    form->addRow(QStringLiteral("Density"), density);
    return card;
}

QWidget *DesktopModeScreen::environmentCard()
{
    auto *card = new SectionCard(QStringLiteral("Environment"), QStringLiteral("gearshape"), this);
    const QList<std::tuple<QString, QString, const char *>> toggles{
        {QStringLiteral("Freeform windowing"), QStringLiteral("desktopFlex"), "flex"},
        {QStringLiteral("Skip window decorations"), QStringLiteral("desktopNoDecorations"), "noDecorations"},
        {QStringLiteral("Keep desktop content when closed"), QStringLiteral("desktopKeepContent"),
         "keepContent"}};
    for (const auto &[label, name, property] : toggles)
        card->addWidget(bind::checkBox(label, name, m_settings, property, card));
    bind::formIn(card)->addRow(QStringLiteral("Start app on the desktop (optional)"),
                               bind::lineEdit(QStringLiteral("desktopStartApp"),
                                              QStringLiteral("com.example.launcher"), m_settings, "startApp",
                                              card));
    m_launcher = bind::note(QString(), QStringLiteral("desktopDetectedLauncher"), card);
    card->addWidget(m_launcher);
    card->addWidget(bind::checkBox(QStringLiteral("Forward audio"), QStringLiteral("desktopAudio"),
                                   m_settings, "audio", card));
    card->addWidget(bind::checkBox(QStringLiteral("Start fullscreen"), QStringLiteral("desktopFullscreen"),
                                   m_settings, "fullscreen", card));
    card->addWidget(
        bind::note(QStringLiteral("Exit with F11"), QStringLiteral("desktopFullscreenNote"), card));
    return card;
}

QWidget *DesktopModeScreen::prepareCard()
{
    auto *card =
        new SectionCard(QStringLiteral("Prepare / Restore"), QStringLiteral("arrow.counterclockwise"), this);
    card->addWidget(bind::note(
        QStringLiteral(
            "The enable action saves a backup of the phone's desktop settings first, changes up to five "
            "developer settings, and reboots the phone. Restore brings those exact values back and reboots "
            "again."),
        QStringLiteral("desktopPrepareNote"), card));
    m_enable =
        bind::button(QStringLiteral("Enable Desktop Settings…"), QStringLiteral("desktopEnable"), card);
    m_restore = bind::button(QStringLiteral("Restore Backup…"), QStringLiteral("desktopRestore"), card);
    auto *row = new QHBoxLayout;
    row->addWidget(m_enable);
    row->addWidget(m_restore);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    connect(m_enable, &QPushButton::clicked, this, &DesktopModeScreen::confirmEnable);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> serial = m_model->selectedSerial())
            m_model->restoreDesktop(*serial);
    });
    return card;
}

void DesktopModeScreen::confirmEnable()
{
    const ConfirmationPrompt::Question question{
        QStringLiteral("Enable Android desktop windowing?"),
        QStringLiteral(
            "Quorvane will back up the current Android desktop settings, enable freeform and resizable "
            "windowing on the phone, and reboot it. You can later restore the original values."),
        QStringLiteral("Enable and reboot the phone"), QStringLiteral("Cancel")};
    const QPointer<DesktopModeScreen> self(this);
    ConfirmationPrompt::ask(this, question, [self](bool confirmed) {
        if (!self || !confirmed)
            return;
        if (const std::optional<QString> serial = self->m_model->selectedSerial())
            self->m_model->enableDesktop(*serial, true);
    });
}

void DesktopModeScreen::refreshCapabilities()
{
    const std::optional<DesktopCapabilities> &capabilities = m_model->desktopCapabilities();
    for (const auto &[label, key] : std::as_const(m_rows))
        label->setText(capabilityText(capabilities, key));
    m_summary->setText(capabilities ? capabilities->summary : QString());
    m_message->setText(capabilities ? capabilities->message : QString());
    const std::optional<QString> launcher = capabilities ? capabilities->launcherPackage : std::nullopt;
    m_launcher->setText(launcher ? QStringLiteral("Detected launcher: ") + *launcher : QString());
    m_launcher->setVisible(launcher.has_value());
    refreshBusy();
}

void DesktopModeScreen::refreshBusy()
{
    // While the phone reboots for an enable or a restore, nothing that talks to it may start.
    const std::optional<QString> &activity = m_model->desktopActivity();
    const bool busy = m_model->desktopBusy() || activity;
    const bool device = m_model->selectedSerial().has_value();
    m_status->setText(
        !device ? QStringLiteral("Choose a phone at the bottom of the window to check its display support.")
        : activity ? *activity
        : busy     ? QStringLiteral("Probing device capabilities…")
                   : QString());
    m_status->setVisible(!device || busy);
    m_busy->setRunning(busy);
    m_busy->setVisible(busy);
    for (QPushButton *button : {m_probe, m_enable, m_restore})
        button->setEnabled(device && !busy);
    m_screenshot->setEnabled(m_model->phoneReady() && !m_model->capturingScreenshot() && !activity);
}

} // namespace quorvane::app

#include "SessionBar.h"

#include "AppModel.h"
#include "LaunchMessageBadge.h"
#include "PrimaryActionButton.h"
#include "StatusPill.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quorvane::app {

namespace {

Tone stateTone(const AppModel &model)
{
    if (model.reconnecting() || model.pendingRestart())
        return Tone::Warning;
    return model.sessionActive() ? Tone::Success : Tone::Neutral;
}

} // namespace

SessionBar::SessionBar(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_pill(new StatusPill(this))
    , m_deviceIcon(new QLabel(this))
    , m_device(new QLabel(this))
    , m_badge(new LaunchMessageBadge(this))
    , m_cancelReconnect(new QPushButton(QStringLiteral("Cancel reconnect"), this))
    , m_stop(new QPushButton(QStringLiteral("Stop"), this))
    , m_primary(new PrimaryActionButton(this))
{
    setObjectName(QStringLiteral("sessionBar"));
    m_pill->setObjectName(QStringLiteral("sessionStatePill"));
    m_device->setObjectName(QStringLiteral("sessionDeviceText"));
    m_device->setFont(Theme::headlineFont());
    m_badge->setObjectName(QStringLiteral("launchMessageBadge"));
    m_cancelReconnect->setObjectName(QStringLiteral("cancelReconnectButton"));
    m_stop->setObjectName(QStringLiteral("stopButton"));
    m_stop->setToolTip(QStringLiteral("Stop the running session (%1)")
                           .arg(model->desktop().commandKey(QStringLiteral("."))));
    m_primary->setObjectName(QStringLiteral("primaryLaunchButton"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(Theme::spacingL, Theme::spacingM, Theme::spacingL, Theme::spacingM);
    layout->setSpacing(Theme::spacingM);
    layout->addWidget(m_pill);
    layout->addWidget(m_deviceIcon);
    layout->addWidget(m_device);
    layout->addWidget(m_badge);
    layout->addStretch(1);
    layout->addWidget(m_cancelReconnect);
    layout->addWidget(m_stop);
    layout->addWidget(m_primary);

    connect(m_cancelReconnect, &QPushButton::clicked, model, &AppModel::cancelReconnect);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_model->stopSession(); });
    connect(m_primary, &PrimaryActionButton::triggered, this, [this] { m_model->launchCurrentMode(); });
    for (auto signal :
         {&AppModel::reconnectingChanged, &AppModel::reconnectAttemptChanged,
          &AppModel::pendingRestartChanged, &AppModel::sessionActiveChanged, &AppModel::selectedDeviceChanged,
          &AppModel::devicesChanged, &AppModel::launchMessageChanged, &AppModel::launchMessageToneChanged,
          &AppModel::deviceProfileChanged, &AppModel::launchButtonTitleChanged, &AppModel::launchingChanged,
          &AppModel::canLaunchChanged, &AppModel::runtimeChanged, &AppModel::runtimeHealthyChanged,
          &AppModel::selectedModeChanged, &AppModel::desktopCapabilitiesChanged,
          &AppModel::desktopActivityChanged})
        connect(model, signal, this, &SessionBar::refresh);
    // The device symbol is drawn in the theme's secondary colour.
    Theme::follow(this, [this] { refresh(); });
    // The bar keeps one height whatever it shows: the tallest of its parts at their tallest.
    const QMargins margins = layout->contentsMargins();
    setFixedHeight(std::max({m_primary->sizeHint().height(), m_badge->fullHeight(),
                             m_stop->sizeHint().height(), m_pill->sizeHint().height()}) +
                   margins.top() + margins.bottom());
}

QString SessionBar::stateText(const AppModel &model)
{
    if (model.reconnecting())
        return QStringLiteral("Reconnecting (%1/5)").arg(model.reconnectAttempt());
    if (model.pendingRestart())
        return QStringLiteral("Restart needed");
    return model.sessionActive() ? QStringLiteral("Session running") : QStringLiteral("No session");
}

QString SessionBar::deviceText(const AppModel &model)
{
    if (const auto &device = model.selectedDevice())
        return model.phoneName(*device);
    return model.devices().isEmpty() ? QStringLiteral("No device") : QStringLiteral("Choose a device");
}

QString SessionBar::launchHint(const AppModel &model)
{
    if (!model.runtimeHealthy())
        return model.runtime().problem.value_or(QStringLiteral("Looking for scrcpy and adb…"));
    if (const auto &activity = model.desktopActivity())
        return *activity;
    const auto &device = model.selectedDevice();
    if (!device)
        return QStringLiteral("Choose a phone at the bottom of the window first.");
    if (device->state != QLatin1String("device"))
        return QStringLiteral(
            "The selected device is not ready. Accept the USB debugging prompt, or run Connection Doctor.");
    if (model.selectedMode() != SidebarMode::Desktop)
        return {};
    const auto &capabilities = model.desktopCapabilities();
    if (!capabilities)
        return QStringLiteral("Checking this device's display support…");
    if (!capabilities->supported)
        return QStringLiteral(
            "This device does not report virtual display support. Run Connection Doctor for details.");
    return {};
}

void SessionBar::refresh()
{
    m_pill->setText(stateText(*m_model));
    m_pill->setTone(stateTone(*m_model));
    m_device->setText(deviceText(*m_model));
    const auto &device = m_model->selectedDevice();
    m_deviceIcon->setVisible(device.has_value());
    if (device) {
        const QString symbol =
            device->isWireless() ? QStringLiteral("wifi") : QStringLiteral("cable.connector");
        m_deviceIcon->setPixmap(
            Theme::pixmap(symbol, Theme::secondaryText(), Theme::iconSize, devicePixelRatioF()));
    }
    m_badge->setMessage(m_model->launchMessage().value_or(QString()), m_model->launchMessageTone());
    m_cancelReconnect->setVisible(m_model->reconnecting());
    // A session still starting can be stopped too: Stop ends that launch.
    m_stop->setVisible(m_model->sessionActive() || m_model->launching());

    // With a session running the button replaces it, and says so.
    const bool restart = m_model->pendingRestart() || (m_model->sessionActive() && !m_model->launching());
    m_primary->setTitle(m_model->sessionActive() && !m_model->pendingRestart() && !m_model->launching()
                            ? QStringLiteral("Restart Session")
                            : m_model->launchButtonTitle());
    m_primary->setSecondaryLabel(restart ? QStringLiteral("Restart session")
                                         : QStringLiteral("Start session"));
    m_primary->setCaption(restart ? QStringLiteral("Restarts the running session with these settings.")
                                  : QStringLiteral("Starts the current session."));
    m_primary->setSymbol(restart ? QStringLiteral("arrow.clockwise") : QStringLiteral("play.fill"));
    m_primary->setBusy(m_model->launching());
    m_primary->setActionEnabled(m_model->canLaunch() && !m_model->launching());
    m_primary->setDisabledHint(launchHint(*m_model));
}

} // namespace quorvane::app

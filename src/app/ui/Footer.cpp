#include "Footer.h"

#include "AppModel.h"
#include "BusyIndicator.h"
#include "StatusPill.h"
#include "Theme.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace quorvane::app {

namespace {

QString capitalisedWords(const QString &text)
{
    QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString &word : words)
        word[0] = word[0].toUpper();
    return words.join(QLatin1Char(' '));
}

Tone statusTone(const AppModel &model)
{
    if (!model.runtimeHealthy())
        return Tone::Danger;
    const auto &device = model.selectedDevice();
    if (device && device->state == QLatin1String("device"))
        return Tone::Success;
    return model.devices().isEmpty() ? Tone::Neutral : Tone::Warning;
}

} // namespace

Footer::Footer(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_pill(new StatusPill(this))
    , m_picker(new QComboBox(this))
    , m_sessions(new QLabel(this))
    , m_stopAll(new QPushButton(QStringLiteral("Stop all"), this))
    , m_refresh(new QToolButton(this))
    , m_refreshing(new BusyIndicator(14, this))
{
    setObjectName(QStringLiteral("footer"));
    m_pill->setObjectName(QStringLiteral("footerStatusPill"));
    m_picker->setObjectName(QStringLiteral("devicePicker"));
    m_picker->setMinimumWidth(220);
    m_sessions->setObjectName(QStringLiteral("activeSessionsText"));
    m_stopAll->setObjectName(QStringLiteral("stopAllButton"));
    m_refresh->setObjectName(QStringLiteral("refreshDevicesButton"));
    m_refresh->setToolTip(
        QStringLiteral("Refresh devices (%1)").arg(model->desktop().commandKey(QStringLiteral("R"))));
    m_refresh->setAccessibleName(QStringLiteral("Refresh devices"));
    Theme::setIcon(m_refresh, QStringLiteral("arrow.clockwise"), Tone::Neutral);
    m_refresh->setAutoRaise(true);
    m_refreshing->setObjectName(QStringLiteral("refreshProgress"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(Theme::spacingL, Theme::spacingS, Theme::spacingL, Theme::spacingS);
    layout->setSpacing(Theme::spacingM);
    layout->addWidget(m_pill);
    layout->addWidget(m_picker);
    layout->addStretch();
    layout->addWidget(m_sessions);
    layout->addWidget(m_stopAll);
    layout->addWidget(m_refreshing);
    layout->addWidget(m_refresh);

    connect(m_picker, &QComboBox::activated, this, &Footer::pickDevice);
    connect(m_stopAll, &QPushButton::clicked, this, [this] { m_model->stopAllSessions(); });
    connect(m_refresh, &QToolButton::clicked, this, [this] { m_model->refreshDevices(); });
    for (auto signal :
         {&AppModel::runtimeChanged, &AppModel::runtimeHealthyChanged, &AppModel::selectedDeviceChanged,
          &AppModel::devicesChanged, &AppModel::refreshingDevicesChanged})
        connect(model, signal, this, &Footer::refreshStatus);
    connect(model, &AppModel::phonesChanged, this, &Footer::refreshDevices);
    connect(model, &AppModel::deviceProfileChanged, this, &Footer::refreshDevices);
    connect(model, &AppModel::selectedSerialChanged, this, &Footer::refreshDevices);
    connect(model, &AppModel::activeSessionSerialsChanged, this, &Footer::refreshSessions);
    refreshStatus();
    refreshDevices();
    refreshSessions();
}

QString Footer::statusText(const AppModel &model)
{
    if (!model.runtimeHealthy()) {
        const RuntimeStatus &runtime = model.runtime();
        if (!runtime.adbFound || !runtime.scrcpyFound)
            return QStringLiteral("Runtime missing");
        return runtime.scrcpyRelease ? QStringLiteral("scrcpy too old") : QStringLiteral("scrcpy unusable");
    }
    const auto &device = model.selectedDevice();
    if (device && device->state == QLatin1String("device"))
        return QStringLiteral("Phone ready");
    if (model.devices().isEmpty())
        return QStringLiteral("No device");
    return device ? capitalisedWords(device->state) : QStringLiteral("Unknown");
}

void Footer::refreshStatus()
{
    m_pill->setText(statusText(*m_model));
    m_pill->setTone(statusTone(*m_model));
    // The pill has room for a word or two; the whole sentence says what to do about it.
    m_pill->setToolTip(m_model->runtimeHealthy() ? QString()
                                                 : m_model->runtime().problem.value_or(QString()));
    const bool busy = m_model->refreshingDevices();
    m_refreshing->setRunning(busy);
    m_refreshing->setVisible(busy);
    m_refresh->setEnabled(!busy);
}

void Footer::refreshDevices()
{
    const QSignalBlocker blocker(m_picker);
    m_picker->clear();
    const auto &phones = m_model->phones();
    m_picker->setEnabled(!phones.isEmpty());
    if (phones.isEmpty()) {
        m_picker->addItem(QStringLiteral("No devices detected"));
        return;
    }
    const auto &selected = m_model->selectedSerial();
    for (const PhoneRow &phone : phones) {
        // Picking the phone keeps the transport in use; the Wireless screen switches between them.
        const QString serial =
            selected && phone.reachedBy(*selected) ? *selected : phone.transports.first().serial;
        const auto transport =
            std::find_if(phone.transports.cbegin(), phone.transports.cend(),
                         [&serial](const DeviceInfo &device) { return device.serial == serial; });
        const QString name = m_model->phoneName(*transport);
        const QString reach = phone.transports.size() > 1 ? phone.reach() : serial;
        QString label = name == reach ? name : name + QStringLiteral(" (") + reach + QLatin1Char(')');
        // A phone that cannot be used yet says why before it is picked.
        if (transport->state != QLatin1String("device"))
            label += QStringLiteral(" — ") + transport->state;
        m_picker->addItem(label, serial);
    }
    m_picker->setCurrentIndex(selected ? m_picker->findData(*selected) : -1);
}

void Footer::refreshSessions()
{
    const qsizetype count = m_model->activeSessionSerials().size();
    m_sessions->setText(QString::number(count) + QStringLiteral(" session(s)"));
    m_stopAll->setEnabled(count > 0);
}

void Footer::pickDevice(int index)
{
    const QString serial = m_picker->itemData(index).toString();
    if (!serial.isEmpty())
        m_model->setSelectedSerial(serial);
}

} // namespace quorvane::app

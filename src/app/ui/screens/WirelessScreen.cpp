#include "WirelessScreen.h"

#include "AppModel.h"
#include "BusyIndicator.h"
#include "ScreenBindings.h"
#include "ScreenPage.h"
#include "SectionCard.h"
#include "StatusMessageRow.h"
#include "Theme.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace quorvane::app {

WirelessScreen::WirelessScreen(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("wirelessScreen"));
    QVBoxLayout *column = scrollingColumn(this);
    column->addWidget(switchCard());
    column->addWidget(rememberedCard());
    column->addWidget(manualCard());
    column->addStretch(1);
    alignFormLabels(this);
    connect(m_model, &AppModel::rememberedWirelessChanged, this, &WirelessScreen::rebuildRemembered);
    connect(m_model, &AppModel::wirelessBusyChanged, this, &WirelessScreen::refresh);
    connect(m_model, &AppModel::selectedDeviceChanged, this, &WirelessScreen::refresh);
    connect(m_model, &AppModel::wirelessMessageChanged, this, &WirelessScreen::refresh);
    connect(m_model, &AppModel::wirelessMessageToneChanged, this, &WirelessScreen::refresh);
    connect(m_model, &AppModel::wirelessPairingProblemChanged, this, &WirelessScreen::refresh);
    rebuildRemembered();
}

void WirelessScreen::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_model->reloadRememberedWireless();
    // The adb may have changed in Settings since the screen was last shown.
    m_model->checkWirelessPairing();
}

QWidget *WirelessScreen::switchCard()
{
    auto *card = new SectionCard(QStringLiteral("Switch to wireless"), QStringLiteral("wifi"), this);
    card->addWidget(bind::note(
        QStringLiteral(
            "Connect a USB-authorized phone once, then move it to wireless ADB and unplug the cable."),
        QStringLiteral("wirelessSwitchNote"), card));
    m_toWifi = bind::button(QStringLiteral("Use current USB device over Wi-Fi"),
                            QStringLiteral("wirelessToWifi"), card);
    m_toUsb = bind::button(QStringLiteral("Use USB Instead"), QStringLiteral("wirelessToUsb"), card);
    m_busy = new BusyIndicator(16, card);
    m_busy->setObjectName(QStringLiteral("wirelessBusy"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_toWifi);
    row->addWidget(m_toUsb);
    row->addWidget(m_busy);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    // Its line is kept while empty: a message arriving must not push the cards below down.
    m_status = new StatusMessageRow(card, StatusMessageRow::Space::Reserve);
    m_status->setObjectName(QStringLiteral("wirelessStatus"));
    card->addWidget(m_status);
    connect(m_toWifi, &QPushButton::clicked, this, [this] {
        if (const std::optional<DeviceInfo> device = m_model->selectedDevice())
            m_model->enableWirelessFromUSB(device->serial);
    });
    connect(m_toUsb, &QPushButton::clicked, this, [this] {
        if (const std::optional<DeviceInfo> device = m_model->selectedDevice())
            m_model->switchToUSB(device->serial);
    });
    return card;
}

QWidget *WirelessScreen::rememberedCard()
{
    auto *card = new SectionCard(QStringLiteral("Remembered devices"),
                                 QStringLiteral("antenna.radiowaves.left.and.right"), this);
    m_empty = bind::note(QStringLiteral("No remembered wireless devices yet."),
                         QStringLiteral("wirelessEmpty"), card);
    card->addWidget(m_empty);
    m_remembered = new QVBoxLayout;
    card->contentLayout()->addLayout(m_remembered);
    return card;
}

QWidget *WirelessScreen::manualCard()
{
    auto *card = new SectionCard(QStringLiteral("Manual setup"), QStringLiteral("link"), this);
    m_manualToggle = new QToolButton(card);
    m_manualToggle->setObjectName(QStringLiteral("wirelessManualToggle"));
    m_manualToggle->setText(QStringLiteral("Pair a new device / recover a connection"));
    m_manualToggle->setCheckable(true);
    m_manualToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_manualToggle->setArrowType(Qt::RightArrow);
    card->addWidget(m_manualToggle);
    // Outside the folded part: whoever comes to pair learns before typing a code that it cannot work.
    m_pairingProblem = new StatusMessageRow(card);
    m_pairingProblem->setObjectName(QStringLiteral("wirelessPairingProblem"));
    card->addWidget(m_pairingProblem);
    m_manual = new QWidget(card);
    m_manual->setObjectName(QStringLiteral("wirelessManual"));
    m_manual->setVisible(false);
    card->addWidget(m_manual);
    connect(m_manualToggle, &QToolButton::toggled, this, [this](bool expanded) {
        m_manual->setVisible(expanded);
        m_manualToggle->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    });

    m_pairingAddress = new QLineEdit(m_manual);
    m_pairingAddress->setObjectName(QStringLiteral("wirelessPairingAddress"));
    m_pairingCode = new QLineEdit(m_manual);
    m_pairingCode->setObjectName(QStringLiteral("wirelessPairingCode"));
    m_manualAddress = new QLineEdit(m_manual);
    m_manualAddress->setObjectName(QStringLiteral("wirelessManualAddress"));
    m_pair = bind::button(QStringLiteral("Pair"), QStringLiteral("wirelessPair"), m_manual);
    QPushButton *connectButton =
        bind::button(QStringLiteral("Connect"), QStringLiteral("wirelessConnect"), m_manual);
    auto *form = new QFormLayout(m_manual);
    form->addRow(QStringLiteral("Pairing IP:port"), m_pairingAddress);
    form->addRow(QStringLiteral("6-digit code"), m_pairingCode);
    form->addRow(QString(), m_pair);
    form->addRow(QStringLiteral("Connect IP:port"), m_manualAddress);
    form->addRow(QString(), connectButton);
    form->addRow(
        bind::note(QStringLiteral("Find the pairing address under Phone → Wireless debugging → Pair device."),
                   QStringLiteral("wirelessPairingHint"), m_manual));
    form->addRow(bind::note(QStringLiteral("Addresses are passed directly to adb pair / adb connect as "
                                           "arguments — never through a shell."),
                            QStringLiteral("wirelessShellHint"), m_manual));
    m_manualActions = {connectButton};
    connect(m_pair, &QPushButton::clicked, this, [this] {
        const QString address = m_pairingAddress->text();
        const QString code = m_pairingCode->text();
        m_model->pairWireless(address, code);
    });
    connect(connectButton, &QPushButton::clicked, this, [this] {
        const QString address = m_manualAddress->text();
        m_model->connectWireless(address);
    });
    // Enter in a field presses its button, which stays inert while it is disabled.
    for (QLineEdit *field : {m_pairingAddress, m_pairingCode})
        connect(field, &QLineEdit::returnPressed, m_pair, &QPushButton::click);
    connect(m_manualAddress, &QLineEdit::returnPressed, connectButton, &QPushButton::click);
    return card;
}

void WirelessScreen::rebuildRemembered()
{
    while (QLayoutItem *item = m_remembered->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_rowActions.clear();
    for (const RememberedWirelessDevice &device : m_model->rememberedWireless()) {
        auto *row = new QWidget(this);
        row->setObjectName(QStringLiteral("wirelessRemembered"));
        row->setAccessibleName(device.address);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(bind::label(device.label, QStringLiteral("wirelessRememberedLabel"), row), 1);
        layout->addWidget(bind::note(device.address, QStringLiteral("wirelessRememberedAddress"), row));
        layout->addWidget(
            bind::note(device.connected ? QStringLiteral("Connected") : QStringLiteral("Offline"),
                       QStringLiteral("wirelessRememberedState"), row));
        QPushButton *connectButton =
            bind::button(QStringLiteral("Connect"), QStringLiteral("wirelessRememberedConnect"), row);
        QPushButton *forget =
            bind::button(QStringLiteral("Forget"), QStringLiteral("wirelessRememberedForget"), row);
        layout->addWidget(connectButton);
        layout->addWidget(forget);
        m_rowActions.append(forget);
        // Connecting again to a phone that is connected would only repeat adb's "already connected".
        if (device.connected)
            connectButton->setEnabled(false);
        else
            m_rowActions.append(connectButton);
        const QString address = device.address;
        connect(connectButton, &QPushButton::clicked, this,
                [this, address] { m_model->connectWireless(address); });
        connect(forget, &QPushButton::clicked, this, [this, address] { m_model->forgetWireless(address); });
        m_remembered->addWidget(row);
    }
    m_empty->setVisible(m_model->rememberedWireless().isEmpty());
    refresh();
}

void WirelessScreen::refresh()
{
    const bool busy = m_model->wirelessBusy();
    const std::optional<DeviceInfo> &device = m_model->selectedDevice();
    m_toWifi->setEnabled(!busy && device && !device->isWireless());
    m_toUsb->setEnabled(!busy && device && device->isWireless());
    for (QWidget *action : m_manualActions + m_rowActions)
        action->setEnabled(!busy);
    const std::optional<QString> &pairingProblem = m_model->wirelessPairingProblem();
    m_pair->setEnabled(!busy && !pairingProblem);
    m_pairingProblem->setMessage(pairingProblem, MessageTone::Failure);
    m_busy->setRunning(busy);
    m_busy->setVisible(busy);
    m_status->setMessage(m_model->wirelessMessage(), m_model->wirelessMessageTone());
}

} // namespace quorvane::app

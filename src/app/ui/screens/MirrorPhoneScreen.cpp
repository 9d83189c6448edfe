#include "MirrorPhoneScreen.h"

#include "AppModel.h"
#include "AppPaths.h"
#include "BusyIndicator.h"
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
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace quorvane::app {

MirrorPhoneScreen::MirrorPhoneScreen(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_settings(model->mirrorState())
    , m_recommendation(new OnShowWork(
          this, model, &AppModel::mirrorRecommendationChanged,
          [model] { return !model->mirrorRecommendation(); },
          [model] { return model->recommend(QStringLiteral("mirror")); }))
{
    setObjectName(QStringLiteral("mirrorPhoneScreen"));
    QVBoxLayout *column = scrollingColumn(this);
    for (QWidget *card : {deviceCard(), smartProfileCard(), profilesCard(), quickActionsCard(), qualityCard(),
                          audioCard(), togglesCard(), advancedCard()})
        column->addWidget(card);
    column->addStretch(1);
    alignFormLabels(this);
    column->insertWidget(column->count() - 1, new FileTransferRow(m_model, this, QStringLiteral("mirror")));

    connect(m_model, &AppModel::selectedDeviceChanged, this, &MirrorPhoneScreen::refreshDevice);
    connect(m_model, &AppModel::selectedDeviceChanged, this, &MirrorPhoneScreen::refreshBusy);
    connect(m_model, &AppModel::deviceProfileChanged, this, &MirrorPhoneScreen::refreshDevice);
    connect(m_model, &AppModel::mirrorRecommendationChanged, this, &MirrorPhoneScreen::refreshRecommendation);
    connect(m_model, &AppModel::profilesChanged, this, &MirrorPhoneScreen::refreshProfiles);
    connect(m_model, &AppModel::selectedProfileIdChanged, this, &MirrorPhoneScreen::refreshProfiles);
    connect(m_model, &AppModel::currentModeKeyChanged, this, &MirrorPhoneScreen::refreshProfiles);
    connect(m_model, &AppModel::capturingScreenshotChanged, this, &MirrorPhoneScreen::refreshBusy);
    connect(m_model, &AppModel::resettingToAutoChanged, this, &MirrorPhoneScreen::refreshBusy);
    refreshDevice();
    refreshRecommendation();
    refreshProfiles();
    refreshBusy();
}

void MirrorPhoneScreen::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_model->mirrorRecommendation())
        m_recommendation->run();
}

QWidget *MirrorPhoneScreen::deviceCard()
{
    auto *card = new SectionCard(QStringLiteral("Device"), QStringLiteral("iphone.gen3"), this);
    m_deviceModel = bind::label(QString(), QStringLiteral("mirrorDeviceModel"), card);
    m_deviceModel->setFont(Theme::headlineFont());
    m_deviceVersion = bind::note(QString(), QStringLiteral("mirrorDeviceVersion"), card);
    m_deviceConnection = bind::note(QString(), QStringLiteral("mirrorDeviceConnection"), card);
    m_deviceEmpty = bind::note(QStringLiteral("Choose a phone at the bottom of the window."),
                               QStringLiteral("mirrorDeviceEmpty"), card);
    for (QLabel *label : {m_deviceModel, m_deviceVersion, m_deviceConnection, m_deviceEmpty})
        card->addWidget(label);
    return card;
}

QWidget *MirrorPhoneScreen::smartProfileCard()
{
    auto *card = new SectionCard(QStringLiteral("Smart Profile"), QStringLiteral("wand.and.stars"), this);
    m_qualityLabel = bind::label(QString(), QStringLiteral("mirrorQualityLabel"), card);
    m_qualityLabel->setFont(Theme::headlineFont());
    m_rationale = bind::note(QString(), QStringLiteral("mirrorRationale"), card);
    card->addWidget(m_qualityLabel);
    card->addWidget(m_rationale);
    m_resetToAuto = bind::button(QStringLiteral("Reset to Auto"), QStringLiteral("mirrorResetToAuto"), card);
    m_resetToAuto->setToolTip(QStringLiteral("Restore the recommended automatic profile"));
    m_recompute = bind::button(QStringLiteral("Recompute"), QStringLiteral("mirrorRecompute"), card,
                               QStringLiteral("arrow.clockwise"));
    m_recompute->setToolTip(QStringLiteral("Recompute the smart profile for this device"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_resetToAuto);
    row->addWidget(m_recompute);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    connect(m_resetToAuto, &QPushButton::clicked, this, [this] { m_model->resetToAuto(); });
    connect(m_recompute, &QPushButton::clicked, this, [this] {
        const QString mode = m_model->currentModeKey();
        m_model->recommend(mode, AppModel::Inspection::Fresh);
    });
    return card;
}

QWidget *MirrorPhoneScreen::profilesCard()
{
    auto *card = new SectionCard(QStringLiteral("Profiles"), QStringLiteral("slider.horizontal.3"), this);
    m_profile = new QComboBox(card);
    m_profile->setObjectName(QStringLiteral("mirrorProfile"));
    bind::formIn(card)->addRow(QStringLiteral("Profile"), m_profile);
    m_applyProfile = bind::button(QStringLiteral("Apply"), QStringLiteral("mirrorProfileApply"), card);
    QPushButton *save = bind::button(QStringLiteral("Save…"), QStringLiteral("mirrorProfileSave"), card);
    m_deleteProfile = bind::button(QStringLiteral("Delete"), QStringLiteral("mirrorProfileDelete"), card,
                                   QStringLiteral("trash"), Tone::Danger);
    auto *row = new QHBoxLayout;
    for (QPushButton *button : {m_applyProfile, save, m_deleteProfile})
        row->addWidget(button);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    connect(m_profile, &QComboBox::activated, this, [this](int index) {
        const QUuid id = m_profile->itemData(index).toUuid();
        m_model->setSelectedProfileId(id.isNull() ? std::nullopt : std::optional<QUuid>(id));
    });
    connect(m_applyProfile, &QPushButton::clicked, this, [this] {
        if (const std::optional<QUuid> id = m_model->selectedProfileId())
            m_model->applyProfile(*id);
    });
    connect(m_deleteProfile, &QPushButton::clicked, this, [this] {
        if (const std::optional<QUuid> id = m_model->selectedProfileId())
            m_model->deleteProfile(*id);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        m_model->saveProfile(QStringLiteral("Profile ") + QString::number(m_model->profiles().size() + 1));
    });
    return card;
}

QWidget *MirrorPhoneScreen::quickActionsCard()
{
    auto *card = new SectionCard(QStringLiteral("Quick Actions"), QStringLiteral("camera.aperture"), this);
    m_screenshot = bind::button(QStringLiteral("Screenshot"), QStringLiteral("mirrorScreenshot"), card);
    m_screenshotBusy = new BusyIndicator(16, card);
    m_screenshotBusy->setObjectName(QStringLiteral("mirrorScreenshotBusy"));
    QPushButton *media =
        bind::button(QStringLiteral("Media Folder"), QStringLiteral("mirrorMediaFolder"), card);
    media->setToolTip(QStringLiteral("Open recordings and screenshots"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_screenshot);
    row->addWidget(m_screenshotBusy);
    row->addWidget(media);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    connect(m_screenshot, &QPushButton::clicked, this, [this] { m_model->captureScreenshot(std::nullopt); });
    connect(media, &QPushButton::clicked, this, [this] { m_model->openMediaFolder(); });
    return card;
}

QWidget *MirrorPhoneScreen::qualityCard()
{
    auto *card = new SectionCard(QStringLiteral("Quality"), QStringLiteral("display"), this);
    QFormLayout *form = bind::formIn(card);
    const bind::Options<quint32> sizes{{QStringLiteral("Auto"), 0},
                                       {QStringLiteral("720p"), 720},
                                       {QStringLiteral("1080p"), 1080},
                                       {QStringLiteral("1600p"), 1600},
                                       {QStringLiteral("1920p"), 1920}};
    form->addRow(QStringLiteral("Resolution"),
                 bind::comboBox<quint32>(QStringLiteral("mirrorResolution"), sizes, m_settings, "maxSize",
                                         card, [](quint32 size) { return QString::number(size) + u'p'; }));
    bind::Options<quint32> rates{{QStringLiteral("Auto"), 0}};
    for (const quint32 fps : {15u, 30u, 60u, 90u, 120u})
        rates.append({QString::number(fps) + QStringLiteral(" fps"), fps});
    form->addRow(
        QStringLiteral("Frame rate"),
        bind::comboBox<quint32>(QStringLiteral("mirrorFrameRate"), rates, m_settings, "maxFps", card,
                                [](quint32 fps) { return QString::number(fps) + QStringLiteral(" fps"); }));
    const bind::Options<QString> codecs{{QStringLiteral("H.264"), QStringLiteral("h264")},
                                        {QStringLiteral("H.265"), QStringLiteral("h265")},
                                        {QStringLiteral("AV1"), QStringLiteral("av1")}};
    form->addRow(QStringLiteral("Video codec"),
                 bind::comboBox(QStringLiteral("mirrorCodec"), codecs, m_settings, "codec", card));
    QLabel *value = bind::label(QString(), QStringLiteral("mirrorBitrateValue"), card);
    QSlider *bitrate = bind::slider(
        QStringLiteral("mirrorBitrate"), 2, 40, 1, m_settings, "videoBitRate", value,
        [](double mbps) { return QString::number(mbps) + QStringLiteral(" Mbps"); }, card);
    auto *row = new QHBoxLayout;
    row->addWidget(bitrate, 1);
    row->addWidget(value);
    form->addRow(QStringLiteral("Video bitrate"), row);
    return card;
}

QWidget *MirrorPhoneScreen::audioCard()
{
    auto *card = new SectionCard(QStringLiteral("Audio"), QStringLiteral("speaker.wave.2"), this);
    card->addWidget(bind::checkBox(QStringLiteral("Forward audio"), QStringLiteral("mirrorAudio"), m_settings,
                                   "audio", card));
    const bind::Options<QString> sources{{QStringLiteral("Device output"), QStringLiteral("output")},
                                         {QStringLiteral("Microphone"), QStringLiteral("mic")}};
    QComboBox *source =
        bind::comboBox(QStringLiteral("mirrorAudioSource"), sources, m_settings, "audioSource", card);
    bind::formIn(card)->addRow(QStringLiteral("Audio source"), source);
    bind::watch(m_settings, "audio", source, [this, source] { source->setEnabled(m_settings->audio()); });
    return card;
}

QWidget *MirrorPhoneScreen::togglesCard()
{
    auto *card = new SectionCard(QStringLiteral("Session"), QStringLiteral("gearshape"), this);
    const QList<std::tuple<QString, QString, const char *>> toggles{
        {QStringLiteral("Creator Mode (show touches on screen)"), QStringLiteral("mirrorCreatorMode"),
         "isCreatorMode"},
        {QStringLiteral("Keep the phone awake while mirroring"), QStringLiteral("mirrorStayAwake"),
         "stayAwake"},
        {QStringLiteral("Turn the phone screen off"), QStringLiteral("mirrorTurnScreenOff"), "turnScreenOff"},
        {QStringLiteral("Sync clipboard between %1 and phone").arg(m_model->desktop().computer()),
         QStringLiteral("mirrorClipboardSync"), "clipboardSync"},
        {QStringLiteral("Start with a fullscreen window"), QStringLiteral("mirrorFullscreen"), "fullscreen"},
        {QStringLiteral("Record the session to MP4"), QStringLiteral("mirrorRecord"), "record"}};
    for (const auto &[label, name, property] : toggles)
        card->addWidget(bind::checkBox(label, name, m_settings, property, card));
    card->addWidget(bind::note(
        QStringLiteral("Saved to %1/Quorvane/Recordings/<date>/, or the folder chosen in Settings.")
            .arg(AppPaths::moviesFolderForDisplay()),
        QStringLiteral("mirrorRecordNote"), card));
    return card;
}

QWidget *MirrorPhoneScreen::advancedCard()
{
    auto *card = new SectionCard(QStringLiteral("Advanced"), QStringLiteral("cpu"), this);
    QFormLayout *form = bind::formIn(card);
    const bind::Options<std::optional<QString>> orientations{
        {QStringLiteral("Follow device"), std::nullopt},
        {QStringLiteral("Initial orientation"), QStringLiteral("initial")},
        {QStringLiteral("0°"), QStringLiteral("0")},
        {QStringLiteral("90°"), QStringLiteral("90")},
        {QStringLiteral("180°"), QStringLiteral("180")},
        {QStringLiteral("270°"), QStringLiteral("270")}};
    form->addRow(QStringLiteral("Capture orientation"),
                 bind::comboBox(QStringLiteral("mirrorOrientation"), orientations, m_settings,
                                "captureOrientation", card));
    form->addRow(QStringLiteral("Crop (width:height:x:y)"),
                 bind::lineEdit(QStringLiteral("mirrorCrop"), QStringLiteral("e.g. 1080:1920:0:0"),
                                m_settings, "crop", card));
    return card;
}

void MirrorPhoneScreen::refreshDevice()
{
    const std::optional<DeviceInfo> &device = m_model->selectedDevice();
    const std::optional<DeviceProfile> &profile = m_model->deviceProfile();
    const bool known = profile && device && profile->serial == device->serial;
    m_deviceModel->setText(device ? m_model->phoneName(*device) : QString());
    m_deviceVersion->setText(known ? QStringLiteral("Android ") + profile->androidVersion : QString());
    m_deviceConnection->setText(!device                ? QString()
                                : device->isWireless() ? QStringLiteral("Wireless")
                                                       : QStringLiteral("USB"));
    m_deviceModel->setVisible(device.has_value());
    m_deviceVersion->setVisible(known);
    m_deviceConnection->setVisible(device.has_value());
    m_deviceEmpty->setVisible(!device);
}

void MirrorPhoneScreen::refreshRecommendation()
{
    const std::optional<Recommendation> &recommendation = m_model->mirrorRecommendation();
    m_qualityLabel->setText(recommendation ? recommendation->qualityLabel : QString());
    QStringList lines;
    if (recommendation) {
        for (const QString &line : recommendation->rationale)
            lines << QStringLiteral("• ") + line;
    }
    m_rationale->setText(lines.join(QLatin1Char('\n')));
    m_qualityLabel->setVisible(recommendation.has_value());
    m_rationale->setVisible(recommendation.has_value());
}

void MirrorPhoneScreen::refreshProfiles()
{
    const QSignalBlocker blocker(m_profile);
    m_profile->clear();
    m_profile->addItem(QStringLiteral("None"), QUuid());
    for (const SavedProfile &profile : m_model->profiles()) {
        if (profile.mode == m_model->currentModeKey())
            m_profile->addItem(profile.name, profile.id);
    }
    const std::optional<QUuid> selected = m_model->selectedProfileId();
    const int index = selected ? m_profile->findData(*selected) : 0;
    m_profile->setCurrentIndex(std::max(index, 0));
    m_applyProfile->setEnabled(index > 0);
    m_deleteProfile->setEnabled(index > 0);
}

void MirrorPhoneScreen::refreshBusy()
{
    const bool capturing = m_model->capturingScreenshot();
    // Both ask the phone: without a usable one they could only fail.
    m_screenshot->setEnabled(m_model->phoneReady() && !capturing);
    m_recompute->setEnabled(m_model->phoneReady());
    m_screenshotBusy->setRunning(capturing);
    m_screenshotBusy->setVisible(capturing);
    m_resetToAuto->setEnabled(!m_model->resettingToAuto());
}

} // namespace quorvane::app

#include "CameraModeScreen.h"

#include "AppModel.h"
#include "BusyIndicator.h"
#include "ScreenBindings.h"
#include "ScreenPage.h"
#include "SectionCard.h"
#include "Theme.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

// A labelled row that can be hidden as a whole.
QWidget *formRow(const QString &label, QWidget *control, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *form = new QFormLayout(row);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(label, control);
    return row;
}

} // namespace

CameraModeScreen::CameraModeScreen(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_settings(model->cameraState())
{
    setObjectName(QStringLiteral("cameraModeScreen"));
    QVBoxLayout *column = scrollingColumn(this);
    for (QWidget *card :
         {headerCard(), selectionCard(), qualityCard(), zoomAndFramingCard(), audioCard(), recordingCard()})
        column->addWidget(card);
    column->addStretch(1);
    alignFormLabels(this);
    connect(m_model, &AppModel::deviceProfileChanged, this, &CameraModeScreen::refreshDevice);
    connect(m_model, &AppModel::selectedDeviceChanged, this, &CameraModeScreen::refreshDevice);
    connect(m_model, &AppModel::cameraCapabilitiesChanged, this, &CameraModeScreen::refreshCameras);
    connect(m_model, &AppModel::probingCamerasChanged, this, &CameraModeScreen::refreshBusy);
    connect(m_model, &AppModel::resettingToAutoChanged, this, &CameraModeScreen::refreshBusy);
    bind::watch(m_settings, "cameraId", this, [this] { refreshCameras(); });
    bind::watch(m_settings, "useExplicitCameraID", this, [this] {
        m_byId->setVisible(m_settings->useExplicitCameraID());
        m_byFacing->setVisible(!m_settings->useExplicitCameraID());
    });
    refreshDevice();
}

QWidget *CameraModeScreen::headerCard()
{
    auto *card = new SectionCard(QStringLiteral("Camera Mode"), QStringLiteral("camera.fill"), this);
    card->addWidget(bind::label(QStringLiteral("Stream the phone's camera through scrcpy."),
                                QStringLiteral("cameraHeader"), card));
    m_requirement = bind::note(QString(), QStringLiteral("cameraRequirement"), card);
    card->addWidget(m_requirement);
    m_probe = bind::button(QStringLiteral("Probe Cameras"), QStringLiteral("cameraProbe"), card);
    m_probeBusy = new BusyIndicator(16, card);
    m_probeBusy->setObjectName(QStringLiteral("cameraProbeBusy"));
    m_resetToAuto = bind::button(QStringLiteral("Reset to Auto"), QStringLiteral("cameraResetToAuto"), card);
    auto *row = new QHBoxLayout;
    row->addWidget(m_probe);
    row->addWidget(m_probeBusy);
    row->addWidget(m_resetToAuto);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    connect(m_probe, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> serial = m_model->selectedSerial())
            m_model->probeCameras(*serial);
    });
    connect(m_resetToAuto, &QPushButton::clicked, this, [this] { m_model->resetToAuto(); });
    return card;
}

QWidget *CameraModeScreen::selectionCard()
{
    auto *card = new SectionCard(QStringLiteral("Camera Selection"), QStringLiteral("camera.aperture"), this);
    card->addWidget(bind::checkBox(QStringLiteral("Pick camera by ID"), QStringLiteral("cameraUseId"),
                                   m_settings, "useExplicitCameraID", card));
    m_cameraId = new QComboBox(card);
    m_cameraId->setObjectName(QStringLiteral("cameraId"));
    m_byId = formRow(QStringLiteral("Camera ID"), m_cameraId, card);
    const bind::Options<QString> facings{{QStringLiteral("Back"), QStringLiteral("back")},
                                         {QStringLiteral("Front"), QStringLiteral("front")},
                                         {QStringLiteral("External"), QStringLiteral("external")}};
    m_byFacing = formRow(
        QStringLiteral("Facing"),
        bind::comboBox(QStringLiteral("cameraFacing"), facings, m_settings, "cameraFacing", card), card);
    card->addWidget(m_byId);
    card->addWidget(m_byFacing);
    connect(m_cameraId, &QComboBox::activated, this,
            [this](int index) { m_settings->setCameraId(m_cameraId->itemData(index).toString()); });
    return card;
}

QWidget *CameraModeScreen::fpsButtons()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *group = new QButtonGroup(row);
    for (const int fps : {15, 24, 30, 60}) {
        QPushButton *button = bind::button(QString::number(fps), QStringLiteral("cameraFps%1").arg(fps), row);
        button->setCheckable(true);
        group->addButton(button, fps);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    // The style's own checked look is barely darker; the chosen rate must stand out.
    Theme::follow(row, [row] {
        const QColor accent = Theme::color(Tone::Accent);
        row->setStyleSheet(
            QStringLiteral("QPushButton:checked { background: %1; color: white; border: 1px solid %2;"
                           " border-radius: 4px; padding: 4px 10px; font-weight: 600; }")
                .arg(accent.name(), accent.darker(115).name()));
    });
    bind::watch(m_settings, "maxFps", row, [this, group] {
        QAbstractButton *current = group->button(static_cast<int>(m_settings->maxFps()));
        group->setExclusive(current != nullptr);
        for (QAbstractButton *button : group->buttons())
            button->setChecked(button == current);
        group->setExclusive(true);
    });
    connect(group, &QButtonGroup::idClicked, this,
            [this](int fps) { m_settings->setMaxFps(static_cast<quint32>(fps)); });
    return row;
}

QWidget *CameraModeScreen::qualityCard()
{
    auto *card = new SectionCard(QStringLiteral("Quality"), QStringLiteral("display"), this);
    QFormLayout *form = bind::formIn(card);
    const bind::Options<quint32> sizes{{QStringLiteral("Native"), 0},
                                       {QStringLiteral("1280 px"), 1280},
                                       {QStringLiteral("1920 px"), 1920},
                                       {QStringLiteral("2560 px"), 2560}};
    form->addRow(
        QStringLiteral("Maximum size"),
        bind::comboBox<quint32>(QStringLiteral("cameraMaxSize"), sizes, m_settings, "maxSize", card,
                                [](quint32 size) { return QString::number(size) + QStringLiteral(" px"); }));
    form->addRow(QStringLiteral("Camera FPS"), fpsButtons());
    form->addRow(QString(), bind::checkBox(QStringLiteral("High speed"), QStringLiteral("cameraHighSpeed"),
                                           m_settings, "highSpeed", card));
    form->addRow(QStringLiteral("Capture size"),
                 bind::lineEdit(QStringLiteral("cameraSize"), QStringLiteral("1280x720"), m_settings,
                                "cameraSize", card));
    const bind::Options<QString> codecs{{QStringLiteral("H.264"), QStringLiteral("h264")},
                                        {QStringLiteral("H.265"), QStringLiteral("h265")},
                                        {QStringLiteral("AV1"), QStringLiteral("av1")}};
    form->addRow(QStringLiteral("Codec"),
                 bind::comboBox(QStringLiteral("cameraCodec"), codecs, m_settings, "codec", card));
    QLabel *value = bind::label(QString(), QStringLiteral("cameraBitrateValue"), card);
    auto *row = new QHBoxLayout;
    row->addWidget(bind::slider(
                       QStringLiteral("cameraBitrate"), 2, 40, 1, m_settings, "videoBitRate", value,
                       [](double mbps) { return QString::number(mbps) + QStringLiteral(" Mbps"); }, card),
                   1);
    row->addWidget(value);
    form->addRow(QStringLiteral("Bitrate"), row);
    return card;
}

QWidget *CameraModeScreen::zoomAndFramingCard()
{
    auto *card =
        new SectionCard(QStringLiteral("Zoom and Framing"), QStringLiteral("slider.horizontal.3"), this);
    QFormLayout *form = bind::formIn(card);
    QLabel *value = bind::label(QString(), QStringLiteral("cameraZoomValue"), card);
    QSlider *zoom = bind::slider(
        QStringLiteral("cameraZoom"), 1, 10, 10, m_settings, "zoom", value,
        [](double factor) { return QString::number(factor, 'f', 1); }, card);
    bind::watch(m_settings, "useZoom", zoom, [this, zoom] { zoom->setEnabled(m_settings->useZoom()); });
    QCheckBox *useZoom =
        bind::checkBox(QStringLiteral("On"), QStringLiteral("cameraUseZoom"), m_settings, "useZoom", card);
    useZoom->setAccessibleName(QStringLiteral("Digital zoom"));
    auto *row = new QHBoxLayout;
    row->addWidget(useZoom);
    row->addWidget(zoom, 1);
    row->addWidget(value);
    form->addRow(QStringLiteral("Digital zoom"), row);
    form->addRow(QString(), bind::checkBox(QStringLiteral("Torch"), QStringLiteral("cameraTorch"), m_settings,
                                           "torch", card));
    const bind::Options<QString> ratios{{QStringLiteral("Automatic"), QStringLiteral("auto")},
                                        {QStringLiteral("Sensor"), QStringLiteral("sensor")},
                                        {QStringLiteral("16:9"), QStringLiteral("16:9")},
                                        {QStringLiteral("4:3"), QStringLiteral("4:3")}};
    form->addRow(QStringLiteral("Aspect ratio"), bind::comboBox(QStringLiteral("cameraAspectRatio"), ratios,
                                                                m_settings, "aspectRatio", card));
    const bind::Options<std::optional<QString>> orientations{
        {QStringLiteral("Follow device"), std::nullopt},
        {QStringLiteral("Lock current"), QStringLiteral("initial")},
        {QStringLiteral("Lock 0°"), QStringLiteral("0")},
        {QStringLiteral("Lock 90°"), QStringLiteral("90")},
        {QStringLiteral("Lock 180°"), QStringLiteral("180")},
        {QStringLiteral("Lock 270°"), QStringLiteral("270")}};
    form->addRow(QStringLiteral("Orientation"),
                 bind::comboBox(QStringLiteral("cameraOrientation"), orientations, m_settings,
                                "captureOrientation", card));
    return card;
}

QWidget *CameraModeScreen::audioCard()
{
    auto *card = new SectionCard(QStringLiteral("Audio"), QStringLiteral("speaker.wave.2"), this);
    card->addWidget(bind::checkBox(QStringLiteral("Forward audio"), QStringLiteral("cameraAudio"), m_settings,
                                   "audio", card));
    const bind::Options<QString> sources{{QStringLiteral("Microphone"), QStringLiteral("mic")},
                                         {QStringLiteral("Device output"), QStringLiteral("output")}};
    QComboBox *source =
        bind::comboBox(QStringLiteral("cameraAudioSource"), sources, m_settings, "audioSource", card);
    bind::formIn(card)->addRow(QStringLiteral("Source"), source);
    bind::watch(m_settings, "audio", source, [this, source] { source->setEnabled(m_settings->audio()); });
    return card;
}

QWidget *CameraModeScreen::recordingCard()
{
    auto *card = new SectionCard(QStringLiteral("Recording"), QStringLiteral("record.circle"), this);
    QCheckBox *recording = bind::checkBox(QStringLiteral("Record the stream to MP4"),
                                          QStringLiteral("cameraRecord"), m_settings, "record", card);
    recording->setToolTip(QStringLiteral("Record the camera stream when the session starts"));
    card->addWidget(recording);
    QPushButton *media =
        bind::button(QStringLiteral("Media Folder"), QStringLiteral("cameraMediaFolder"), card);
    auto *row = new QHBoxLayout;
    row->addWidget(media);
    row->addStretch(1);
    card->contentLayout()->addLayout(row);
    // scrcpy cannot take a still from a camera stream; the recording is how the camera's picture is kept.
    card->addWidget(bind::note(QStringLiteral("Still frames cannot be taken from a camera stream; record the "
                                              "stream to keep what the camera shows."),
                               QStringLiteral("cameraRecordNote"), card));
    connect(media, &QPushButton::clicked, this, [this] { m_model->openMediaFolder(); });
    return card;
}

void CameraModeScreen::refreshDevice()
{
    const std::optional<DeviceProfile> &profile = m_model->deviceProfile();
    m_requirement->setText(
        QStringLiteral("Requires Android 12 or newer (SDK 31+). Current: ") +
        (profile ? QStringLiteral("Android ") + profile->androidVersion : QStringLiteral("unknown")));
    refreshBusy();
}

void CameraModeScreen::refreshCameras()
{
    const QSignalBlocker blocker(m_cameraId);
    m_cameraId->clear();
    const std::optional<CameraCapabilities> &capabilities = m_model->cameraCapabilities();
    if (capabilities) {
        for (const CameraInfo &camera : capabilities->cameras) {
            QString text = camera.cameraId + QStringLiteral(" — ") + camera.label();
            if (capabilities->recommendedCameraId == camera.cameraId)
                text += QStringLiteral(" (Recommended)");
            m_cameraId->addItem(text, camera.cameraId);
        }
    }
    const std::optional<QString> &selected = m_settings->cameraId();
    m_cameraId->setCurrentIndex(selected ? m_cameraId->findData(*selected) : -1);
}

void CameraModeScreen::refreshBusy()
{
    const bool probing = m_model->probingCameras();
    m_probe->setEnabled(!probing && m_model->selectedSerial().has_value());
    m_probeBusy->setRunning(probing);
    m_probeBusy->setVisible(probing);
    m_resetToAuto->setEnabled(!m_model->resettingToAuto());
}

} // namespace quorvane::app

#include "PhoneDumpsys.h"

#include <QJsonArray>

namespace devsim {

namespace {

const QString builtInId = QStringLiteral("4619827259835644672");

QString text(const QJsonObject &display, const char *key)
{
    return display.value(QLatin1String(key)).toVariant().toString();
}

bool isVirtual(const QJsonObject &display)
{
    return text(display, "type") == QLatin1String("virtual");
}

QString logicalDisplay(const QJsonObject &d)
{
    return QStringLiteral(
               "  Display %1:\n"
               "    mDisplayId=%1\n"
               "    mPhase=1\n"
               "    mLayerStack=%1\n"
               "    mHasContent=true\n"
               "    mDesiredDisplayModeSpecs={baseModeId=1 allowGroupSwitching=false "
               "primaryRefreshRateRange=[0 60] appRequestRefreshRateRange=[0 Infinity]}\n"
               "    mRequestedColorMode=0\n"
               "    mDisplayOffset=(0, 0)\n"
               "    mDisplayScalingDisabled=false\n"
               "    mPrimaryDisplayDevice=%2(%3)\n"
               "    mBaseDisplayInfo=DisplayInfo{\"%2\", displayId %1, real %4 x %5, largest app %4 x "
               "%5, smallest app %4 x %5, density %6 (%6.0 x %6.0) dpi, layerStack %1, state ON}\n")
        .arg(text(d, "id"), text(d, "name"), text(d, "uniqueId"), text(d, "width"), text(d, "height"),
             text(d, "density"));
}

QString displayDevice(const QJsonObject &d)
{
    const QString adapter =
        isVirtual(d) ? QStringLiteral("VirtualDisplayAdapter") : QStringLiteral("LocalDisplayAdapter");
    return QStringLiteral(
               "  DisplayDeviceInfo{\"%1\": uniqueId=\"%2\", %3 x %4, modeId 1, defaultModeId 1, density "
               "%5, %5.0 x %5.0 dpi, touch %6, rotation 0, type %7, state ON}\n"
               "    mAdapter=%8\n"
               "    mUniqueId=%2\n"
               "    mCurrentLayerStack=%9\n")
        .arg(text(d, "name"), text(d, "uniqueId"), text(d, "width"), text(d, "height"), text(d, "density"),
             isVirtual(d) ? QStringLiteral("VIRTUAL") : QStringLiteral("INTERNAL"),
             isVirtual(d) ? QStringLiteral("VIRTUAL") : QStringLiteral("INTERNAL"), adapter, text(d, "id"));
}

} // namespace

PhoneDumpsys::PhoneDumpsys(const QJsonObject &phone)
    : m_phone(phone)
{
}

QList<QJsonObject> PhoneDumpsys::displays() const
{
    const QJsonObject screen = m_phone.value(QStringLiteral("screen")).toObject();
    const QJsonObject builtIn{
        {QStringLiteral("id"), 0},
        {QStringLiteral("name"), QStringLiteral("Built-in Screen")},
        {QStringLiteral("uniqueId"), QStringLiteral("local:") + builtInId},
        {QStringLiteral("captureId"), builtInId},
        {QStringLiteral("type"), QStringLiteral("internal")},
        {QStringLiteral("width"), screen.value(QStringLiteral("width")).toInt(1080)},
        {QStringLiteral("height"), screen.value(QStringLiteral("height")).toInt(2400)},
        {QStringLiteral("density"), screen.value(QStringLiteral("density")).toInt(420)}};
    const QJsonArray configured = m_phone.value(QStringLiteral("displays")).toArray();
    if (configured.isEmpty())
        return {builtIn};
    QList<QJsonObject> result;
    for (const QJsonValue &value : configured) {
        // Missing fields take the built-in screen's values, so a world may list only what differs.
        QJsonObject display = builtIn;
        const QJsonObject given = value.toObject();
        for (auto it = given.begin(); it != given.end(); ++it)
            display.insert(it.key(), it.value());
        if (!given.contains(QStringLiteral("captureId")))
            display.insert(QStringLiteral("captureId"),
                           text(display, "uniqueId").section(QLatin1Char(':'), -1));
        result.append(display);
    }
    return result;
}

Reply PhoneDumpsys::run(const QStringList &words) const
{
    const QJsonObject raw = m_phone.value(QStringLiteral("dumpsys")).toObject();
    const QString key = words.join(QLatin1Char(' '));
    if (raw.contains(key))
        return Reply::ok(raw.value(key).toString());
    const QString service = words.value(0);
    if (service == QLatin1String("display"))
        return Reply::ok(displayService());
    if (service == QLatin1String("SurfaceFlinger"))
        return Reply::ok(surfaceFlinger(words.contains(QStringLiteral("--display-id"))));
    if (service == QLatin1String("window"))
        return Reply::ok(windowPolicy());
    return Reply::error(QStringLiteral("Can't find service: %1\n").arg(service));
}

// The policy part of the window manager's dump, as Android 12 to 14 write it; the whole `dumpsys window`
// holds it too.
QString PhoneDumpsys::windowPolicy() const
{
    const QString locked =
        m_phone.value(QStringLiteral("locked")).toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QStringLiteral("WINDOW MANAGER POLICY STATE (dumpsys window policy)\n"
                          "    mSafeMode=false mSystemReady=true mSystemBooted=true\n"
                          "    mCameraLensCoverState=LENS_COVER_ABSENT\n"
                          "    mWakeGestureEnabledSetting=true\n"
                          "    mLidState=LID_ABSENT mLidOpenRotation=-1\n"
                          "    mDockMode=EXTRA_DOCK_STATE_UNDOCKED\n"
                          "    mDreamingLockscreen=%1\n"
                          "    mDreamingSleepToken=null\n"
                          "    mKeyguardOccluded=false\n"
                          "    mKeyguardDrawComplete=true mWindowManagerDrawComplete=true\n"
                          "    KeyguardServiceDelegate\n"
                          "      showing=%1\n"
                          "      inputRestricted=%1\n"
                          "      occluded=false\n"
                          "      secure=true\n"
                          "      dreaming=false\n"
                          "      systemIsReady=true\n"
                          "      deviceHasKeyguard=true\n"
                          "      enabled=true\n"
                          "      offReason=OFF_BECAUSE_OF_USER\n"
                          "      currentUser=0\n"
                          "    WindowOrientationListener\n"
                          "      mEnabled=false\n")
        .arg(locked);
}

QString PhoneDumpsys::displayService() const
{
    const QList<QJsonObject> list = displays();
    QString devices;
    QString logical;
    for (const QJsonObject &display : list) {
        devices += displayDevice(display);
        logical += logicalDisplay(display);
    }
    return QStringLiteral("DISPLAY MANAGER (dumpsys display)\n"
                          "  mOnlyCore=false\n"
                          "  mSafeMode=false\n"
                          "  mPendingTraversal=false\n"
                          "  mDefaultDisplayDefaultColorMode=0\n"
                          "  mWifiDisplayScanRequestCount=0\n"
                          "\n"
                          "Display Adapters: size=2\n"
                          "  LocalDisplayAdapter\n"
                          "  VirtualDisplayAdapter\n"
                          "\n"
                          "Display Devices: size=%1\n%2\n"
                          "Logical Displays: size=%1\n%3")
        .arg(list.size())
        .arg(devices, logical);
}

// The identification lines come from the hardware composer, so only physical displays have one.
QString PhoneDumpsys::surfaceFlinger(bool identificationOnly) const
{
    QString identification;
    QString devices;
    int port = 0;
    for (const QJsonObject &display : displays()) {
        // Android 14 prints each display as an indented block of key=value lines.
        devices += QStringLiteral("Display %1\n    name=\"%2\"\n    powerMode=On\n    isPrimary=%3\n"
                                  "    virtual=%4\n")
                       .arg(text(display, "captureId"), text(display, "name"),
                            text(display, "id") == QLatin1String("0") ? QStringLiteral("true")
                                                                      : QStringLiteral("false"),
                            isVirtual(display) ? QStringLiteral("true") : QStringLiteral("false"));
        if (isVirtual(display))
            continue;
        identification +=
            QStringLiteral("Display %1 (HWC display %2): port=%2 pnpId=GGL displayName=\"%3\"\n")
                .arg(text(display, "captureId"))
                .arg(port++)
                .arg(text(display, "name"));
    }
    if (identificationOnly)
        return identification;
    return QStringLiteral(
               "Build configuration: [sf PRESENT_TIME_OFFSET=0 FORCE_HWC_FOR_RBG_TO_YUV=1 "
               "MAX_VIRT_DISPLAY_DIM=0 RUNNING_WITHOUT_SYNC_FRAMEWORK=0 NUM_FRAMEBUFFER_SURFACE_BUFFERS=3]\n"
               "\nDisplay identification data:\n%1\nDisplays (%2 entries)\n%3")
        .arg(identification)
        .arg(displays().size())
        .arg(devices);
}

std::optional<QJsonObject> PhoneDumpsys::captureTarget(const std::optional<QString> &captureId) const
{
    const QList<QJsonObject> list = displays();
    if (!captureId)
        return list.first();
    for (const QJsonObject &display : list) {
        if (text(display, "captureId") == *captureId)
            return display;
    }
    return std::nullopt;
}

int PhoneDumpsys::physicalDisplayCount() const
{
    const QList<QJsonObject> list = displays();
    return static_cast<int>(
        std::count_if(list.begin(), list.end(), [](const QJsonObject &d) { return !isVirtual(d); }));
}

} // namespace devsim

#include "DevSim.h"

#include "AdbInstallations.h"
#include "RuntimeLocator.h"
#include "WirelessDebugging.h"
#include "World.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <algorithm>

namespace quorvane::test {

namespace {

QJsonObject pixelProperties(const QString &serial)
{
    return {
        {QStringLiteral("ro.product.manufacturer"), QStringLiteral("Google")},
        {QStringLiteral("ro.product.brand"), QStringLiteral("google")},
        {QStringLiteral("ro.product.model"), QStringLiteral("Pixel 8")},
        {QStringLiteral("ro.product.name"), QStringLiteral("shiba")},
        {QStringLiteral("ro.product.device"), QStringLiteral("shiba")},
        {QStringLiteral("ro.build.version.release"), QStringLiteral("14")},
        {QStringLiteral("ro.build.version.sdk"), QStringLiteral("34")},
        {QStringLiteral("ro.build.fingerprint"),
         QStringLiteral("google/shiba/shiba:14/AP2A.240805.005/12025142:user/release-keys")},
        {QStringLiteral("ro.serialno"), serial},
        {QStringLiteral("ro.boot.serialno"), serial},
        {QStringLiteral("ro.hardware"), QStringLiteral("shiba")},
        {QStringLiteral("persist.sys.locale"), QStringLiteral("en-US")},
    };
}

QJsonObject encoder(const char *codec, const char *name, bool hardware)
{
    return {{QStringLiteral("codec"), QLatin1String(codec)},
            {QStringLiteral("name"), QLatin1String(name)},
            {QStringLiteral("hw"), hardware},
            {QStringLiteral("vendor"), hardware}};
}

QJsonObject pixelEncoders()
{
    return {{QStringLiteral("video"), QJsonArray{encoder("h264", "c2.exynos.h264.encoder", true),
                                                 encoder("h264", "c2.android.avc.encoder", false),
                                                 encoder("h265", "c2.exynos.hevc.encoder", true),
                                                 encoder("h265", "c2.android.hevc.encoder", false),
                                                 encoder("vp8", "c2.android.vp8.encoder", false),
                                                 encoder("vp9", "c2.android.vp9.encoder", false),
                                                 encoder("av1", "c2.android.av1.encoder", false)}},
            {QStringLiteral("audio"), QJsonArray{encoder("opus", "c2.android.opus.encoder", false),
                                                 encoder("aac", "c2.android.aac.encoder", false),
                                                 encoder("flac", "c2.android.flac.encoder", false)}}};
}

QJsonArray pixelCameras()
{
    const QJsonObject back{
        {QStringLiteral("id"), QStringLiteral("0")},
        {QStringLiteral("facing"), QStringLiteral("back")},
        {QStringLiteral("fps"), QJsonArray{15, 24, 30, 60}},
        {QStringLiteral("zoomRange"), QJsonArray{QStringLiteral("1"), QStringLiteral("8")}},
        {QStringLiteral("sizes"),
         QJsonArray{QStringLiteral("4080x3072"), QStringLiteral("4000x3000"), QStringLiteral("3840x2160"),
                    QStringLiteral("1920x1080"), QStringLiteral("1280x720"), QStringLiteral("640x480")}},
        {QStringLiteral("highSpeed"),
         QJsonArray{QJsonObject{{QStringLiteral("size"), QStringLiteral("1920x1080")},
                                {QStringLiteral("fps"), QJsonArray{120, 240}}},
                    QJsonObject{{QStringLiteral("size"), QStringLiteral("1280x720")},
                                {QStringLiteral("fps"), QJsonArray{120, 240}}}}}};
    const QJsonObject front{
        {QStringLiteral("id"), QStringLiteral("1")},
        {QStringLiteral("facing"), QStringLiteral("front")},
        {QStringLiteral("fps"), QJsonArray{15, 24, 30}},
        {QStringLiteral("zoomRange"), QJsonArray{QStringLiteral("1"), QStringLiteral("4")}},
        {QStringLiteral("sizes"), QJsonArray{QStringLiteral("3280x2464"), QStringLiteral("1920x1080"),
                                             QStringLiteral("1280x720"), QStringLiteral("640x480")}}};
    return {back, front};
}

QJsonObject pixelSettings()
{
    return {{QStringLiteral("global"),
             QJsonObject{{QStringLiteral("stay_on_while_plugged_in"), QStringLiteral("0")},
                         {QStringLiteral("adb_enabled"), QStringLiteral("1")},
                         {QStringLiteral("development_settings_enabled"), QStringLiteral("1")}}},
            {QStringLiteral("system"),
             QJsonObject{{QStringLiteral("show_touches"), QStringLiteral("0")},
                         {QStringLiteral("screen_off_timeout"), QStringLiteral("30000")}}},
            {QStringLiteral("secure"),
             QJsonObject{{QStringLiteral("android_id"), QStringLiteral("3f9c2e7a1b04d8e6")}}}};
}

QJsonObject pixel(const QString &serial, const QString &wifiAddress)
{
    return {{QStringLiteral("properties"), pixelProperties(serial)},
            {QStringLiteral("settings"), pixelSettings()},
            {QStringLiteral("screen"), QJsonObject{{QStringLiteral("width"), 1080},
                                                   {QStringLiteral("height"), 2400},
                                                   {QStringLiteral("density"), 420}}},
            {QStringLiteral("encoders"), pixelEncoders()},
            {QStringLiteral("cameras"), pixelCameras()},
            {QStringLiteral("wifi"),
             QJsonObject{{QStringLiteral("address"), wifiAddress}, {QStringLiteral("prefix"), 24}}},
            {QStringLiteral("launcher"),
             QStringLiteral("com.google.android.apps.nexuslauncher/.NexusLauncherActivity")}};
}

QJsonArray withAppended(const QJsonValue &array, const QJsonValue &value)
{
    QJsonArray result = array.toArray();
    result.append(value);
    return result;
}

// Sets the value under the path of keys, making the objects on the way.
void insertAt(QJsonObject &object, QStringList path, const QJsonValue &value)
{
    const QString key = path.takeFirst();
    if (path.isEmpty()) {
        object.insert(key, value);
        return;
    }
    QJsonObject inner = object.value(key).toObject();
    insertAt(inner, path, value);
    object.insert(key, inner);
}

// Adds a transport with the next free id.
void appendTransport(QJsonObject &world, QJsonObject transport)
{
    int id = 1;
    for (const QJsonValue &value : world.value(QStringLiteral("transports")).toArray())
        id = std::max(id, value.toObject().value(QStringLiteral("id")).toInt() + 1);
    transport.insert(QStringLiteral("id"), id);
    world.insert(QStringLiteral("transports"),
                 withAppended(world.value(QStringLiteral("transports")), transport));
}

} // namespace

DevSim::Phone::Phone(DevSim &sim, QString id)
    : m_sim(sim)
    , m_id(std::move(id))
{
}

QString DevSim::Phone::serial() const
{
    for (const QJsonValue &value : m_sim.readWorld().value(QStringLiteral("transports")).toArray()) {
        if (value.toObject().value(QStringLiteral("phone")).toString() == m_id)
            return value.toObject().value(QStringLiteral("serial")).toString();
    }
    return {};
}

QJsonObject DevSim::Phone::read() const
{
    return devsim::World::phone(m_sim.readWorld(), m_id);
}

void DevSim::Phone::change(const std::function<void(QJsonObject &)> &edit)
{
    m_sim.updateWorld([&](QJsonObject &world) {
        QJsonObject phone = world.value(QStringLiteral("phones")).toObject().value(m_id).toObject();
        edit(phone);
        insertAt(world, {QStringLiteral("phones"), m_id}, phone);
    });
}

DevSim::Phone &DevSim::Phone::set(const QString &key, const QJsonValue &value)
{
    change([&](QJsonObject &phone) { phone.insert(key, value); });
    return *this;
}

DevSim::Phone &DevSim::Phone::property(const QString &key, const QString &value)
{
    change([&](QJsonObject &phone) { insertAt(phone, {QStringLiteral("properties"), key}, value); });
    return *this;
}

DevSim::Phone &DevSim::Phone::model(const QString &model)
{
    return property(QStringLiteral("ro.product.model"), model);
}

DevSim::Phone &DevSim::Phone::manufacturer(const QString &manufacturer, const QString &brand)
{
    property(QStringLiteral("ro.product.manufacturer"), manufacturer);
    return property(QStringLiteral("ro.product.brand"), brand);
}

DevSim::Phone &DevSim::Phone::android(const QString &release, int sdk)
{
    property(QStringLiteral("ro.build.version.release"), release);
    return property(QStringLiteral("ro.build.version.sdk"), QString::number(sdk));
}

DevSim::Phone &DevSim::Phone::setting(const QString &space, const QString &key, const QString &value)
{
    change([&](QJsonObject &phone) { insertAt(phone, {QStringLiteral("settings"), space, key}, value); });
    return *this;
}

DevSim::Phone &DevSim::Phone::screen(int width, int height, int density)
{
    return set(QStringLiteral("screen"), QJsonObject{{QStringLiteral("width"), width},
                                                     {QStringLiteral("height"), height},
                                                     {QStringLiteral("density"), density}});
}

DevSim::Phone &DevSim::Phone::noWifi()
{
    change([](QJsonObject &phone) { phone.remove(QStringLiteral("wifi")); });
    return *this;
}

DevSim::Phone &DevSim::Phone::videoEncoders(const QJsonArray &encoders)
{
    change([&](QJsonObject &phone) {
        insertAt(phone, {QStringLiteral("encoders"), QStringLiteral("video")}, encoders);
    });
    return *this;
}

DevSim::Phone &DevSim::Phone::cameras(const QJsonArray &cameras)
{
    return set(QStringLiteral("cameras"), cameras);
}

DevSim::Phone &DevSim::Phone::displays(const QJsonArray &displays)
{
    return set(QStringLiteral("displays"), displays);
}

DevSim::Phone &DevSim::Phone::state(const QString &state)
{
    m_sim.updateWorld([&](QJsonObject &world) {
        QJsonArray transports = world.value(QStringLiteral("transports")).toArray();
        for (qsizetype i = 0; i < transports.size(); ++i) {
            QJsonObject transport = transports[i].toObject();
            if (transport.value(QStringLiteral("phone")).toString() == m_id) {
                transport.insert(QStringLiteral("state"), state);
                transports[i] = transport;
            }
        }
        world.insert(QStringLiteral("transports"), transports);
    });
    return *this;
}

DevSim::Phone &DevSim::Phone::alsoWireless()
{
    const QString address =
        read().value(QStringLiteral("wifi")).toObject().value(QStringLiteral("address")).toString();
    set(QStringLiteral("tcpipPort"), 5555);
    m_sim.updateWorld([&](QJsonObject &world) {
        appendTransport(world, {{QStringLiteral("serial"), address + QStringLiteral(":5555")},
                                {QStringLiteral("state"), QStringLiteral("device")},
                                {QStringLiteral("phone"), m_id}});
    });
    return *this;
}

int DevSim::Phone::setWirelessDebugging(bool enabled)
{
    int port = 0;
    m_sim.updateWorld(
        [&](QJsonObject &world) { port = devsim::WirelessDebugging::setEnabled(world, m_id, enabled); });
    return port;
}

DevSim::DevSim(const TestHome &home)
    : m_worldPath(home.file(QStringLiteral("devsim/world.json")))
    , m_logPath(home.file(QStringLiteral("devsim/calls.jsonl")))
{
    qputenv("DEVSIM_WORLD", m_worldPath.toUtf8());
    qputenv("DEVSIM_LOG", m_logPath.toUtf8());
    // The same simulator file answers for another world now.
    RuntimeLocator::forgetScrcpyReleases();
    // The computer's own adb would otherwise count as a second installation in every Doctor run.
    AdbInstallations::setFoldersOverride(QStringList{});
    devsim::World::write(m_worldPath, QJsonObject{});
}

DevSim::~DevSim()
{
    qunsetenv("DEVSIM_WORLD");
    qunsetenv("DEVSIM_LOG");
    AdbInstallations::setFoldersOverride(std::nullopt);
    if (m_bundleInstalled)
        RuntimeLocator::setBundledDirectoryOverride(std::nullopt);
    if (m_previousPath)
        qputenv("PATH", *m_previousPath);
}

DevSim::Phone DevSim::addPhone(const QString &serial, Connection connection)
{
    const int index = m_phoneCount++;
    const QString id = QStringLiteral("phone%1").arg(index + 1);
    const QString address = connection == Connection::Wireless
                                ? serial.section(QLatin1Char(':'), 0, 0)
                                : QStringLiteral("192.168.1.%1").arg(20 + index);
    const QString hardwareSerial = connection == Connection::Wireless
                                       ? QStringLiteral("39151FDJH%1").arg(index + 1, 5, 10, QLatin1Char('0'))
                                       : serial;
    updateWorld([&](QJsonObject &world) {
        QJsonObject phone = pixel(hardwareSerial, address);
        if (connection == Connection::Wireless)
            phone.insert(QStringLiteral("tcpipPort"), 5555);
        insertAt(world, {QStringLiteral("phones"), id}, phone);
        QJsonObject transport{{QStringLiteral("serial"), serial},
                              {QStringLiteral("state"), QStringLiteral("device")},
                              {QStringLiteral("phone"), id}};
        if (connection == Connection::Usb)
            transport.insert(QStringLiteral("usb"), QStringLiteral("1-%1").arg(index + 1));
        appendTransport(world, transport);
    });
    return Phone(*this, id);
}

DevSim::Phone DevSim::phone(const QString &id)
{
    return Phone(*this, id);
}

void DevSim::addTransport(const QString &serial, const QString &state)
{
    updateWorld([&](QJsonObject &world) {
        appendTransport(world, {{QStringLiteral("serial"), serial}, {QStringLiteral("state"), state}});
    });
}

void DevSim::addFault(const QStringList &args, int exitCode, const QString &stderrText,
                      const QString &stdoutText, const std::optional<QString> &serial)
{
    QJsonObject fault{{QStringLiteral("tool"), QStringLiteral("adb")},
                      {QStringLiteral("args"), QJsonArray::fromStringList(args)},
                      {QStringLiteral("exitCode"), exitCode},
                      {QStringLiteral("stderr"), stderrText},
                      {QStringLiteral("stdout"), stdoutText}};
    if (serial)
        fault.insert(QStringLiteral("serial"), *serial);
    addFault(fault);
}

void DevSim::addFault(const QJsonObject &fault)
{
    updateWorld([&](QJsonObject &world) {
        world.insert(QStringLiteral("faults"), withAppended(world.value(QStringLiteral("faults")), fault));
    });
}

void DevSim::addLaunchRule(const QStringList &whenArgs, int exitCode, const QString &message)
{
    QJsonObject rule{{QStringLiteral("whenArgs"), QJsonArray::fromStringList(whenArgs)},
                     {QStringLiteral("exitCode"), exitCode}};
    if (!message.isEmpty())
        rule.insert(QStringLiteral("message"), message);
    addLaunchRule(rule);
}

void DevSim::addLaunchRule(const QJsonObject &rule)
{
    updateWorld([&](QJsonObject &world) {
        const QJsonValue rules =
            world.value(QStringLiteral("scrcpy")).toObject().value(QStringLiteral("launchRules"));
        insertAt(world, {QStringLiteral("scrcpy"), QStringLiteral("launchRules")}, withAppended(rules, rule));
    });
}

void DevSim::setScrcpy(const QString &key, const QJsonValue &value)
{
    updateWorld([&](QJsonObject &world) { insertAt(world, {QStringLiteral("scrcpy"), key}, value); });
    RuntimeLocator::forgetScrcpyReleases();
}

void DevSim::setAdbVersion(const QString &version)
{
    updateWorld([&](QJsonObject &world) {
        insertAt(world, {QStringLiteral("adb"), QStringLiteral("version")}, version);
    });
}

void DevSim::setServerRunning(bool running)
{
    updateWorld([&](QJsonObject &world) {
        insertAt(world, {QStringLiteral("adb"), QStringLiteral("serverRunning")}, running);
    });
}

void DevSim::setConnectOutcome(const QString &address, const QString &outcome)
{
    updateWorld([&](QJsonObject &world) { insertAt(world, {QStringLiteral("connect"), address}, outcome); });
}

void DevSim::addPairing(const QString &address, const QString &code, const QString &guid)
{
    updateWorld([&](QJsonObject &world) {
        insertAt(world, {QStringLiteral("pairing"), address},
                 QJsonObject{{QStringLiteral("code"), code}, {QStringLiteral("guid"), guid}});
    });
}

void DevSim::updateWorld(const std::function<void(QJsonObject &)> &edit)
{
    devsim::World::update(m_worldPath, edit);
}

QJsonObject DevSim::readWorld() const
{
    return devsim::World::read(m_worldPath);
}

QList<QJsonObject> DevSim::calls() const
{
    QFile file(m_logPath);
    QList<QJsonObject> result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            result.append(QJsonDocument::fromJson(line).object());
    }
    return result;
}

QList<QStringList> DevSim::callArguments(const QString &tool) const
{
    QList<QStringList> result;
    for (const QJsonObject &call : calls()) {
        if (call.value(QStringLiteral("tool")).toString() != tool)
            continue;
        QStringList arguments;
        for (const QJsonValue &value : call.value(QStringLiteral("argv")).toArray())
            arguments.append(value.toString());
        result.append(arguments);
    }
    return result;
}

int DevSim::callsWith(const QString &tool, const QStringList &words) const
{
    const QList<QStringList> calls = callArguments(tool);
    return static_cast<int>(
        std::count_if(calls.cbegin(), calls.cend(), [&words](const QStringList &arguments) {
            return std::all_of(words.cbegin(), words.cend(),
                               [&arguments](const QString &word) { return arguments.contains(word); });
        }));
}

QList<QStringList> DevSim::scrcpySessions() const
{
    QList<QStringList> sessions = callArguments(QStringLiteral("scrcpy"));
    sessions.removeIf([](const QStringList &arguments) {
        return !arguments.contains(QStringLiteral("--shortcut-mod=lctrl,lalt"));
    });
    return sessions;
}

QList<qint64> DevSim::runningProcesses() const
{
    static const QList<QByteArray> programs{"adb", "scrcpy", "devsim"};
    const QByteArray marker = "DEVSIM_WORLD=" + m_worldPath.toUtf8();
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
        // A zombie has an empty command line: it has ended and only waits to be reaped.
        if (!isPid || !cmdline.open(QIODevice::ReadOnly) || !environ.open(QIODevice::ReadOnly))
            continue;
        const QByteArray program = cmdline.readAll().split('\0').value(0);
        if (programs.contains(program.mid(program.lastIndexOf('/') + 1)) &&
            environ.readAll().split('\0').contains(marker))
            found.append(pid);
    }
    return found;
}

QString DevSim::binDir() const
{
    // ctest names the folder; a test started by hand finds it beside its own build/bin.
    const QString directory = qEnvironmentVariable("DEVSIM_BIN_DIR");
    if (!directory.isEmpty())
        return directory;
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../devsim/bin"));
}

QString DevSim::adbPath() const
{
    return binDir() + QStringLiteral("/adb");
}

QString DevSim::scrcpyPath() const
{
    return binDir() + QStringLiteral("/scrcpy");
}

ToolPaths DevSim::toolPaths() const
{
    return ToolPaths{adbPath(), scrcpyPath()};
}

void DevSim::installAsBundle()
{
    RuntimeLocator::setBundledDirectoryOverride(binDir());
    m_bundleInstalled = true;
}

void DevSim::putOnPath()
{
    if (!m_previousPath)
        m_previousPath = qgetenv("PATH");
    qputenv("PATH", binDir().toUtf8() + ':' + *m_previousPath);
}

} // namespace quorvane::test

#include "ErrorCatalog.h"

#include <QRegularExpression>

namespace quorvane {

namespace {

using Level = DoctorFinding::Level;

QList<KnownError> buildEntries()
{
    return {
        {ErrorCatalog::adbServerMismatch,
         {QStringLiteral("adb server version (%d) doesn't match this client (%d); killing...")},
         Level::Error,
         QStringLiteral("Two adb versions are fighting"),
         QStringLiteral("Two different adb installations on this computer keep restarting each other's "
                        "server, so phones disconnect again and again."),
         QStringLiteral("Use one adb: point the other program (an IDE's SDK, say) at the same adb, or set "
                        "Quorvane's adb in Settings to the other one's path.")},
        {QStringLiteral("usb-permission"),
         {QStringLiteral("insufficient permissions for device%s")},
         Level::Error,
         QStringLiteral("USB permission needed"),
         QStringLiteral("This user may not open the phone's USB device."),
         QStringLiteral("Add yourself to the plugdev group and add a udev rule for the phone's vendor id "
                        "(SUBSYSTEM==\"usb\", ATTR{idVendor}==\"18d1\", MODE=\"0660\", GROUP=\"plugdev\"), "
                        "then replug the phone. Connection Doctor shows the rule for your phone.")},
        {QStringLiteral("unauthorized"),
         {QStringLiteral("device unauthorized."), QStringLiteral("ERROR: Device is unauthorized:")},
         Level::Warning,
         QStringLiteral("Phone has not allowed this computer"),
         QStringLiteral("The phone has not accepted this computer's USB debugging key yet."),
         QStringLiteral("Unlock the phone and tap Allow on the prompt. If none shows, revoke USB debugging "
                        "authorizations in Developer options and replug.")},
        {QStringLiteral("offline"),
         {QStringLiteral("device offline"),
          QStringLiteral("ERROR: Device could not be connected (state=offline)")},
         Level::Warning,
         QStringLiteral("Phone connection is half-open"),
         QStringLiteral("adb sees the phone but it does not answer, often after sleep or a cable glitch."),
         QStringLiteral("Replug the phone, or run adb reconnect offline.")},
        {QStringLiteral("adb-cannot-pair"),
         {QStringLiteral("unknown command pair")},
         Level::Error,
         QStringLiteral("adb too old to pair"),
         QStringLiteral("This adb is older than 30.0.0 and has no pair command."),
         QStringLiteral("Install Android platform-tools 30 or newer and set its adb in Settings.")},
        {QStringLiteral("wrong-pairing-code"),
         {QStringLiteral("Failed: Wrong password or connection was dropped.")},
         Level::Error,
         QStringLiteral("Pairing code not accepted"),
         QStringLiteral("The six-digit code was wrong, or the pairing dialog on the phone closed."),
         QStringLiteral("Reopen \"Pair device with pairing code\" on the phone and type the new code.")},
        {QStringLiteral("paired"),
         {QStringLiteral("Successfully paired to %s [guid=%s]")},
         Level::Info,
         QStringLiteral("Paired: now connect"),
         QStringLiteral("Pairing worked; the port it used is the pairing port, not the one to connect to."),
         QStringLiteral("Connect to the address and port under \"IP address & Port\" on the phone's "
                        "Wireless debugging screen.")},
        {QStringLiteral("connection-refused"),
         {QStringLiteral("failed to connect to %s: Connection refused")},
         Level::Error,
         QStringLiteral("Nothing listens on that port"),
         QStringLiteral("That is the pairing port or an old wireless debugging port (it changes each time "
                        "wireless debugging is turned on), or wireless debugging is off."),
         QStringLiteral("Use the current \"IP address & Port\" from the phone's Wireless debugging "
                        "screen.")},
        {QStringLiteral("wifi-unauthorized"),
         {QStringLiteral("failed to authenticate to %s")},
         Level::Warning,
         QStringLiteral("Phone has not allowed this computer over Wi-Fi"),
         QStringLiteral("The phone has not authorized this computer for wireless debugging."),
         QStringLiteral("Accept the prompt on the phone; on Android 11 and newer, pair first.")},
        {QStringLiteral("no-route"),
         {QStringLiteral("failed to connect to %s: No route to host"),
          QStringLiteral("failed to connect to %s: Network is unreachable"),
          QStringLiteral("failed to connect to %s: Connection timed out")},
         Level::Error,
         QStringLiteral("Phone not reachable"),
         QStringLiteral("The phone is on another network or asleep."),
         QStringLiteral("Put the computer and the phone on the same Wi-Fi and wake the phone.")},
        {QStringLiteral("adb-server-blocked"),
         {QStringLiteral("failed to check server version: cannot connect to daemon")},
         Level::Error,
         QStringLiteral("adb server cannot start"),
         QStringLiteral("Another program holds the adb server's port (5037)."),
         QStringLiteral("Close the other program, or set ANDROID_ADB_SERVER_PORT to a free port.")},
        {QStringLiteral("no-device"),
         {QStringLiteral("ERROR: Could not find any ADB device")},
         Level::Error,
         QStringLiteral("No phone ready"),
         QStringLiteral("No phone is connected and authorized for USB debugging."),
         QStringLiteral("Connect a phone, turn on USB debugging and allow this computer.")},
        {ErrorCatalog::decoderMissing,
         {QStringLiteral("ERROR: Demuxer '%s': stream disabled due to unsupported codec"),
          QStringLiteral("ERROR: Demuxer '%s': stream disabled due to missing decoder")},
         Level::Error,
         QStringLiteral("This computer cannot decode the video"),
         QStringLiteral("The computer's FFmpeg cannot decode the chosen codec (often AV1 or H.265)."),
         QStringLiteral("Choose H.264.")},
        {QStringLiteral("no-display"),
         {QStringLiteral("ERROR: Could not initialize SDL video: %s")},
         Level::Error,
         QStringLiteral("No display for the mirror window"),
         QStringLiteral("There is no usable display for the mirror window (no X11 or Wayland session, or a "
                        "driver problem)."),
         QStringLiteral("Run Quorvane inside a graphical session; on Wayland try SDL_VIDEODRIVER=x11.")},
        {ErrorCatalog::encoderRefused,
         {QStringLiteral(
             "[server] ERROR: Capture/encoding error: android.media.MediaCodec$CodecException: %s")},
         Level::Error,
         QStringLiteral("Phone's encoder refused"),
         QStringLiteral("The phone's video encoder refused the size, frame rate or codec."),
         QStringLiteral("Lower the maximum size, or choose H.264 or another encoder.")},
        {ErrorCatalog::serverVersionMismatch,
         {QStringLiteral("[server] ERROR: The server version (%s) does not match the client (%s)")},
         Level::Error,
         QStringLiteral("scrcpy server from another version"),
         QStringLiteral("The scrcpy-server file comes from another scrcpy version than the scrcpy program."),
         QStringLiteral("Use the scrcpy-server that came with this scrcpy (SCRCPY_SERVER_PATH names it).")},
        {QStringLiteral("camera-needs-android-12"),
         {QStringLiteral("[server] ERROR: Camera mirroring is not supported before Android 12")},
         Level::Error,
         QStringLiteral("Camera needs Android 12"),
         QStringLiteral("Mirroring a camera needs Android 12 or newer on the phone."),
         QStringLiteral("Mirror the screen instead.")},
        // Less telling than a line that names what failed, more than the one that only follows it.
        {QStringLiteral("screen-locked"),
         {ErrorCatalog::screenLockedLine},
         Level::Warning,
         QStringLiteral("Phone screen is locked"),
         QStringLiteral("The phone's screen was locked when scrcpy stopped at once, which can keep it from "
                        "starting."),
         QStringLiteral("Unlock the phone and try again.")},
        {QStringLiteral("server-connection-failed"),
         {QStringLiteral("ERROR: Server connection failed")},
         Level::Error,
         QStringLiteral("scrcpy could not reach the phone"),
         QStringLiteral("scrcpy's connection to its server on the phone failed; the real cause is the error "
                        "line before this one."),
         QStringLiteral("Read the previous ERROR line in the log, or run Connection Doctor.")},
        // Only a warning: the session goes on without sound, so any error line tells more.
        {QStringLiteral("audio-unsupported"),
         {QStringLiteral("[server] WARN: Audio disabled: %s")},
         Level::Warning,
         QStringLiteral("No audio of that kind"),
         QStringLiteral("This phone cannot capture that audio source."),
         QStringLiteral("Turn audio off or choose another audio source.")},
    };
}

// %s takes any text (even none), %d a number; everything else is literal. What follows the pattern on
// the line is allowed: our own failure texts add the exit code there.
QRegularExpression compiled(const QString &pattern)
{
    QString expression;
    const QStringList pieces = pattern.split(QStringLiteral("%s"));
    for (qsizetype index = 0; index < pieces.size(); ++index) {
        if (index > 0)
            expression += pieces.at(index).isEmpty() ? QStringLiteral("(.*)") : QStringLiteral("(.*?)");
        const QStringList numbered = pieces.at(index).split(QStringLiteral("%d"));
        for (qsizetype part = 0; part < numbered.size(); ++part) {
            if (part > 0)
                expression += QStringLiteral("(\\d+)");
            expression += QRegularExpression::escape(numbered.at(part));
        }
    }
    return QRegularExpression(expression);
}

struct CompiledEntry
{
    KnownError error;
    QList<QRegularExpression> expressions;
};

const QList<CompiledEntry> &compiledEntries()
{
    static const QList<CompiledEntry> compiledList = [] {
        QList<CompiledEntry> list;
        for (const KnownError &error : ErrorCatalog::entries()) {
            CompiledEntry entry{error, {}};
            for (const QString &pattern : error.patterns)
                entry.expressions.append(compiled(pattern));
            list.append(entry);
        }
        return list;
    }();
    return compiledList;
}

} // namespace

DoctorFinding KnownErrorMatch::finding() const
{
    return {error.level, error.title, error.cause, error.fix};
}

QString KnownErrorMatch::sentence() const
{
    return error.title + QStringLiteral(": ") + error.cause + QLatin1Char(' ') + error.fix;
}

QJsonObject KnownErrorMatch::toJson() const
{
    QJsonObject object = quorvane::toJson(finding());
    object.insert(QStringLiteral("id"), error.id);
    object.insert(QStringLiteral("line"), line);
    return object;
}

namespace ErrorCatalog {

const QList<KnownError> &entries()
{
    static const QList<KnownError> table = buildEntries();
    return table;
}

std::optional<KnownErrorMatch> find(const QString &text)
{
    const QList<CompiledEntry> &table = compiledEntries();
    std::optional<KnownErrorMatch> best;
    qsizetype bestRank = table.size();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        for (qsizetype rank = 0; rank < bestRank; ++rank) {
            for (const QRegularExpression &expression : table.at(rank).expressions) {
                const QRegularExpressionMatch match = expression.match(line);
                if (!match.hasMatch())
                    continue;
                QStringList parts = match.capturedTexts();
                parts.removeFirst();
                best = KnownErrorMatch{table.at(rank).error, line, parts};
                bestRank = rank;
                break;
            }
        }
    }
    return best;
}

QString explained(const QString &text)
{
    const std::optional<KnownErrorMatch> match = find(text);
    if (!match || text.contains(match->sentence()))
        return text;
    return match->sentence() + QLatin1Char('\n') + text;
}

} // namespace ErrorCatalog
} // namespace quorvane

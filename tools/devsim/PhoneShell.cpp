#include "PhoneShell.h"

#include "PhoneDumpsys.h"
#include "PhoneNetwork.h"
#include "PngWriter.h"
#include "ShellWords.h"

#include <QJsonArray>

namespace devsim {

namespace {

const QStringList namespaces{QStringLiteral("system"), QStringLiteral("secure"), QStringLiteral("global")};

QString physicalSize(const QJsonObject &screen)
{
    return QStringLiteral("%1x%2")
        .arg(screen.value(QStringLiteral("width")).toInt(1080))
        .arg(screen.value(QStringLiteral("height")).toInt(2400));
}

} // namespace

PhoneShell::PhoneShell(QJsonObject &phone)
    : m_phone(phone)
{
}

Reply PhoneShell::run(const QString &commandLine)
{
    const QStringList words = splitShellWords(commandLine);
    const QString command = words.value(0);
    if (command.isEmpty())
        return Reply::ok();
    if (command == QLatin1String("getprop"))
        return getprop(words);
    if (command == QLatin1String("setprop"))
        return setprop(words);
    if (command == QLatin1String("wm"))
        return wm(words);
    if (command == QLatin1String("settings"))
        return settings(words);
    if (command == QLatin1String("ip"))
        return ip(words);
    if (command == QLatin1String("cmd"))
        return cmd(words);
    if (command == QLatin1String("dumpsys"))
        return PhoneDumpsys(m_phone).run(words.mid(1));
    if (command == QLatin1String("screencap"))
        return screencap(words);
    if (command == QLatin1String("echo"))
        return Reply::ok(words.mid(1).join(QLatin1Char(' ')) + QLatin1Char('\n'));
    if (command == QLatin1String("input") || command == QLatin1String("true"))
        return Reply::ok();
    return Reply::error(QStringLiteral("/system/bin/sh: %1: inaccessible or not found\n").arg(command), 127);
}

Reply PhoneShell::getprop(const QStringList &words) const
{
    const QJsonObject properties = m_phone.value(QStringLiteral("properties")).toObject();
    if (words.size() == 1) {
        QString all;
        for (auto it = properties.begin(); it != properties.end(); ++it)
            all += QStringLiteral("[%1]: [%2]\n").arg(it.key(), it.value().toString());
        return Reply::ok(all);
    }
    return Reply::ok(properties.value(words[1]).toString(words.value(2)) + QLatin1Char('\n'));
}

Reply PhoneShell::setprop(const QStringList &words)
{
    if (words.size() != 3)
        return Reply::error(QStringLiteral("usage: setprop NAME VALUE\n"));
    QJsonObject properties = m_phone.value(QStringLiteral("properties")).toObject();
    properties.insert(words[1], words[2]);
    m_phone.insert(QStringLiteral("properties"), properties);
    m_changed = true;
    return Reply::ok();
}

// "wm size" / "wm density" answer the physical value and any override; with a value they set the
// override, and "reset" clears it.
Reply PhoneShell::wm(const QStringList &words)
{
    const QString what = words.value(1);
    if (what != QLatin1String("size") && what != QLatin1String("density"))
        return Reply::error(QStringLiteral("Error: unknown command '%1'\n").arg(what), 255);
    QJsonObject screen = m_phone.value(QStringLiteral("screen")).toObject();
    const bool size = what == QLatin1String("size");
    const QString overrideKey = size ? QStringLiteral("overrideSize") : QStringLiteral("overrideDensity");
    if (words.size() == 2) {
        const QString physical =
            size ? physicalSize(screen) : QString::number(screen.value(QStringLiteral("density")).toInt(420));
        QString text = QStringLiteral("Physical %1: %2\n").arg(what, physical);
        const QString override = screen.value(overrideKey).toVariant().toString();
        if (!override.isEmpty())
            text += QStringLiteral("Override %1: %2\n").arg(what, override);
        return Reply::ok(text);
    }
    if (words[2] == QLatin1String("reset"))
        screen.remove(overrideKey);
    else
        screen.insert(overrideKey, words[2]);
    m_phone.insert(QStringLiteral("screen"), screen);
    m_changed = true;
    return Reply::ok();
}

Reply PhoneShell::settings(const QStringList &input)
{
    QStringList words = input.mid(1);
    if (words.value(0) == QLatin1String("--user"))
        words = words.mid(2);
    const QString verb = words.value(0);
    const QString space = words.value(1);
    if (!namespaces.contains(space) || words.size() < 2)
        return Reply::error(QStringLiteral("Bad arguments\n"), 255);
    QJsonObject all = m_phone.value(QStringLiteral("settings")).toObject();
    QJsonObject table = all.value(space).toObject();
    const QString key = words.value(2);
    if (verb == QLatin1String("list")) {
        QString text;
        for (auto it = table.begin(); it != table.end(); ++it)
            text += it.key() + QLatin1Char('=') + it.value().toString() + QLatin1Char('\n');
        return Reply::ok(text);
    }
    if (key.isEmpty())
        return Reply::error(QStringLiteral("Bad arguments\n"), 255);
    if (verb == QLatin1String("get"))
        return Reply::ok(table.value(key).toString(QStringLiteral("null")) + QLatin1Char('\n'));
    if (verb == QLatin1String("put")) {
        if (words.size() < 4)
            return Reply::error(QStringLiteral("Bad arguments\n"), 255);
        table.insert(key, words[3]);
    } else if (verb == QLatin1String("delete")) {
        const int rows = table.contains(key) ? 1 : 0;
        table.remove(key);
        all.insert(space, table);
        m_phone.insert(QStringLiteral("settings"), all);
        m_changed = true;
        return Reply::ok(QStringLiteral("Deleted %1 rows\n").arg(rows));
    } else {
        return Reply::error(QStringLiteral("Bad arguments\n"), 255);
    }
    all.insert(space, table);
    m_phone.insert(QStringLiteral("settings"), all);
    m_changed = true;
    return Reply::ok();
}

Reply PhoneShell::ip(const QStringList &words) const
{
    const PhoneNetwork network(m_phone);
    const QStringList rest = words.mid(1);
    if (rest.value(0) == QLatin1String("route") || rest.value(0) == QLatin1String("r"))
        return Reply::ok(network.routes());
    const qsizetype addr =
        std::max(rest.indexOf(QStringLiteral("addr")), rest.indexOf(QStringLiteral("address")));
    if (addr >= 0) {
        const bool inetOnly = rest.contains(QStringLiteral("inet")) || rest.contains(QStringLiteral("-4"));
        const QString interface = rest.value(addr + 2);
        return network.addresses(interface, inetOnly);
    }
    return Reply::error(QStringLiteral("Object \"%1\" is unknown, try \"ip help\".\n").arg(rest.value(0)),
                        255);
}

Reply PhoneShell::cmd(const QStringList &words) const
{
    if (words.value(1) != QLatin1String("package") || words.value(2) != QLatin1String("resolve-activity"))
        return Reply::error(QStringLiteral("Can't find service: %1\n").arg(words.value(1)), 20);
    const bool home = words.contains(QStringLiteral("android.intent.category.HOME"));
    const QString launcher = m_phone.value(QStringLiteral("launcher")).toString();
    if (!home || launcher.isEmpty())
        return Reply::ok(QStringLiteral("No activity found\n"));
    return Reply::ok(
        QStringLiteral("priority=0 preferredOrder=0 match=0x108000 specificIndex=-1 isDefault=true\n") +
        launcher + QLatin1Char('\n'));
}

// A display that refuses still capture (or an unknown id) makes screencap fail without a word, so
// exec-out hands back no bytes at all.
Reply PhoneShell::screencap(const QStringList &words) const
{
    const qsizetype d = words.indexOf(QStringLiteral("-d"));
    const std::optional<QString> wanted = d >= 0 ? std::optional<QString>(words.value(d + 1)) : std::nullopt;
    const PhoneDumpsys displays(m_phone);
    const auto display = displays.captureTarget(wanted);
    if (!display || display->value(QStringLiteral("blocksCapture")).toBool())
        return Reply::error({}, 1);
    Reply reply;
    if (!wanted && displays.physicalDisplayCount() > 1) {
        reply.err =
            QByteArrayLiteral("[Warning] Multiple displays were found, but no display id was specified! "
                              "Defaulting to the first display found, however this default is not "
                              "guaranteed to be consistent across captures. A display id should be "
                              "specified.\n");
    }
    reply.out = PngWriter::screen(
        display->value(QStringLiteral("width")).toInt(), display->value(QStringLiteral("height")).toInt(),
        display->value(QStringLiteral("color")).toString(QStringLiteral("#1a73e8")));
    return reply;
}

} // namespace devsim

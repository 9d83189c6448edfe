#pragma once

#include "Reply.h"

#include <QJsonObject>
#include <QStringList>

namespace devsim {

// The phone's side of "adb shell": the handful of Android commands the application runs, answering
// from and writing to the phone's part of the world.
class PhoneShell
{
public:
    explicit PhoneShell(QJsonObject &phone);

    Reply run(const QString &commandLine);
    bool changed() const { return m_changed; }

private:
    Reply getprop(const QStringList &words) const;
    Reply setprop(const QStringList &words);
    Reply wm(const QStringList &words);
    Reply settings(const QStringList &words);
    Reply ip(const QStringList &words) const;
    Reply cmd(const QStringList &words) const;
    Reply screencap(const QStringList &words) const;

    QJsonObject &m_phone;
    bool m_changed = false;
};

} // namespace devsim

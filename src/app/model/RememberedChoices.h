#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace quorvane::app {

class ModeSettings;

// What the user chose in each mode's settings, remembered per phone in the user defaults: a choice stays
// over whatever the application fills in (a recommendation, a probe) until it is forgotten (Reset to
// Auto), and showing another phone shows that phone's choices over the defaults.
class RememberedChoices final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RememberedChoices)

public:
    using QObject::QObject;

    // mode names the settings in the store: "mirror", "camera" or "desktop". Its present values are
    // taken as its defaults.
    void track(ModeSettings *settings, const QString &mode);
    // The phone whose choices are recorded and shown; none keeps what is shown and records nothing.
    void showPhone(std::optional<QString> phone);
    // The same phone under a steadier name (its hardware serial once it told it): its choices move
    // along, without overwriting any the new name already holds, and stay shown.
    void renamePhone(const QString &from, const QString &to);
    // Runs fill as an automatic fill of settings; the user's choices of every field it sets are forgotten.
    void forgetWhile(ModeSettings *settings, const std::function<void()> &fill);

private:
    struct Tracked
    {
        ModeSettings *settings;
        QString mode;
        QMap<QString, QVariant> defaults;
    };

    void assigned(const Tracked &tracked, const QByteArray &property, bool byUser);
    void restore(const Tracked &tracked, bool defaultsFirst);
    QString key(const Tracked &tracked, const QByteArray &property) const;
    static QString key(const QString &phone, const Tracked &tracked, const QByteArray &property);

    QList<Tracked> m_tracked;
    std::optional<QString> m_phone;
    // The phone whose choices the settings show; they stay shown while no phone is selected.
    std::optional<QString> m_shownPhone;
    bool m_restoring = false;
    bool m_forgetting = false;
};

} // namespace quorvane::app

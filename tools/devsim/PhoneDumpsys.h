#pragma once

#include "Reply.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <optional>

namespace devsim {

// The phone's displays and the two dumpsys services that describe them, and the window policy's lock
// state (the phone's "locked" flag). Displays come from the phone's "displays" array (objects with "id",
// "name", "uniqueId", "captureId", "type", "width", "height", "density", "blocksCapture"); without one,
// the phone has its built-in screen only.
// "dumpsys" in the phone maps a service line ("display", "SurfaceFlinger --display-id") to raw text
// that replaces the generated answer.
class PhoneDumpsys
{
public:
    explicit PhoneDumpsys(const QJsonObject &phone);

    Reply run(const QStringList &words) const;

    // The display screencap captures: by capture id, or the first one when no id is given.
    std::optional<QJsonObject> captureTarget(const std::optional<QString> &captureId) const;
    int physicalDisplayCount() const;
    // Every display with its missing fields filled from the built-in screen.
    QList<QJsonObject> displays() const;

private:
    QString displayService() const;
    QString windowPolicy() const;
    QString surfaceFlinger(bool identificationOnly) const;

    QJsonObject m_phone;
};

} // namespace devsim

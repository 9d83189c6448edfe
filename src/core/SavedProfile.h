#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

namespace quorvane {

class JsonDecoder;

// A named set of the main video settings that the user saved to apply later, on any device.
struct SavedProfile
{
    QUuid id;
    QString name;
    QString mode;
    quint32 maxSize = 0;
    quint32 maxFps = 0;
    QString codec;
    // Megabits per second as the text of a floating-point number ("8.0").
    QString bitrate;
    bool audio = false;

    bool operator==(const SavedProfile &) const = default;

    // Megabits as the text the file holds, always with its fraction: 8.0 is "8.0", 8.25 is "8.25".
    static QString bitrateText(double megabits);

    // The id as its upper-case 36-character text.
    QJsonObject toJson() const;
    // All eight members are required; the id is accepted in either case.
    static SavedProfile fromJson(const JsonDecoder &json);
};

} // namespace quorvane

#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>

namespace quorvane::test {

// The descendant of that name. A missing one ends the run at once, naming it, rather than crashing later
// on a null pointer with no hint of which widget lost its name.
template<typename T>
T *child(const QObject &parent, const QString &name)
{
    T *found = parent.findChild<T *>(name);
    if (!found)
        qFatal("no child named %s", qPrintable(name));
    return found;
}

// Whether any pixel of the image is drawn (nearly) opaque in this colour: what a widget really shows.
inline bool drawnIn(const QImage &image, const QColor &color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 250 && pixel.rgb() == color.rgb())
                return true;
        }
    }
    return false;
}

} // namespace quorvane::test

#pragma once

#include <QByteArray>
#include <QString>

namespace devsim {

// Writes small but valid PNG files without Qt Gui: zlib through qCompress, chunks and CRCs by hand.
class PngWriter
{
public:
    // A phone screen of the given size: a background colour ("#rrggbb") with a status bar and a
    // navigation bar, 8-bit RGB.
    static QByteArray screen(int width, int height, const QString &color);

private:
    static QByteArray chunk(const char type[4], const QByteArray &data);
};

} // namespace devsim

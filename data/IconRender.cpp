// Draws the application's SVG icon as the PNG sizes of the hicolor theme, at build time, so the PNGs
// always show the SVG that is committed.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (argc < 4) {
        QTextStream(stderr) << "usage: quorvane_iconrender SVG OUTPUT-DIR NAME SIZE...\n";
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        QTextStream(stderr) << "Could not read the icon " << argv[1] << '\n';
        return 1;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int index = 4; index < argc; ++index) {
        const int size = QString::fromLocal8Bit(argv[index]).toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !image.save(file)) {
            QTextStream(stderr) << "Could not write " << file << '\n';
            return 1;
        }
    }
    return 0;
}

#include "FileDropZone.h"

#include "Theme.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>

namespace quorvane::app {

namespace {

QStringList localPaths(const QMimeData *data)
{
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

FileDropZone::FileDropZone(QWidget *screen)
    : QWidget(screen)
    , m_screen(screen)
{
    // Drags keep going to the screen underneath, which this only draws over.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    for (QLineEdit *edit : screen->findChildren<QLineEdit *>())
        edit->setAcceptDrops(false);
    screen->setAcceptDrops(true);
    screen->installEventFilter(this);
}

bool FileDropZone::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_screen)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto *enter = static_cast<QDragEnterEvent *>(event);
        const bool files = !localPaths(enter->mimeData()).isEmpty();
        if (files)
            enter->acceptProposedAction();
        highlight(files);
        return files;
    }
    case QEvent::DragMove:
        if (isHidden())
            return false;
        static_cast<QDragMoveEvent *>(event)->acceptProposedAction();
        return true;
    case QEvent::DragLeave:
        highlight(false);
        return false;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        highlight(false);
        const QStringList paths = localPaths(drop->mimeData());
        if (paths.isEmpty())
            return false;
        drop->acceptProposedAction();
        emit filesDropped(paths);
        return true;
    }
    case QEvent::Resize:
        setGeometry(m_screen->rect());
        return false;
    default:
        return false;
    }
}

void FileDropZone::highlight(bool on)
{
    if (on) {
        setGeometry(m_screen->rect());
        raise();
    }
    setVisible(on);
}

// Drawn from the palette of the moment, so a theme switched while dragging is followed too.
void FileDropZone::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = Theme::color(Tone::Accent);
    QColor veil = palette().color(QPalette::Window);
    veil.setAlphaF(0.85f);
    painter.fillRect(rect(), veil);
    QPen border(accent, 2, Qt::DashLine);
    painter.setPen(border);
    painter.setBrush(Theme::wash(accent));
    const QRectF target =
        QRectF(rect()).adjusted(Theme::spacingL, Theme::spacingL, -Theme::spacingL, -Theme::spacingL);
    painter.drawRoundedRect(target, Theme::cornerRadius, Theme::cornerRadius);
    const int glyph = 48;
    const QPixmap symbol = Theme::pixmap(QStringLiteral("arrow.up.doc"), accent, glyph, devicePixelRatioF());
    const QPointF centre = target.center();
    painter.drawPixmap(QPointF(centre.x() - glyph / 2.0, centre.y() - glyph - Theme::spacingS), symbol);
    painter.setFont(Theme::headlineFont());
    painter.setPen(accent);
    painter.drawText(QRectF(target.left(), centre.y(), target.width(), target.height() / 2),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     QStringLiteral("Drop files or folders to send them to the phone’s Download folder"));
}

} // namespace quorvane::app

#include "Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>
#include <QPointer>
#include <QSvgRenderer>

// Resources of a static library stay out of the link unless something names them.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace quorvane::app {

namespace {

QString resourcePath(const QString &name)
{
    static const bool initialised = (initIconResources(), true);
    Q_UNUSED(initialised)
    return QStringLiteral(":/quorvane/icons/") + name;
}

QByteArray symbolSource(const QString &symbol)
{
    static QHash<QString, QByteArray> sources;
    const auto cached = sources.constFind(symbol);
    if (cached != sources.constEnd())
        return *cached;
    QFile file(resourcePath(symbol + QStringLiteral(".svg")));
    const QByteArray source = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    sources.insert(symbol, source);
    return source;
}

bool isDark()
{
    return QApplication::palette().color(QPalette::Window).lightness() < 128;
}

// Lives as long as the widget it restyles. The guard stops the restyling's own palette change from
// restyling again.
class PaletteFollower final : public QObject
{
public:
    PaletteFollower(QWidget *widget, std::function<void()> restyle)
        : QObject(widget)
        , m_restyle(std::move(restyle))
    {
        widget->installEventFilter(this);
        m_restyling = true;
        m_restyle();
        m_restyling = false;
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::PaletteChange && !m_restyling) {
            m_restyling = true;
            m_restyle();
            m_restyling = false;
        }
        return false;
    }

private:
    std::function<void()> m_restyle;
    bool m_restyling = false;
};

// Qt 6.4 tells only the application object that the application palette changed (the desktop switched
// theme): widgets keep the palette they resolved until each is told, which later versions do themselves.
class PaletteRelay final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
            QEvent change(QEvent::ApplicationPaletteChange);
            const QWidgetList widgets = QApplication::allWidgets();
            for (QWidget *widget : widgets)
                QCoreApplication::sendEvent(widget, &change);
        }
        return false;
    }
};

void relayPaletteChanges()
{
    static QPointer<PaletteRelay> relay;
    if (!relay && qApp) {
        relay = new PaletteRelay(qApp);
        qApp->installEventFilter(relay);
    }
}

QFont scaled(qreal factor, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setWeight(weight);
    return font;
}

} // namespace

QColor Theme::color(Tone tone)
{
    const bool dark = isDark();
    switch (tone) {
    case Tone::Accent:
        return dark ? QColor(0x40, 0x9c, 0xff) : QColor(0x00, 0x6e, 0xdb);
    case Tone::Success:
        return dark ? QColor(0x30, 0xd1, 0x58) : QColor(0x1f, 0x8a, 0x3d);
    case Tone::Warning:
        return dark ? QColor(0xff, 0xb3, 0x40) : QColor(0xb2, 0x5c, 0x00);
    case Tone::Danger:
        return dark ? QColor(0xff, 0x6b, 0x61) : QColor(0xc8, 0x1e, 0x1e);
    case Tone::Neutral:
        break;
    }
    return secondaryText();
}

Tone Theme::toneOf(MessageTone tone)
{
    switch (tone) {
    case MessageTone::Progress:
        return Tone::Neutral;
    case MessageTone::Success:
        return Tone::Success;
    case MessageTone::Failure:
        break;
    }
    return Tone::Danger;
}

QString Theme::symbolOf(MessageTone tone)
{
    switch (tone) {
    case MessageTone::Progress:
        return QStringLiteral("hourglass");
    case MessageTone::Success:
        return QStringLiteral("checkmark.circle.fill");
    case MessageTone::Failure:
        break;
    }
    return QStringLiteral("exclamationmark.octagon.fill");
}

QColor Theme::wash(const QColor &tint)
{
    QColor faint = tint;
    faint.setAlphaF(isDark() ? 0.22f : 0.12f);
    return faint;
}

QColor Theme::secondaryText()
{
    return isDark() ? QColor(0xa1, 0xa1, 0xa6) : QColor(0x6e, 0x6e, 0x73);
}

QColor Theme::cardBackground()
{
    const QColor window = QApplication::palette().color(QPalette::Window);
    return isDark() ? window.lighter(125) : window.lighter(104);
}

// Opaque, blended from the window colour: style sheets take colours by name, and a name drops the alpha
// (a translucent grey would draw black there).
QColor Theme::separator()
{
    const QColor window = QApplication::palette().color(QPalette::Window);
    return isDark() ? window.lighter(160) : window.darker(118);
}

void Theme::follow(QWidget *widget, std::function<void()> restyle)
{
    relayPaletteChanges();
    new PaletteFollower(widget, std::move(restyle));
}

void Theme::setIcon(QAbstractButton *button, const QString &symbol, Tone tone)
{
    follow(button, [button, symbol, tone] { button->setIcon(icon(symbol, color(tone))); });
}

void Theme::setTextTone(QWidget *widget, Tone tone)
{
    follow(widget, [widget, tone] { setTextColor(widget, color(tone)); });
}

void Theme::setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QFont Theme::titleFont()
{
    return scaled(1.45, QFont::Bold);
}

QFont Theme::headlineFont()
{
    return scaled(1.08, QFont::DemiBold);
}

QFont Theme::captionFont()
{
    return scaled(0.88, QFont::Normal);
}

QFont Theme::monospaceFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(QApplication::font().pointSizeF() * 0.92);
    return font;
}

bool Theme::hasSymbol(const QString &symbol)
{
    return !symbol.isEmpty() && QSvgRenderer(symbolSource(symbol)).isValid();
}

QString Theme::symbolLicense()
{
    QFile file(resourcePath(QStringLiteral("LICENSE")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QIcon Theme::applicationIcon()
{
    return QIcon(resourcePath(QStringLiteral("app.quorvane.Quorvane.svg")));
}

static QPixmap renderSymbol(const QString &symbol, const QColor &tint, int size, qreal devicePixelRatio)
{
    QByteArray source = symbolSource(symbol);
    if (source.isEmpty())
        return {};
    // Every bundled symbol is drawn in currentColor, so the tint is one substitution.
    source.replace("currentColor", tint.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(source);
    QPixmap image(QSize(size, size) * devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setOpacity(tint.alphaF());
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

// Drawn once per symbol, tint, size and scale: badges ask on every paint and pills on every change, and
// rendering the SVG each time made a busy window stall.
QPixmap Theme::pixmap(const QString &symbol, const QColor &tint, int size, qreal devicePixelRatio)
{
    const QString key = QStringLiteral("symbol:%1:%2:%3:%4")
                            .arg(symbol, tint.name(QColor::HexArgb))
                            .arg(size)
                            .arg(devicePixelRatio);
    QPixmap image;
    if (QPixmapCache::find(key, &image))
        return image;
    image = renderSymbol(symbol, tint, size, devicePixelRatio);
    if (!image.isNull())
        QPixmapCache::insert(key, image);
    return image;
}

QIcon Theme::icon(const QString &symbol, const QColor &tint)
{
    QIcon icon;
    for (const int size : {14, 16, 18, 24, 32}) {
        for (const qreal ratio : {1.0, 2.0}) {
            const QPixmap image = pixmap(symbol, tint, size, ratio);
            if (image.isNull())
                return {};
            icon.addPixmap(image);
        }
    }
    return icon;
}

} // namespace quorvane::app

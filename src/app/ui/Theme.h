#pragma once

#include "MessageTone.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <functional>

class QAbstractButton;
class QWidget;

namespace quorvane::app {

// What a status means, which decides its colour everywhere it is shown.
enum class Tone { Neutral, Accent, Success, Warning, Danger };

// The look shared by every screen: tone colours, spacing, type sizes and the bundled symbols. Colours are
// read from the application palette when asked, so one drawn at paint time follows a switch between light
// and dark by itself; one a widget keeps (a style sheet, a tinted icon, a label's palette) is made through
// follow(), which makes it again whenever the palette changes.
class Theme
{
public:
    static constexpr int spacingXS = 4;
    static constexpr int spacingS = 8;
    static constexpr int spacingM = 12;
    static constexpr int spacingL = 16;
    static constexpr int spacingXL = 24;
    static constexpr int cornerRadius = 10;
    static constexpr int smallIconSize = 14;
    static constexpr int iconSize = 18;
    static constexpr int badgeSize = 30;

    static QColor color(Tone tone);
    // How a status message is drawn: in progress neutral with an hourglass, done green with a check
    // mark, failed red with an octagon.
    static Tone toneOf(MessageTone tone);
    static QString symbolOf(MessageTone tone);
    // The same colour, faint enough to sit behind text of that colour.
    static QColor wash(const QColor &tint);
    static QColor secondaryText();
    static QColor cardBackground();
    static QColor separator();

    // Runs restyle now, and again each time the widget's palette changes: the way a switch of the system
    // theme reaches a running window.
    static void follow(QWidget *widget, std::function<void()> restyle);
    // A bundled symbol on a button, tinted in the tone, and a text drawn in the tone; both follow the theme.
    static void setIcon(QAbstractButton *button, const QString &symbol, Tone tone);
    static void setTextTone(QWidget *widget, Tone tone);
    // The text colour alone, once: for a restyle that follow() already repeats.
    static void setTextColor(QWidget *widget, const QColor &color);

    static QFont titleFont();
    static QFont headlineFont();
    static QFont captionFont();
    static QFont monospaceFont();

    // A bundled symbol ("checkmark.circle.fill") drawn in one colour; a null icon for an unknown name.
    static QIcon icon(const QString &symbol, const QColor &tint);
    static QPixmap pixmap(const QString &symbol, const QColor &tint, int size, qreal devicePixelRatio = 1.0);
    static bool hasSymbol(const QString &symbol);
    // The licence of the bundled symbols, for the open-source notices.
    static QString symbolLicense();
    // Quorvane's own icon, the same drawing the desktop entry names.
    static QIcon applicationIcon();
};

} // namespace quorvane::app

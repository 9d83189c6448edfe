#pragma once

#include <QColor>
#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvane::app {

class BusyIndicator;

// The one large button of a screen: a title on a tinted button with its symbol, a caption under it and,
// while the action cannot run, the hint saying why instead. Busy shows progress and blocks a second press.
class ElidedText;

class PrimaryActionButton final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrimaryActionButton)

public:
    explicit PrimaryActionButton(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    // What assistive technology reads for the button ("Start session", "Restart session").
    void setSecondaryLabel(const QString &label);
    void setCaption(const QString &caption);
    void setSymbol(const QString &symbol);
    void setBusy(bool busy);
    void setActionEnabled(bool enabled);
    void setDisabledHint(const QString &hint);

    QString title() const;
    QString secondaryLabel() const;
    QString caption() const;
    QString symbol() const { return m_symbol; }
    bool isBusy() const { return m_busy; }
    bool isActionEnabled() const { return m_actionEnabled; }
    QString disabledHint() const;
    // Whether a press would start the action now.
    bool canTrigger() const { return m_actionEnabled && !m_busy; }

signals:
    void triggered();

private:
    void refresh();

    QPushButton *m_button;
    BusyIndicator *m_busyIndicator;
    QString m_title;
    ElidedText *m_caption;
    ElidedText *m_hint;
    QString m_symbol;
    bool m_busy = false;
    bool m_actionEnabled = true;
};

} // namespace quorvane::app

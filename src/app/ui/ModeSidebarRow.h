#pragma once

#include <QAbstractButton>
#include <QColor>

class QLabel;

namespace quorvane::app {

class IconBadge;

// One mode in the sidebar: its symbol on a badge of its tint, its title and subtitle, and a warning
// triangle when the device cannot do what the mode needs. Checked while its mode is the selected one.
class ModeSidebarRow final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModeSidebarRow)

public:
    ModeSidebarRow(const QString &title, const QString &subtitle, const QString &symbol, const QColor &tint,
                   QWidget *parent = nullptr);

    void setWarning(bool warning);
    bool hasWarning() const { return m_warningShown; }

    QString title() const;
    QString subtitle() const;
    QString symbol() const;
    QColor tint() const;
    void setTint(const QColor &tint);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    IconBadge *m_badge;
    QLabel *m_title;
    QLabel *m_subtitle;
    QLabel *m_warning;
    bool m_warningShown = false;
    // The focus ring is for keyboard users; a click shows the selection instead.
    bool m_keyboardFocus = false;
};

} // namespace quorvane::app

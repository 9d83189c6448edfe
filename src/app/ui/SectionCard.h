#pragma once

#include "Theme.h"

#include <QFrame>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace quorvane::app {

class IconBadge;

// A titled group of controls on a screen, with its symbol; screens fill its content layout.
class SectionCard final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SectionCard)

public:
    SectionCard(const QString &title, const QString &symbol, QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const;
    QString symbol() const;
    // A card whose mark reports a state (the worst doctor finding) changes symbol and colour with it.
    void setSymbol(const QString &symbol, Tone tone);

    // Controls that act on the whole card (a "Probe" button), at the right of the title.
    void addHeaderWidget(QWidget *widget);
    QVBoxLayout *contentLayout() const { return m_content; }
    void addWidget(QWidget *widget);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Tone m_tone = Tone::Accent;
    IconBadge *m_badge;
    QLabel *m_title;
    QHBoxLayout *m_header;
    QVBoxLayout *m_content;
};

} // namespace quorvane::app

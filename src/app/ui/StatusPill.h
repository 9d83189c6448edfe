#pragma once

#include "Theme.h"

#include <QWidget>

class QLabel;

namespace quorvane::app {

// A short status ("Session running", "Ready") with an optional symbol, in the colour of its tone.
class StatusPill final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusPill)

public:
    explicit StatusPill(QWidget *parent = nullptr);

    void setText(const QString &text);
    void setTone(Tone tone);
    // "" shows the text alone.
    void setSymbol(const QString &symbol);

    QString text() const;
    Tone tone() const { return m_tone; }
    QString symbol() const { return m_symbol; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    QLabel *m_icon;
    QLabel *m_text;
    Tone m_tone = Tone::Neutral;
    QString m_symbol;
};

} // namespace quorvane::app

#pragma once

#include <QColor>
#include <QWidget>

namespace quorvane::app {

// A symbol on a rounded square washed in its tint: the mark of a mode or a section.
class IconBadge final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IconBadge)

public:
    IconBadge(const QString &symbol, const QColor &tint, int size, QWidget *parent = nullptr);

    void setSymbol(const QString &symbol);
    void setTint(const QColor &tint);
    QString symbol() const { return m_symbol; }
    QColor tint() const { return m_tint; }

    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QColor m_tint;
    int m_size;
};

} // namespace quorvane::app

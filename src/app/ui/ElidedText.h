#pragma once

#include <QWidget>

namespace quorvane::app {

// A message that never grows past a few lines: what does not fit ends in an ellipsis, and the whole text
// is in the tooltip. A long path or error keeps the controls around it where they are.
class ElidedText final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ElidedText)

public:
    explicit ElidedText(int maximumLines, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    // The lines as drawn at the current width.
    QStringList shownLines() const { return linesFor(width()); }
    int maximumLines() const { return m_maximumLines; }
    // The width asked for when the whole text would be wider.
    void setPreferredWidth(int width);
    // The height of every allowed line, so that a longer message does not move what lies below.
    int fullHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QStringList linesFor(int width) const;

    int m_maximumLines;
    int m_preferredWidth = 420;
    QString m_text;
};

} // namespace quorvane::app

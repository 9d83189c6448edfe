#pragma once

#include <QStringList>
#include <QWidget>

namespace quorvane::app {

// Lets the screen it is made on take files and folders dragged from the file manager: while they are
// dragged over it the whole screen is drawn as one highlighted target, and a drop hands their paths on.
// Made once the screen's fields exist, since a text field would otherwise take a dropped file as text.
class FileDropZone final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileDropZone)

public:
    explicit FileDropZone(QWidget *screen);

signals:
    void filesDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void highlight(bool on);

    QWidget *m_screen;
};

} // namespace quorvane::app

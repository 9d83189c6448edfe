#pragma once

#include <QWidget>

class QPushButton;

namespace quorvane::app {

class AppModel;
class StatusMessageRow;

// Files dropped on a screen go to the phone: the screen becomes a drop target, and this row under its cards
// says which file is on its way and how many there are, with a Cancel for those still waiting.
class FileTransferRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileTransferRow)

public:
    // Object names start with the screen's prefix ("mirror": mirrorFileTransfer, mirrorFileTransferCancel,
    // mirrorDropZone). Made once the screen's fields exist.
    FileTransferRow(AppModel *model, QWidget *screen, const QString &prefix);

private:
    void refresh();

    AppModel *m_model;
    StatusMessageRow *m_status;
    QPushButton *m_cancel;
};

} // namespace quorvane::app

#include "FileTransferRow.h"

#include "AppModel.h"
#include "FileDropZone.h"
#include "ScreenBindings.h"
#include "StatusMessageRow.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace quorvane::app {

FileTransferRow::FileTransferRow(AppModel *model, QWidget *screen, const QString &prefix)
    : QWidget(screen)
    , m_model(model)
    , m_status(new StatusMessageRow(this))
    , m_cancel(bind::button(QStringLiteral("Cancel"), prefix + QStringLiteral("FileTransferCancel"), this))
{
    m_status->setObjectName(prefix + QStringLiteral("FileTransfer"));
    m_cancel->setToolTip(QStringLiteral("Push none of the files still waiting; the one on its way finishes"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Theme::spacingS);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_cancel, 0, Qt::AlignTop);
    auto *zone = new FileDropZone(screen);
    zone->setObjectName(prefix + QStringLiteral("DropZone"));
    connect(zone, &FileDropZone::filesDropped, this,
            [this](const QStringList &paths) { m_model->pushFiles(paths); });
    connect(m_cancel, &QPushButton::clicked, m_model->filePushes(), &FilePushQueue::cancel);
    connect(m_model->filePushes(), &FilePushQueue::changed, this, &FileTransferRow::refresh);
    for (auto signal : {&AppModel::fileTransferStatusChanged, &AppModel::fileTransferToneChanged})
        connect(m_model, signal, this, &FileTransferRow::refresh);
    refresh();
}

void FileTransferRow::refresh()
{
    m_status->setMessage(m_model->fileTransferStatus(), m_model->fileTransferTone());
    const bool running = m_model->filePushes()->running();
    m_cancel->setVisible(running);
    m_cancel->setEnabled(m_model->filePushes()->waiting() > 0);
    // Nothing said and nothing to cancel: the column keeps no gap for it.
    setVisible(running || m_model->fileTransferStatus().has_value());
}

} // namespace quorvane::app

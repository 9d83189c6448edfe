#include "ScreenPage.h"

#include "Theme.h"

#include <QFormLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quorvane::app {

QVBoxLayout *scrollingColumn(QWidget *screen)
{
    auto *scroll = new QScrollArea(screen);
    scroll->setObjectName(QStringLiteral("screenScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget(scroll);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(Theme::spacingXL, Theme::spacingXL, Theme::spacingXL, Theme::spacingXL);
    column->setSpacing(Theme::spacingL);
    scroll->setWidget(content);
    auto *outer = new QVBoxLayout(screen);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    return column;
}

void alignFormLabels(QWidget *screen)
{
    QList<QWidget *> labels;
    int width = 0;
    for (const QFormLayout *form : screen->findChildren<QFormLayout *>()) {
        for (int row = 0; row < form->rowCount(); ++row) {
            const QLayoutItem *item = form->itemAt(row, QFormLayout::LabelRole);
            if (item && item->widget()) {
                labels.append(item->widget());
                width = std::max(width, item->widget()->sizeHint().width());
            }
        }
    }
    for (QWidget *label : std::as_const(labels))
        label->setMinimumWidth(width);
}

} // namespace quorvane::app

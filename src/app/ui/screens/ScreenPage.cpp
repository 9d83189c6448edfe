#include "ScreenPage.h"

#include "Theme.h"

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

} // namespace quorvane::app

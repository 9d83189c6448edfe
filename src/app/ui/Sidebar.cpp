#include "Sidebar.h"

#include "AppModel.h"
#include "ModeSidebarRow.h"
#include "Theme.h"

#include <QButtonGroup>
#include <QLabel>
#include <QVBoxLayout>

namespace quorvane::app {

Sidebar::Sidebar(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_group(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("sidebar"));
    setFixedWidth(256);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Theme::spacingS, Theme::spacingL, Theme::spacingS, Theme::spacingL);
    layout->setSpacing(Theme::spacingXS);
    addSection(QStringLiteral("Sessions"), {SidebarMode::Mirror, SidebarMode::Camera, SidebarMode::Desktop});
    layout->addSpacing(Theme::spacingM);
    addSection(QStringLiteral("Support"), {SidebarMode::Wireless, SidebarMode::Doctor});
    layout->addStretch();
    connect(model, &AppModel::selectedModeChanged, this, &Sidebar::refresh);
    connect(model, &AppModel::deviceProfileChanged, this, &Sidebar::refresh);
    refresh();
}

QColor Sidebar::tint(SidebarMode mode)
{
    switch (mode) {
    case SidebarMode::Camera:
        return Theme::color(Tone::Success);
    case SidebarMode::Desktop:
        return QColor(0x8e, 0x5c, 0xd9);
    case SidebarMode::Wireless:
        return QColor(0x1f, 0x9e, 0xb8);
    case SidebarMode::Doctor:
        return Theme::color(Tone::Danger);
    case SidebarMode::Mirror:
        break;
    }
    return Theme::color(Tone::Accent);
}

void Sidebar::addSection(const QString &title, const QList<SidebarMode> &modes)
{
    auto *header = new QLabel(title, this);
    QFont font = Theme::captionFont();
    font.setWeight(QFont::DemiBold);
    header->setFont(font);
    header->setContentsMargins(Theme::spacingS, 0, 0, Theme::spacingXS);
    Theme::setTextTone(header, Tone::Neutral);
    layout()->addWidget(header);
    for (const SidebarMode mode : modes) {
        const ModeAppearance look = appearance(mode);
        auto *row = new ModeSidebarRow(look.title, look.subtitle, look.symbol, tint(mode), this);
        Theme::follow(row, [row, mode] { row->setTint(tint(mode)); });
        row->setObjectName(QStringLiteral("sidebarRow_") + look.title);
        row->setCheckable(true);
        m_group->addButton(row);
        m_rows.insert(mode, row);
        connect(row, &ModeSidebarRow::clicked, this, [this, mode] { m_model->setSelectedMode(mode); });
        layout()->addWidget(row);
    }
}

void Sidebar::refresh()
{
    m_rows.value(m_model->selectedMode())->setChecked(true);
    const auto &profile = m_model->deviceProfile();
    m_rows.value(SidebarMode::Camera)->setWarning(profile && !profile->supportsCamera);
}

} // namespace quorvane::app

#pragma once

#include "SidebarMode.h"

#include <QMap>
#include <QWidget>

class QButtonGroup;

namespace quorvane::app {

class AppModel;
class ModeSidebarRow;

// The modes in two sections, "Sessions" and "Support"; a click selects the mode in the model.
class Sidebar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Sidebar)

public:
    explicit Sidebar(AppModel *model, QWidget *parent = nullptr);

    ModeSidebarRow *row(SidebarMode mode) const { return m_rows.value(mode); }
    static QColor tint(SidebarMode mode);

private:
    void addSection(const QString &title, const QList<SidebarMode> &modes);
    void refresh();

    AppModel *m_model;
    QButtonGroup *m_group;
    QMap<SidebarMode, ModeSidebarRow *> m_rows;
};

} // namespace quorvane::app

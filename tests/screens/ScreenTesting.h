#pragma once

#include "ModelTesting.h"
#include "WidgetLookup.h"

#include <QStringList>

class QComboBox;
#include <QTest>
#include <QWidget>

#include <memory>

namespace quorvane::test {

// Inspecting a phone takes a dozen adb and scrcpy runs: on a loaded machine that outlasts QTRY's default.
constexpr int inspectionTimeout = 20000;

// One screen test's world: the model against the simulator, folders that never open a file manager,
// and the helpers every screen test needs.
class ScreenWorld
{
public:
    ScreenWorld();
    ~ScreenWorld();
    ScreenWorld(const ScreenWorld &) = delete;
    ScreenWorld &operator=(const ScreenWorld &) = delete;

    ModelWorld world;
    // Folders the model asked the file manager to open.
    QStringList opened;

    app::AppModel &model() { return world.model(); }
    void connectPhone() { world.connectPhone(); }
    // Shows the screen (running its on-show work) and waits until it is exposed.
    static void show(QWidget &screen);
};

// Picks the entry as a user would: the combo box reports the choice through its activated signal.
void choose(QComboBox *box, const QString &text);

// The check box named `name` shows the settings object's `property`, writes a click back and follows a
// change made elsewhere.
void checkToggleBinding(const QWidget &screen, QObject &settings, const QString &name,
                        const QString &property);

} // namespace quorvane::test

#include "TestWindow.h"

#include "World.h"

#include <QApplication>
#include <QCloseEvent>
#include <QJsonArray>
#include <QKeyEvent>
#include <QKeySequence>

namespace devsim {

namespace {

QJsonArray modifierNames(Qt::KeyboardModifiers modifiers)
{
    QJsonArray names;
    const struct
    {
        Qt::KeyboardModifier flag;
        const char *name;
    } known[] = {{Qt::ControlModifier, "ctrl"},
                 {Qt::AltModifier, "alt"},
                 {Qt::ShiftModifier, "shift"},
                 {Qt::MetaModifier, "meta"}};
    for (const auto &modifier : known) {
        if (modifiers.testFlag(modifier.flag))
            names.append(QLatin1String(modifier.name));
    }
    return names;
}

} // namespace

TestWindow::TestWindow(const QString &title, QString worldPath)
    : m_worldPath(std::move(worldPath))
{
    setWindowTitle(title);
    resize(360, 720);
}

void TestWindow::keyPressEvent(QKeyEvent *event)
{
    const QJsonObject key{{QStringLiteral("key"), QKeySequence(event->key()).toString()},
                          {QStringLiteral("text"), event->text()},
                          {QStringLiteral("modifiers"), modifierNames(event->modifiers())},
                          {QStringLiteral("title"), windowTitle()}};
    World::update(m_worldPath, [&key](QJsonObject &world) {
        QJsonArray keys = world.value(QStringLiteral("windowKeys")).toArray();
        keys.append(key);
        world.insert(QStringLiteral("windowKeys"), keys);
    });
}

void TestWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace devsim

// The plugin's two entry points, looked up by name from the executable (WindowPlugin).
extern "C" Q_DECL_EXPORT QCoreApplication *devsimCreateApplication(int &argc, char **argv)
{
    return new QApplication(argc, argv);
}

extern "C" Q_DECL_EXPORT QObject *devsimOpenWindow(const QString &title, const QString &worldPath)
{
    auto *window = new devsim::TestWindow(title, worldPath);
    window->show();
    return window;
}

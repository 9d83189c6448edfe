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

std::unique_ptr<TestWindow> TestWindow::openIfWanted(const ScrcpyOptions &options, const QJsonObject &phone,
                                                     const QString &worldPath)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    // scrcpy names its window after the phone's model unless told otherwise.
    QString title = options.value(QStringLiteral("window-title"));
    if (title.isEmpty())
        title = phone.value(QStringLiteral("properties"))
                    .toObject()
                    .value(QStringLiteral("ro.product.model"))
                    .toString();
    auto window = std::make_unique<TestWindow>(title, worldPath);
    window->show();
    return window;
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

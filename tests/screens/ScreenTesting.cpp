#include "ScreenTesting.h"

#include "MediaService.h"

#include <QCheckBox>
#include <QComboBox>

namespace quorvane::test {

ScreenWorld::ScreenWorld()
{
    MediaService::setFolderOpener([this](const QString &folder) { opened << folder; });
}

ScreenWorld::~ScreenWorld()
{
    MediaService::setFolderOpener([](const QString &) {});
}

void ScreenWorld::show(QWidget &screen)
{
    screen.resize(900, 700);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
}

void choose(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void checkToggleBinding(const QWidget &screen, QObject &settings, const QString &name,
                        const QString &property)
{
    auto *box = child<QCheckBox>(screen, name);
    const bool initial = settings.property(qPrintable(property)).toBool();
    QCOMPARE(box->isChecked(), initial);
    box->click();
    QCOMPARE(settings.property(qPrintable(property)).toBool(), !initial);
    settings.setProperty(qPrintable(property), initial);
    QCOMPARE(box->isChecked(), initial);
}

} // namespace quorvane::test

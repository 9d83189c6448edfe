#include "ScreenTesting.h"

#include "MediaService.h"

namespace quorvane::test {

ScreenWorld::ScreenWorld()
{
    MediaService::setFolderOpener([this](const QString &folder) { opened << folder; });
}

ScreenWorld::~ScreenWorld()
{
    MediaService::setFolderOpener([](const QString &) {});
}

void ScreenWorld::connectPhone()
{
    world.sim.addPhone(usbSerial);
    await(model().refreshDevices());
    QCOMPARE(model().selectedSerial(), usbSerial);
}

void ScreenWorld::show(QWidget &screen)
{
    screen.resize(900, 700);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
}

} // namespace quorvane::test

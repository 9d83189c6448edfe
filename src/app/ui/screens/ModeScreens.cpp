#include "ModeScreens.h"

#include "CameraModeScreen.h"
#include "ConnectionDoctorScreen.h"
#include "DesktopModeScreen.h"
#include "MainWindow.h"
#include "MirrorPhoneScreen.h"
#include "WirelessScreen.h"

namespace quorvane::app {

void installModeScreens(MainWindow &window, AppModel &model)
{
    window.setScreen(SidebarMode::Mirror, new MirrorPhoneScreen(&model));
    window.setScreen(SidebarMode::Camera, new CameraModeScreen(&model));
    window.setScreen(SidebarMode::Desktop, new DesktopModeScreen(&model));
    window.setScreen(SidebarMode::Wireless, new WirelessScreen(&model));
    window.setScreen(SidebarMode::Doctor, new ConnectionDoctorScreen(&model));
}

} // namespace quorvane::app

#pragma once

namespace quorvane::app {

class AppModel;
class MainWindow;

// Puts the five mode screens, each bound to the model, in the main window's detail area. The application,
// its end-to-end tests and the screenshot tool all show the same window this way.
void installModeScreens(MainWindow &window, AppModel &model);

} // namespace quorvane::app

#pragma once

#include <App/HistoryWindow.h>

#include <functional>
#include <memory>

namespace App {
class CaptureServices;
}
namespace Platform {
class AppearanceProvider;
}

// The history panel of the running application, over its capture and paste services, the history
// and image stores, the X11 desktop and the show-history shortcut as the user has it. A click on its
// warning that automatic pasting is unavailable calls `openGeneralSettings`.
std::unique_ptr<App::HistoryWindow>
makeHistoryPanelController(App::CaptureServices& capture, Platform::AppearanceProvider& appearance,
                           std::function<void()> openGeneralSettings);

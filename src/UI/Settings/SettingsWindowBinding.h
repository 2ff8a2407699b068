#pragma once

#include <App/Windows.h>

#include <memory>

namespace App {
class AppearanceManager;
class CaptureServices;
} // namespace App
namespace Platform {
class AppearanceProvider;
class Scheduler;
} // namespace Platform

namespace UI {

// The settings window of the running application, over its settings, history, in-app language,
// login item, reset, appearance and the session's synthetic input.
std::unique_ptr<App::SettingsWindow> makeSettingsWindow(App::CaptureServices& capture,
                                                        App::AppearanceManager& appearance,
                                                        Platform::AppearanceProvider& appearanceProvider,
                                                        Platform::Scheduler& scheduler);

} // namespace UI

#pragma once

#include <App/Windows.h>

#include <functional>
#include <memory>

namespace App {
class CaptureServices;
}
namespace Platform {
class AppearanceProvider;
class Scheduler;
} // namespace Platform

// The onboarding window of the running application: the session's accessibility trust, the
// show-history shortcut as the user has it, the relaunch, and the desktop's Reduce Motion.
std::unique_ptr<App::OnboardingWindow> makeOnboardingWindow(std::function<void()> onFinish,
                                                            App::CaptureServices& capture,
                                                            Platform::AppearanceProvider& appearance,
                                                            Platform::Scheduler& scheduler);

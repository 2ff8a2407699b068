#include "OnboardingBinding.h"

#include "OnboardingWindowController.h"

#include <App/CaptureServices.h>
#include <Hotkeys/Hotkeys.h>
#include <Platform/AccessibilityTrust.h>
#include <Platform/X11/X11Compositing.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/Motion.h>

#include <QSystemTrayIcon>

namespace {

QStringList showHistoryKeys() {
    const std::optional<Hotkeys::Shortcut> shortcut =
        Hotkeys::getShortcut(Hotkeys::Name(QStringLiteral("showHistory")));
    return shortcut ? KeyNotation::keyCaps(*shortcut) : QStringList();
}

} // namespace

std::unique_ptr<App::OnboardingWindow> makeOnboardingWindow(std::function<void()> onFinish,
                                                            App::CaptureServices& capture,
                                                            Platform::AppearanceProvider& appearance,
                                                            Platform::Scheduler& scheduler) {
    QS::Motion::setAppearanceProvider(&appearance);
    OnboardingServices services;
    services.scheduler = &scheduler;
    services.accessibilityTrusted = [&capture] {
        return capture.accessibilityTrust().isTrusted();
    };
    services.systemTrayAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
    services.showHistoryKeys = &showHistoryKeys;
    services.relaunch = [&capture] {
        return capture.reset().relaunch();
    };
    return std::make_unique<UI::OnboardingWindowController>(std::move(onFinish), std::move(services),
                                                            Platform::X11::isCompositingManagerRunning());
}

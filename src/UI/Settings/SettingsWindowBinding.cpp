#include "SettingsWindowBinding.h"

#include "SettingsWindowController.h"

#include <App/AppearanceManager.h>
#include <App/CaptureServices.h>
#include <App/LanguageManager.h>
#include <Platform/AccessibilityTrust.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <UI/Design/Motion.h>

namespace UI {

std::unique_ptr<App::SettingsWindow> makeSettingsWindow(App::CaptureServices& capture,
                                                        App::AppearanceManager& appearance,
                                                        Platform::AppearanceProvider& appearanceProvider,
                                                        Platform::Scheduler& scheduler) {
    QS::Motion::setAppearanceProvider(&appearanceProvider);
    SettingsServices services;
    services.defaults = Platform::UserDefaults::standard();
    services.store = &HistoryStore::shared();
    services.language = App::LanguageManager::shared();
    services.scheduler = &scheduler;
    services.setLoginItem = [&capture](bool enabled) {
        return capture.loginItem().set(enabled);
    };
    services.eraseAllData = [&capture] {
        return capture.reset().wipeAndRelaunch();
    };
    services.applyAppearance = [&appearance] {
        appearance.apply();
    };
    services.accessibilityTrusted = [&capture] {
        return capture.accessibilityTrust().isTrusted();
    };
    return std::make_unique<SettingsWindowController>(std::move(services));
}

} // namespace UI

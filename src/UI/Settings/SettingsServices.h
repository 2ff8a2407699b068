#pragma once

#include <App/ResetService.h>

#include <QLoggingCategory>

#include <functional>

class HistoryStore;
namespace App {
class LanguageManager;
}
namespace Platform {
class Scheduler;
class UserDefaults;
} // namespace Platform

namespace UI {

// Diagnostics of the settings window (off by default; QT_LOGGING_RULES=quillstack.settings.debug=true).
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

// What the settings window works with. The pages write their settings to `defaults` directly and
// call the rest for the side effects of a change.
struct SettingsServices {
    Platform::UserDefaults* defaults = nullptr;
    // The history: snippets, trimming to the limit and clearing.
    HistoryStore* store = nullptr;
    App::LanguageManager* language = nullptr;
    // Runs the snippet editor's delayed steps.
    Platform::Scheduler* scheduler = nullptr;
    // Registers (true) or removes (false) the login item; false when that failed.
    std::function<bool(bool enabled)> setLoginItem;
    // Erases every piece of data and starts a fresh instance.
    std::function<App::ResetService::WipeOutcome()> eraseAllData;
    // Applies the "appearance" setting to every window at once.
    std::function<void()> applyAppearance;
    // Whether synthetic input works in this session, so that picks can be pasted automatically.
    std::function<bool()> accessibilityTrusted;
};

} // namespace UI

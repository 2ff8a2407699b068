#pragma once

#include <App/AppDelegate.h>

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace Platform {
class AppearanceProvider;
class DBusSingleInstance;
class DesktopAppearance;
class QtScheduler;
class QtSystemTray;
class Scheduler;
class UserDefaults;
} // namespace Platform

namespace App {

class AppearanceManager;
class CaptureServices;
class HotkeysBinding;
class LanguageManager;
class TerminationSignals;

// The windows the shell opens; they live in the UI layer, which the shell does not depend on.
struct WindowFactories {
    // The settings window, over the capture services (login item, reset, synthetic input), the
    // appearance it applies, the desktop's appearance (where Reduce Motion is read) and the
    // scheduler of its delayed steps.
    std::function<std::unique_ptr<SettingsWindow>(CaptureServices& capture, AppearanceManager& appearance,
                                                  Platform::AppearanceProvider& appearanceProvider,
                                                  Platform::Scheduler& scheduler)>
        settings;
    // The onboarding window, over the capture services (trust, relaunch), the desktop's appearance
    // (where Reduce Motion is read) and the scheduler of its delays.
    std::function<std::unique_ptr<OnboardingWindow>(std::function<void()> onFinish, CaptureServices& capture,
                                                    Platform::AppearanceProvider& appearance,
                                                    Platform::Scheduler& scheduler)>
        onboarding;
    // The history panel's controller, over the capture and paste services and the desktop's
    // appearance (where Reduce Motion is read); its warning about automatic pasting calls
    // `openGeneralSettings`.
    std::function<std::unique_ptr<HistoryWindow>(CaptureServices& capture,
                                                 Platform::AppearanceProvider& appearance,
                                                 std::function<void()> openGeneralSettings)>
        historyPanel;
};

// Puts the real services together around the AppDelegate and decides, before anything is shown,
// whether this process becomes the running instance or hands its request to the one already running.
class Application {
public:
    explicit Application(WindowFactories windows);
    ~Application();

    // Runs everything up to the end of the launch sequence. Empty when the event loop should run;
    // otherwise the exit code to end the process with at once.
    std::optional<int> start(const QStringList& arguments);

    AppDelegate* delegate() const { return m_delegate.get(); }
    CaptureServices* capture() const { return m_capture.get(); }

private:
    WindowFactories m_windows;
    std::unique_ptr<Platform::DBusSingleInstance> m_instance;
    std::unique_ptr<TerminationSignals> m_termination;
    std::unique_ptr<Platform::UserDefaults> m_defaults;
    std::unique_ptr<LanguageManager> m_language;
    std::unique_ptr<HotkeysBinding> m_hotkeys;
    std::unique_ptr<Platform::DesktopAppearance> m_appearanceProvider;
    std::unique_ptr<AppearanceManager> m_appearance;
    std::unique_ptr<Platform::QtScheduler> m_scheduler;
    std::unique_ptr<Platform::QtSystemTray> m_tray;
    std::unique_ptr<CaptureServices> m_capture;
    std::unique_ptr<AppDelegate> m_delegate;
};

} // namespace App

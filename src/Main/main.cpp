// The full program. The quillstack command (Launcher/) has handed a later launch's request to a
// running instance before it gets here; what comes here starts as the running instance, or hands
// over the ordinary way when one appeared meanwhile.
#include "Application.h"
#include <App/StartupPhases.h>
#include <Platform/MemoryRelease.h>

#include <UI/HistoryWindow/HistoryPanelBinding.h>
#include <UI/Onboarding/OnboardingBinding.h>
#include <UI/Settings/SettingsWindowBinding.h>

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    App::StartupPhases::mark("main");
    Platform::MemoryRelease::returnLargeBlocksWhenFreed();
    // Clipboard capture, global shortcuts and synthetic paste all work through X11 (or XWayland).
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "Quillstack needs an X11 desktop session, and DISPLAY is not set. Start it from "
                             "within your desktop session.\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    App::StartupPhases::mark("application");
    QApplication::setApplicationName(QStringLiteral("Quillstack"));
    QApplication::setDesktopFileName(QStringLiteral("quillstack"));
    // A tray accessory: closing a window never ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    App::WindowFactories windows;
    windows.settings = [](App::CaptureServices& capture, App::AppearanceManager& appearance,
                          Platform::AppearanceProvider& appearanceProvider, Platform::Scheduler& scheduler) {
        return UI::makeSettingsWindow(capture, appearance, appearanceProvider, scheduler);
    };
    windows.onboarding = [](std::function<void()> onFinish, App::CaptureServices& capture,
                            Platform::AppearanceProvider& appearance, Platform::Scheduler& scheduler) {
        return makeOnboardingWindow(std::move(onFinish), capture, appearance, scheduler);
    };

    windows.historyPanel = [](App::CaptureServices& capture, Platform::AppearanceProvider& appearance,
                              std::function<void()> openGeneralSettings) {
        return makeHistoryPanelController(capture, appearance, std::move(openGeneralSettings));
    };
    App::Application application(std::move(windows));
    if (const std::optional<int> exitCode = application.start(QApplication::arguments()))
        return *exitCode;
    return QApplication::exec();
}

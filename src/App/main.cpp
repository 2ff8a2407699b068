#include "Application.h"

#include <UI/Onboarding/OnboardingWindowController.h>
#include <UI/Settings/SettingsWindowController.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillstack"));
    QApplication::setDesktopFileName(QStringLiteral("quillstack"));
    // A tray accessory: closing a window never ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    App::WindowFactories windows;
    windows.settings = [] {
        return std::make_unique<UI::SettingsWindowController>();
    };
    windows.onboarding = [](std::function<void()> onFinish, std::function<bool()> reduceMotion) {
        return std::make_unique<UI::OnboardingWindowController>(std::move(onFinish), std::move(reduceMotion));
    };

    App::Application application(std::move(windows));
    if (const std::optional<int> exitCode = application.start(QApplication::arguments()))
        return *exitCode;
    return QApplication::exec();
}

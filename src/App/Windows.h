#pragma once

namespace App {

// The settings window: created on first use, then reused for the life of the process.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;
    // Brings the window to the front, centred, with its title in the current language.
    virtual void show() = 0;
    // The same, on the General page.
    virtual void showGeneralPage() = 0;
};

// The first-run onboarding window.
class OnboardingWindow {
public:
    virtual ~OnboardingWindow() = default;
    virtual void show() = 0;
    virtual void close() = 0;
};

} // namespace App

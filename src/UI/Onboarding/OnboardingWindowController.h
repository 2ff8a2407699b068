#pragma once

#include <App/Windows.h>

#include <QWidget>

#include <functional>
#include <memory>

namespace UI {

// The first-run onboarding window: 580 × 560, centred, fading in unless Reduce Motion is on.
// `onFinish` runs when the user completes it.
class OnboardingWindowController final : public App::OnboardingWindow {
public:
    OnboardingWindowController(std::function<void()> onFinish, std::function<bool()> reduceMotion);
    ~OnboardingWindowController() override;

    void show() override;
    void close() override;

    QWidget* window() const { return m_window.get(); }

private:
    std::function<bool()> m_reduceMotion;
    std::unique_ptr<QWidget> m_window;
};

} // namespace UI

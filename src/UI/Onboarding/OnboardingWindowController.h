#pragma once

#include "OnboardingView.h"
#include "SoftShadow.h"

#include <App/Windows.h>

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QPropertyAnimation;

// The onboarding's own window: frameless, holding the view. Where a compositor blends translucent
// windows, the window is translucent with room around the rounded view for its soft shadow;
// otherwise it is exactly the view, opaque and cut to the view's rounded shape.
class OnboardingWindowWidget : public QWidget {
    Q_OBJECT
public:
    OnboardingWindowWidget(OnboardingView* view, bool translucent);

    bool isTranslucent() const { return m_translucent; }
    OnboardingView* view() const { return m_view; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    OnboardingView* m_view;
    bool m_translucent;
    SoftShadow m_shadow;
};

namespace UI {

// The first-run onboarding window: built once, shown centred and in front, fading in over 0.28 s
// unless Reduce Motion is on. `onFinish` runs when the user completes the onboarding.
class OnboardingWindowController final : public App::OnboardingWindow {
public:
    // `translucent`: whether a compositor blends translucent windows with the desktop.
    OnboardingWindowController(std::function<void()> onFinish, OnboardingServices services, bool translucent);
    ~OnboardingWindowController() override;

    void show() override;
    void close() override;

    OnboardingWindowWidget* window() const { return m_window.get(); }
    OnboardingView* view() const { return m_window->view(); }

private:
    std::unique_ptr<OnboardingWindowWidget> m_window;
    QPropertyAnimation* m_fade;
};

} // namespace UI

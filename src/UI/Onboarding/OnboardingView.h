#pragma once

#include <UI/Design/Motion.h>
#include <UI/Design/WindowDragHandle.h>

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class AnimatedValue;
class QAbstractButton;
class QGraphicsOpacityEffect;
class QLabel;
namespace Platform {
class RepeatingTimer;
class Scheduler;
} // namespace Platform

namespace Onboarding {
class AppIconBadge;
class CapsuleButton;
class CelebrationOverlay;
class CloseButton;
class FeatureRow;
class HintCard;
class KeyGlyphCard;
class PrimaryButton;
class StatusBadge;
class StepDots;
class SymbolHalo;
class TextButton;
} // namespace Onboarding

// What the onboarding works with.
struct OnboardingServices {
    // Delays and the trust poll run on it (required).
    Platform::Scheduler* scheduler = nullptr;
    // Whether pasting into other applications works in this session; absent counts as not.
    std::function<bool()> accessibilityTrusted;
    // Whether the desktop shows a system tray, where the status icon and its menu live; absent
    // counts as yes. Without one the last step points to the desktop entry's actions and the
    // commands instead.
    std::function<bool()> systemTrayAvailable;
    // The keys of the show-history shortcut as the user has it, one entry per key ("Shift", "Super",
    // "V"); empty when no shortcut is set.
    std::function<QStringList()> showHistoryKeys;
    // Starts a new instance in place of this one; false when it could not be started.
    std::function<bool()> relaunch;
};

// The first-run onboarding: three steps (welcome, automatic pasting, ready) on the brand gradient,
// with Back, Skip and the primary button below. Reduce Motion is read from the design system at the
// moment each motion starts. The view polls the accessibility trust every 0.5 s for as long as it
// exists; the poll only observes and never changes the step. GUI thread only.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    enum Step { Welcome = 0, Permission = 1, Ready = 2 };
    static constexpr int kStepCount = 3;
    static constexpr int kWidth = 580;
    static constexpr int kHeight = 560;
    static constexpr qreal kCornerRadius = 16;

    // `onFinish` is called once, when the user completes the onboarding.
    OnboardingView(std::function<void()> onFinish, OnboardingServices services, QWidget* parent = nullptr);
    ~OnboardingView() override;

    int step() const { return m_step; }
    bool isAccessibilityGranted() const { return m_axGranted; }
    bool hasAppeared() const { return m_appeared; }
    bool isOrbPhaseOn() const { return m_orbPhase; }
    bool isFeatureVisible(int row) const { return m_featureVisible.at(row); }
    bool isStepContentReady() const { return m_stepContentReady; }
    bool isCelebrating() const { return m_celebrate; }
    bool isPulsing() const { return m_ctaPulse; }

    // Moves to `target`; a step outside 0...2 or the current one is ignored.
    void goTo(int target);

    QAbstractButton* closeButton() const;

signals:
    void stepChanged(int step);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* buildWelcome();
    QWidget* buildPermission();
    QWidget* buildReady();
    void retranslate();
    void layoutControls();
    void updateControls();
    void updatePermission();
    void placePages();

    void runEntrance();
    void runStepEntrance(int newStep);
    void setStepContentReady(bool ready, const QS::Motion::Animation& motion);
    void setFeatureVisible(int row, bool visible, const QS::Motion::Animation& motion);
    void celebrateBriefly();
    void finishWithAnimation();
    void permissionTick();
    void primaryAction();
    void restart();
    // The motions that run for ever rest while the window is hidden.
    void setEndlessMotionPaused(bool paused);
    QStringList shortcutKeys() const;
    bool hasSystemTray() const;

    std::function<void()> m_onFinish;
    OnboardingServices m_services;

    int m_step = Welcome;
    bool m_axGranted = false;
    bool m_appeared = false;
    bool m_orbPhase = false;
    std::array<bool, 3> m_featureVisible{false, false, false};
    bool m_stepContentReady = false;
    bool m_celebrate = false;
    bool m_ctaPulse = false;
    bool m_entranceRun = false;
    bool m_finishing = false;
    // Counts celebrations, so that the end of an earlier one does not cut a later one short.
    quint64 m_celebration = 0;
    std::unique_ptr<Platform::RepeatingTimer> m_axTimer;

    // What is drawn, moving towards the state above.
    AnimatedValue* m_appearance;
    AnimatedValue* m_orbs;
    AnimatedValue* m_contentReveal;
    std::array<AnimatedValue*, 3> m_rowReveal{};
    AnimatedValue* m_pulse;
    AnimatedValue* m_dots;
    AnimatedValue* m_celebrationStrength;
    AnimatedValue* m_grantedPresence;
    AnimatedValue* m_ring;

    QWidget* m_stage;
    std::array<QWidget*, 3> m_pages{};
    QGraphicsOpacityEffect* m_pageFade = nullptr;

    Onboarding::AppIconBadge* m_appIcon;
    QLabel* m_welcomeTitle;
    QLabel* m_welcomeSubtitle;
    std::array<Onboarding::FeatureRow*, 3> m_rows{};

    Onboarding::SymbolHalo* m_halo;
    QLabel* m_permissionTitle;
    QLabel* m_permissionText;
    Onboarding::StatusBadge* m_grantedBadge;
    QWidget* m_permissionActions;
    QLabel* m_unavailableNote;
    Onboarding::CapsuleButton* m_restartButton;
    QLabel* m_restartFailed;

    Onboarding::KeyGlyphCard* m_keyCard;
    QLabel* m_readyTitle;
    QLabel* m_readyText;
    Onboarding::HintCard* m_trayHint;

    Onboarding::StepDots* m_stepDots;
    Onboarding::TextButton* m_backButton;
    Onboarding::TextButton* m_skipButton;
    Onboarding::PrimaryButton* m_primaryButton;
    Onboarding::CloseButton* m_closeButton;
    Onboarding::CelebrationOverlay* m_celebrationOverlay;

    WindowDrag m_drag;
};

#pragma once

#include "HistoryView.h"
#include "PanelPlacement.h"

#include <App/HistoryWindow.h>
#include <Platform/Workspace.h>

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class HistoryPasting;
class HistoryStore;
class ImageStore;
class QPropertyAnimation;
namespace Platform {
class UserDefaults;
} // namespace Platform

// The history panel's window: frameless, translucent, above other windows, not in the task bar.
// It hides when it loses the keyboard focus.
class HistoryPanel : public QWidget {
    Q_OBJECT
public:
    // `composited`: whether a compositor blends translucent windows with the desktop.
    explicit HistoryPanel(bool composited = true, QWidget* parent = nullptr);

    // The next paint is noted in the diagnostic log, for measuring how soon a shown panel is seen.
    void notePaintAfterShow() { m_notePaint = true; }

signals:
    void deactivated();

protected:
    bool event(QEvent* event) override;

private:
    bool m_notePaint = false;
};

// What the controller works with. Store and pasting are required; the rest may be absent.
struct HistoryPanelServices {
    HistoryStore* store = nullptr;
    HistoryPasting* pasting = nullptr;
    ImageStore* images = nullptr;
    Platform::Workspace* workspace = nullptr;
    // Where the caret of the focused field is (for "windowPosition" = "input").
    std::function<QFuture<std::optional<QRect>>()> focusedInputFrame;
    Platform::UserDefaults* defaults = nullptr;
    std::function<bool()> accessibilityTrusted;
    std::function<QString()> showHistoryKeys;
    // Opens the settings on the General page, which explains why automatic pasting is unavailable.
    std::function<void()> openGeneralSettings;
    std::function<QIcon(const QString& bundleID)> appIcon;
    std::function<void(const ContentClassifier::SmartAction&, const ContentClassifier::Replies&)>
        performSmartAction;
    // The pointer and the screens; the desktop's own when unset.
    std::function<QPoint()> pointerPosition;
    std::function<QList<PanelPlacement::Screen>()> screens;
    // Whether a compositing manager blends translucent windows with the desktop; without one the
    // panel is opaque and cut to its rounded shape.
    bool composited = true;
};

// Owns the one history panel: shows it (placed by "windowPosition") and hides it with short
// fades, remembers which application was in front, and after a pick hides the panel, gives the
// focus back to that application and pastes. GUI thread only.
class HistoryPanelController : public QObject, public App::HistoryWindow {
    Q_OBJECT
public:
    static constexpr int kFadeInMs = 180;
    static constexpr int kFadeOutMs = 120;
    static constexpr int kHandOffDelayMs = 80;
    static constexpr int kReducedHandOffDelayMs = 20;

    explicit HistoryPanelController(HistoryPanelServices services, QObject* parent = nullptr);
    ~HistoryPanelController() override;

    // Visible and not fading out.
    bool isPanelVisible() const override;
    // Makes the panel, then its window, then a first rendering of its contents, one per call,
    // without showing it.
    bool prepareNextPart() override;
    // Brings the panel up; in "input" mode once the caret of the application in front is known.
    void show() override;
    void hide() override;

    void hideAndPaste(const ClipboardItemPtr& item, bool plainTextOnly);
    void hideAndPasteText(const QString& text);
    void hideAndPasteAll(const QList<ClipboardItemPtr>& items);
    void hideAndStartQueue(const QList<ClipboardItemPtr>& items);

    HistoryPanel* panel() const { return m_panel; }
    HistoryView* view() const { return m_view; }
    const std::optional<Platform::RunningApplication>& previousApp() const { return m_previousApp; }
    bool isAnimating() const;

private:
    enum class Phase { hidden, fadingIn, shown, fadingOut };

    void makePanel();
    // Places the panel (by the input frame in "input" mode) and brings it up.
    void present(const std::optional<QRect>& inputFrame);
    void positionPanel(const std::optional<QRect>& inputFrame);
    void finishHide();
    // The common start of a hand-off; false when the pick is refused.
    bool beginHandOff();
    void scheduleAfterHandOff(std::function<void()> action);

    HistoryPanelServices m_services;
    QPointer<HistoryPanel> m_panel;
    HistoryView* m_view = nullptr;
    QPropertyAnimation* m_fade = nullptr;
    Phase m_phase = Phase::hidden;
    // Built and rendered ahead, or shown: preparing has nothing left to do.
    bool m_prepared = false;
    std::optional<Platform::RunningApplication> m_previousApp;
    // Counts showings, so a late caret position does not show a panel asked for again since.
    quint64 m_showGeneration = 0;
    // A showing waits for the caret of the application in front.
    bool m_locating = false;
    // Where the caret was when the panel was last placed by it, in device pixels.
    std::optional<QRect> m_inputFrame;
};

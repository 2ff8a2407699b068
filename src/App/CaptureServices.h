#pragma once

#include "AppDelegate.h"
#include "LoginItemManager.h"
#include "ResetService.h"
#include "Shortcuts.h"

#include <QPointer>

#include <memory>

class QMessageBox;
class FocusedInputLocator;
class HistoryStore;
class PasteboardMonitor;
class PasteQueue;
class PasteService;
class VeskIntegration;
namespace Platform {
class AccessibilityTrust;
class FocusedElementLocator;
class GlobalKeyMonitor;
class Pasteboard;
class Relauncher;
class Scheduler;
class SyntheticKeyboard;
class TextRecognizer;
class UserDefaults;
class Workspace;
} // namespace Platform

namespace App {

// Pastes the newest history item as plain text (the pastePlainText shortcut); nothing is pasted
// when there is none or it cannot be written.
class NewestItemPasting : public PlainTextPasting {
public:
    NewestItemPasting(HistoryStore& store, PasteService& paste) : m_store(store), m_paste(paste) {}
    bool copyNewestAsPlainText() override;
    void autoPasteIfEnabled() override;

private:
    HistoryStore& m_store;
    PasteService& m_paste;
};

// Capture and paste on the X11 session, put together for the running application: the clipboard,
// workspace and keyboard of the X server, the history store, the monitor, the paste service and
// queue, the caret locator, the editor hand-off, the login item and the reset.
class CaptureServices {
public:
    // Opens the history store, so the application object must exist. `quit` ends the event loop.
    CaptureServices(Platform::UserDefaults& defaults, Platform::Scheduler& scheduler,
                    std::function<void()> quit);
    ~CaptureServices();

    // Gives the delegate the monitor, the plain-text paste and the clear-history command.
    void install(AppServices& services);

    PasteService& pasteService() { return *m_paste; }
    PasteQueue& pasteQueue() { return *m_queue; }
    FocusedInputLocator& focusedInputLocator() { return *m_locator; }
    Platform::Workspace& workspace() { return *m_workspace; }
    Platform::AccessibilityTrust& accessibilityTrust() { return *m_trust; }
    VeskIntegration& vesk() { return *m_vesk; }
    LoginItemManager& loginItem() { return m_loginItem; }
    ResetService& reset() { return *m_reset; }

private:
    void clearHistoryAfterConfirmation();

    Platform::UserDefaults& m_defaults;
    Platform::Scheduler& m_scheduler;
    std::unique_ptr<Platform::TextRecognizer> m_recognizer;
    std::unique_ptr<Platform::Pasteboard> m_pasteboard;
    std::unique_ptr<Platform::Workspace> m_workspace;
    std::unique_ptr<Platform::SyntheticKeyboard> m_keyboard;
    std::unique_ptr<Platform::GlobalKeyMonitor> m_keys;
    std::unique_ptr<Platform::FocusedElementLocator> m_elementLocator;
    std::unique_ptr<Platform::AccessibilityTrust> m_trust;
    std::unique_ptr<Platform::Relauncher> m_relauncher;
    HistoryStore* m_store = nullptr;
    std::unique_ptr<PasteService> m_paste;
    std::unique_ptr<PasteQueue> m_queue;
    std::unique_ptr<FocusedInputLocator> m_locator;
    std::unique_ptr<VeskIntegration> m_vesk;
    std::unique_ptr<NewestItemPasting> m_plainTextPasting;
    LoginItemManager m_loginItem;
    std::unique_ptr<ResetService> m_reset;
    // Owned by the delegate once made.
    ::PasteboardMonitor* m_monitor = nullptr;
    // The clear-history question while it is open.
    QPointer<QMessageBox> m_clearQuestion;
};

} // namespace App

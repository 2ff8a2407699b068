#pragma once

#include "HistoryWindow.h"
#include "Shortcuts.h"
#include "StatusMenuKeys.h"
#include "Windows.h"

#include <Capture/PasteboardMonitorInterface.h>
#include <Platform/InstanceCommand.h>
#include <Platform/SystemTray.h>

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

namespace Platform {
class Scheduler;
class SingleInstance;
class UserDefaults;
} // namespace Platform

namespace App {

// Everything the delegate works with. Services that later parts of the application provide may be
// absent: without a monitor the forced checks are skipped, without a panel nothing is shown,
// without a hot-key registrar no handlers are registered.
struct AppServices {
    Platform::UserDefaults* defaults = nullptr;
    Platform::Scheduler* scheduler = nullptr;
    Platform::SingleInstance* instance = nullptr;
    Platform::SystemTray* tray = nullptr;
    std::function<void()> applyAppearance;
    std::function<std::unique_ptr<PasteboardMonitor>()> makeMonitor;
    std::function<std::unique_ptr<HistoryWindow>()> makePanelController;
    HotkeyRegistrar* hotkeys = nullptr;
    PlainTextPasting* plainTextPasting = nullptr;
    // Asks the user and clears the unpinned history; without it the menu has no such entry.
    std::function<void()> clearHistory;
    std::function<std::unique_ptr<SettingsWindow>()> makeSettingsWindow;
    std::function<std::unique_ptr<OnboardingWindow>(std::function<void()> onFinish)> makeOnboardingWindow;
    std::function<void()> quit;
};

// The application shell: the launch sequence, the external requests to show the history, the two
// global shortcuts' handlers, the status icon and its menu, and the settings and onboarding windows.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(AppServices services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence; `arguments` is the process's command line.
    void applicationDidFinishLaunching(const QStringList& arguments);
    // URLs opened with the program: kept until launch has finished, then handled in order.
    void openUrls(const QList<QUrl>& urls);

    // Status-menu actions.
    void showHistory();
    void togglePause();
    void clearHistory();
    void openSettings();
    // The settings window on its General page, which explains why automatic pasting is unavailable
    // (the history panel's warning leads there).
    void openGeneralSettings();

    bool isLaunchFinished() const { return m_launchFinished; }
    const QList<QUrl>& pendingUrls() const { return m_pendingURLs; }
    bool isOnboardingShown() const { return m_onboardingController != nullptr; }

private:
    void setupStatusItem();
    Platform::MenuModel buildMenu();
    void handleURL(const QUrl& url);
    // A status-menu command that came from another launch or this one's command line.
    void runCommand(Platform::InstanceCommand command);
    // Made on first use, then kept.
    SettingsWindow* settingsWindow();
    void presentHistoryFromExternalRequest();
    void forcedCheck();
    void togglePanel();
    void showPanel();
    void preparePanelInIdleTime();
    void pasteNewestAsPlainText();
    void showOnboardingIfNeeded();

    AppServices m_services;
    std::unique_ptr<PasteboardMonitor> m_monitor;
    std::unique_ptr<HistoryWindow> m_panelController;
    std::unique_ptr<SettingsWindow> m_settingsController;
    std::unique_ptr<OnboardingWindow> m_onboardingController;
    std::unique_ptr<StatusMenuKeys> m_menuKeys;
    QList<QUrl> m_pendingURLs;
    bool m_launchFinished = false;
};

} // namespace App

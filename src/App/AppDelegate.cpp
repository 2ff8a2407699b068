#include "AppDelegate.h"

#include "StartupPhases.h"
#include "UrlRequest.h"

#include <Capture/DefaultSettings.h>
#include <Platform/Scheduler.h>
#include <Platform/SingleInstance.h>
#include <Platform/UserDefaults.h>

#include <QLoggingCategory>
#include <QPointer>

using namespace std::chrono_literals;

namespace App {

Q_LOGGING_CATEGORY(lcShell, "quillstack.shell", QtInfoMsg)

namespace {
const QString capturingSymbol = QStringLiteral("doc.on.clipboard");
const QString pausedSymbol = QStringLiteral("doc.on.clipboard.fill");
const QString statusDescription = QStringLiteral("Quillstack");
} // namespace

AppDelegate::AppDelegate(AppServices services, QObject* parent)
    : QObject(parent), m_services(std::move(services)) {
    if (m_services.makePanelController)
        m_panelController = m_services.makePanelController();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching(const QStringList& arguments) {
    // 1. Defaults, 2. appearance.
    registerDefaultSettings(*m_services.defaults);
    if (m_services.applyAppearance)
        m_services.applyAppearance();

    // 3. URLs handed over by later launches.
    QPointer<AppDelegate> self(this);
    m_services.instance->observeOpenUrls([self](const QList<QUrl>& urls) {
        if (self)
            self->openUrls(urls);
    });

    // 4. Capture starts; from here on the launch counts as finished.
    if (m_services.makeMonitor)
        m_monitor = m_services.makeMonitor();
    m_launchFinished = true;
    if (m_monitor)
        m_monitor->start();

    // 5. The broadcast request to show the history, and the status menu's commands from later
    // launches (a desktop without a tray has no other way to them).
    m_services.instance->observeShowHistory([self] {
        if (self)
            self->presentHistoryFromExternalRequest();
    });
    m_services.instance->observeCommands([self](Platform::InstanceCommand command) {
        if (self)
            self->runCommand(command);
    });

    // 6. Status icon and menu.
    setupStatusItem();

    // 7, 8. Global shortcuts.
    if (m_services.hotkeys) {
        m_services.hotkeys->onKeyUp(Shortcuts::showHistory, [self] {
            if (self)
                self->togglePanel();
        });
        m_services.hotkeys->onKeyUp(Shortcuts::pastePlainText, [self] {
            if (self)
                self->pasteNewestAsPlainText();
        });
    }

    // 9. The command-line flags.
    const LaunchRequest request = parseCommandLine(arguments);
    if (request.showHistory)
        presentHistoryFromExternalRequest();
    for (const Platform::InstanceCommand command : request.commands)
        runCommand(command);

    // 10. URLs that arrived while launching.
    const QList<QUrl> pending = std::exchange(m_pendingURLs, {});
    for (const QUrl& url : pending)
        handleURL(url);

    // 11. First run.
    showOnboardingIfNeeded();
    qCDebug(lcShell) << "launch finished";
    StartupPhases::mark("launch finished");

    // Off the launch sequence, once the event loop runs and has answered the requests that came
    // while launching: the panel is built before it is first asked for.
    if (m_panelController) {
        m_services.scheduler->schedule(0ms, this, [self] {
            StartupPhases::mark("event loop");
            if (self)
                self->preparePanelInIdleTime();
        });
    }
}

void AppDelegate::preparePanelInIdleTime() {
    // One part per turn of the event loop, each after the requests already waiting (the bus
    // delivers them as posted events, which the loop takes before timers): a request that comes
    // meanwhile waits for one part at most.
    QPointer<AppDelegate> self(this);
    m_services.scheduler->schedule(0ms, this, [self] {
        if (!self)
            return;
        if (self->m_panelController->prepareNextPart())
            self->preparePanelInIdleTime();
        else
            StartupPhases::mark("panel built");
    });
}

void AppDelegate::openUrls(const QList<QUrl>& urls) {
    if (!m_launchFinished) {
        m_pendingURLs.append(urls);
        return;
    }
    for (const QUrl& url : urls)
        handleURL(url);
}

void AppDelegate::handleURL(const QUrl& url) {
    const std::optional<QString> action = quillstackAction(url);
    if (!action)
        return;
    // "show", "history" and the empty action are the documented ones; any other action shows the
    // history as well.
    qCDebug(lcShell) << "URL request" << url.toString() << "action" << *action;
    presentHistoryFromExternalRequest();
}

void AppDelegate::presentHistoryFromExternalRequest() {
    qCDebug(lcShell) << "external request to show the history";
    StartupPhases::mark("request answered");
    // Checks at once, just before the panel appears and shortly after, so a clip the requesting
    // program has just made is already in the list.
    forcedCheck();
    QPointer<AppDelegate> self(this);
    m_services.scheduler->schedule(50ms, this, [self] {
        if (!self)
            return;
        self->forcedCheck();
        self->showPanel();
    });
    m_services.scheduler->schedule(250ms, this, [self] {
        if (self)
            self->forcedCheck();
    });
}

void AppDelegate::forcedCheck() {
    if (m_monitor)
        m_monitor->check(true);
}

void AppDelegate::showPanel() {
    qCDebug(lcShell) << "show the history panel";
    if (m_panelController)
        m_panelController->show();
}

void AppDelegate::togglePanel() {
    qCDebug(lcShell) << "toggle the history panel";
    if (m_panelController && m_panelController->isPanelVisible()) {
        qCDebug(lcShell) << "hide the history panel";
        m_panelController->hide();
        return;
    }
    showPanel();
}

void AppDelegate::pasteNewestAsPlainText() {
    qCDebug(lcShell) << "paste the newest item as plain text";
    if (!m_services.plainTextPasting)
        return;
    if (m_services.plainTextPasting->copyNewestAsPlainText())
        m_services.plainTextPasting->autoPasteIfEnabled();
}

void AppDelegate::showOnboardingIfNeeded() {
    if (m_services.defaults->boolValue(SettingsKeys::hasCompletedOnboarding, false))
        return;
    if (!m_services.makeOnboardingWindow)
        return;
    QPointer<AppDelegate> self(this);
    m_onboardingController = m_services.makeOnboardingWindow([self] {
        if (!self)
            return;
        self->m_services.defaults->setValue(SettingsKeys::hasCompletedOnboarding, true);
        if (self->m_onboardingController)
            self->m_onboardingController->close();
        // The window may be the caller; release it once control has left it.
        self->m_services.scheduler->schedule(0ms, self, [self] {
            if (self)
                self->m_onboardingController.reset();
        });
    });
    m_onboardingController->show();
}

void AppDelegate::runCommand(Platform::InstanceCommand command) {
    qCDebug(lcShell) << "request" << QString::fromLatin1(Platform::flagOf(command));
    switch (command) {
    case Platform::InstanceCommand::OpenSettings:
        openSettings();
        return;
    case Platform::InstanceCommand::ToggleMonitoring:
        togglePause();
        return;
    case Platform::InstanceCommand::ClearHistory:
        clearHistory();
        return;
    case Platform::InstanceCommand::Quit:
        if (m_services.quit)
            m_services.quit();
        return;
    }
}

SettingsWindow* AppDelegate::settingsWindow() {
    if (!m_settingsController && m_services.makeSettingsWindow)
        m_settingsController = m_services.makeSettingsWindow();
    return m_settingsController.get();
}

void AppDelegate::openSettings() {
    if (SettingsWindow* window = settingsWindow())
        window->show();
}

void AppDelegate::openGeneralSettings() {
    if (SettingsWindow* window = settingsWindow())
        window->showGeneralPage();
}

void AppDelegate::showHistory() {
    togglePanel();
}

void AppDelegate::togglePause() {
    if (!m_monitor)
        return;
    const bool paused = !m_monitor->isPaused();
    m_monitor->setPaused(paused);
    qCDebug(lcShell) << (paused ? "monitoring paused" : "monitoring resumed");
    m_services.tray->setSymbol(paused ? pausedSymbol : capturingSymbol, statusDescription, paused);
}

void AppDelegate::clearHistory() {
    if (m_services.clearHistory)
        m_services.clearHistory();
}

void AppDelegate::setupStatusItem() {
    m_services.tray->show(capturingSymbol, statusDescription);
    QPointer<AppDelegate> self(this);
    const auto menu = [self] {
        return self ? self->buildMenu() : Platform::MenuModel{};
    };
    m_services.tray->setMenuBuilder(menu);
    m_menuKeys = std::make_unique<StatusMenuKeys>(menu);
}

Platform::MenuModel AppDelegate::buildMenu() {
    // Rebuilt at every opening, so titles follow the current language and the pause state.
    QPointer<AppDelegate> self(this);
    auto call = [self](void (AppDelegate::*member)()) {
        return [self, member] {
            if (self)
                (self.data()->*member)();
        };
    };
    Platform::MenuModel menu;
    menu.push_back({tr("Show History"), {}, call(&AppDelegate::showHistory)});
    if (m_monitor) {
        menu.push_back({m_monitor->isPaused() ? tr("Resume Monitoring") : tr("Pause Monitoring"),
                        {},
                        call(&AppDelegate::togglePause)});
    }
    menu.push_back(Platform::MenuEntry::separator());
    if (m_services.clearHistory) {
        menu.push_back({tr("Clear History"), {}, call(&AppDelegate::clearHistory)});
        menu.push_back(Platform::MenuEntry::separator());
    }
    menu.push_back({tr("Settings…"), QStringLiteral("Ctrl+,"), call(&AppDelegate::openSettings)});
    menu.push_back({tr("Quit Quillstack"), QStringLiteral("Ctrl+Q"), m_services.quit});
    return menu;
}

} // namespace App

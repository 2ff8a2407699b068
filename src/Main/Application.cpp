#include "Application.h"

#include <App/AppearanceManager.h>
#include <App/CaptureServices.h>
#include <App/HotkeysBinding.h>
#include <App/LanguageManager.h>
#include <App/ResourceDirectory.h>
#include <App/StartupPhases.h>
#include <App/TerminationSignals.h>
#include <App/UrlRequest.h>
#include <Platform/Appearance/DesktopAppearance.h>
#include <Platform/DBus/DBusSingleInstance.h>
#include <Platform/Scheduling/QtScheduler.h>
#include <Platform/Tray/QtSystemTray.h>
#include <Platform/UserDefaults.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <string>

using namespace std::chrono_literals;

namespace App {

namespace {
// How long an instance started to replace the running one waits for it to go.
constexpr auto relaunchWait = 10s;
// How long a second launch whose request was refused waits for the running instance's name to come
// free: an instance that refuses because it is quitting releases the name a moment after its answer,
// which can reach the bus after this launch asks for the name.
constexpr auto quittingInstanceGrace = 2s;

void say(const char* message) {
    std::fprintf(stderr, "Quillstack: %s\n", message);
}

QString settingsFilePath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("quillstack/settings.json"));
}

// A later launch hands its request to the running instance; true when every part arrived.
bool handOver(Platform::SingleInstance& instance, const LaunchRequest& request) {
    bool delivered = true;
    if (!request.urls.isEmpty())
        delivered = instance.sendUrls(request.urls) && delivered;
    if (request.showHistory)
        delivered = instance.sendShowHistory() && delivered;
    for (const Platform::InstanceCommand command : request.commands)
        delivered = instance.sendCommand(command) && delivered;
    return delivered;
}
} // namespace

Application::Application(WindowFactories windows) : m_windows(std::move(windows)) {}

Application::~Application() {
    // The window and tray go first, then the hot keys; the bus name is released last, when nothing
    // can act any more.
    m_delegate.reset();
    m_capture.reset();
    m_tray.reset();
    m_hotkeys.reset();
    LanguageManager::setShared(nullptr);
    Platform::UserDefaults::setStandard(nullptr);
}

std::optional<int> Application::start(const QStringList& arguments) {
    const LaunchRequest request = parseCommandLine(arguments);

    m_instance = std::make_unique<Platform::DBusSingleInstance>();
    const Platform::SingleInstance::Claim claim =
        request.relaunched ? m_instance->claimWhenReleased(relaunchWait) : m_instance->claim();
    // Commands such as --quit act on a running instance; this launch does not become one for them.
    const std::optional<Platform::InstanceCommand> onlyForARunningInstance =
        request.relaunched ? std::nullopt : request.commandNeedingAnInstance();
    if (onlyForARunningInstance && claim == Platform::SingleInstance::Claim::Primary) {
        const std::string flag(Platform::flagOf(*onlyForARunningInstance));
        std::fprintf(stderr, "Quillstack is not running; %s needs a running instance.\n", flag.c_str());
        return 1;
    }
    if (onlyForARunningInstance && claim == Platform::SingleInstance::Claim::Unavailable) {
        say("the session D-Bus is not reachable, so the running instance cannot be asked.");
        return 1;
    }
    switch (claim) {
    case Platform::SingleInstance::Claim::Primary:
        break;
    case Platform::SingleInstance::Claim::Unavailable:
        say("the session D-Bus is not reachable; other programs cannot ask this instance for the history, "
            "and a second start will not be detected.");
        break;
    case Platform::SingleInstance::Claim::AlreadyRunning:
        if (request.relaunched) {
            say("the previous instance did not quit in time; this new instance stops.");
            return 1;
        }
        if (!request.asksForSomething()) {
            say("already running.");
            return 0;
        }
        if (handOver(*m_instance, request))
            return 0;
        // The running instance may have quit meanwhile; then this one takes its place, unless the
        // request was for a running instance only.
        if (onlyForARunningInstance || m_instance->claimWhenReleased(quittingInstanceGrace) !=
                                           Platform::SingleInstance::Claim::Primary) {
            say("the running instance did not take the request.");
            return 1;
        }
        break;
    }

    if (claim == Platform::SingleInstance::Claim::Primary)
        StartupPhases::mark("name owned");
    // From here on this process is the running instance: a request to terminate ends it as Quit does.
    m_termination = std::make_unique<TerminationSignals>([] { QCoreApplication::quit(); });

    m_defaults = std::make_unique<Platform::UserDefaults>(settingsFilePath());
    Platform::UserDefaults::setStandard(m_defaults.get());

    m_language = std::make_unique<LanguageManager>(*m_defaults, &LanguageManager::desktopLanguages);
    LanguageManager::setShared(m_language.get());
    m_language->installTranslators();

    // The shortcut library keeps its shortcuts in these settings and speaks the in-app language;
    // both are bound before the launch sequence declares the first name.
    m_hotkeys = std::make_unique<HotkeysBinding>(*m_defaults, *m_language);

    m_appearanceProvider = std::make_unique<Platform::DesktopAppearance>(QApplication::palette());
    m_appearance =
        std::make_unique<AppearanceManager>(*m_defaults, *m_appearanceProvider, QApplication::palette());
    m_scheduler = std::make_unique<Platform::QtScheduler>();
    m_tray =
        std::make_unique<Platform::QtSystemTray>(QDir(resourceDirectory()).filePath(QStringLiteral("icons")));

    AppServices services;
    services.defaults = m_defaults.get();
    services.scheduler = m_scheduler.get();
    services.instance = m_instance.get();
    services.tray = m_tray.get();
    services.hotkeys = m_hotkeys.get();
    services.applyAppearance = [this] {
        m_appearance->apply();
    };
    if (m_windows.settings) {
        services.makeSettingsWindow = [this] {
            return m_windows.settings(*m_capture, *m_appearance, *m_appearanceProvider, *m_scheduler);
        };
    }
    if (m_windows.onboarding) {
        services.makeOnboardingWindow = [this](std::function<void()> onFinish) {
            return m_windows.onboarding(std::move(onFinish), *m_capture, *m_appearanceProvider, *m_scheduler);
        };
    }
    services.quit = [] {
        QCoreApplication::quit();
    };
    m_capture = std::make_unique<CaptureServices>(*m_defaults, *m_scheduler, services.quit);
    StartupPhases::mark("store open");
    m_capture->install(services);
    if (m_windows.historyPanel) {
        services.makePanelController = [this] {
            return m_windows.historyPanel(*m_capture, *m_appearanceProvider, [this] {
                if (m_delegate)
                    m_delegate->openGeneralSettings();
            });
        };
    }
    m_delegate = std::make_unique<AppDelegate>(std::move(services));

    // URLs given on this command line count as opened before launch finished.
    m_delegate->openUrls(request.urls);
    m_delegate->applicationDidFinishLaunching(arguments);
    return std::nullopt;
}

} // namespace App

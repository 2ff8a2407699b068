// Start-up to tray ready: the time from starting a process to the end of the launch sequence,
// against a baseline process that only creates the Qt application object, both measured from the
// parent in the same run. Each launch gets a private session bus and fresh XDG directories.
#include <App/Application.h>
#include <UI/Onboarding/OnboardingBinding.h>
#include <UI/Settings/SettingsWindowBinding.h>

#include <PrivateSessionBus.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const childFlag = "--startup-child=";

// The child: builds the application exactly as the executable does and reports when the launch
// sequence has finished.
int runChild(const char* mode, int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (std::strcmp(mode, "baseline") == 0) {
        std::printf("ready\n");
        std::fflush(stdout);
        return 0;
    }
    App::WindowFactories windows;
    windows.settings = [](App::CaptureServices& capture, App::AppearanceManager& appearance,
                          Platform::AppearanceProvider& appearanceProvider, Platform::Scheduler& scheduler) {
        return UI::makeSettingsWindow(capture, appearance, appearanceProvider, scheduler);
    };
    windows.onboarding = [](std::function<void()> onFinish, App::CaptureServices& capture,
                            Platform::AppearanceProvider& appearance, Platform::Scheduler& scheduler) {
        return makeOnboardingWindow(std::move(onFinish), capture, appearance, scheduler);
    };
    App::Application application(std::move(windows));
    const std::optional<int> exitCode = application.start({QStringLiteral("quillstack")});
    std::printf(exitCode ? "failed\n" : "ready\n");
    std::fflush(stdout);
    return 0;
}

// Milliseconds from starting the child to its "ready" line, or a negative value on failure.
double timeChild(const QString& mode, const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(childFlag) + mode});
    // Other lines may come first (a hot key the display refuses is reported on stdout).
    QByteArray line;
    while (line != "ready" && line != "failed") {
        while (!child.canReadLine()) {
            if (!child.waitForReadyRead(10000))
                return -1;
        }
        line = child.readLine().trimmed();
    }
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    child.waitForFinished(10000);
    return line == "ready" ? elapsed : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void startUp(benchmark::State& state, bool firstRun) {
    PrivateSessionBus bus;
    if (!bus.isRunning()) {
        state.SkipWithError("dbus-daemon did not start");
        return;
    }
    std::vector<double> launches;
    std::vector<double> baselines;
    for (auto _ : state) {
        QTemporaryDir home;
        QProcessEnvironment environment = bus.environment();
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        if (!firstRun) {
            QDir().mkpath(home.filePath("config/quillstack"));
            QFile settings(home.filePath("config/quillstack/settings.json"));
            if (settings.open(QIODevice::WriteOnly))
                settings.write(
                    R"({"hasCompletedOnboarding": true, "appLanguage": "en", "ignoredBundleIDs": []})");
        }
        const double baseline = timeChild("baseline", environment);
        const double launch = timeChild("launch", environment);
        if (baseline < 0 || launch < 0) {
            state.SkipWithError("a child process did not report");
            return;
        }
        baselines.push_back(baseline);
        launches.push_back(launch);
        state.SetIterationTime(launch / 1000);
    }
    const double launchMs = median(launches);
    const double baselineMs = median(baselines);
    state.counters["launch_ms"] = launchMs;
    state.counters["qt_app_baseline_ms"] = baselineMs;
    state.counters["launch_over_baseline"] = baselineMs > 0 ? launchMs / baselineMs : 0;
}

void BM_StartupToTrayReady_FirstRun(benchmark::State& state) {
    startUp(state, true);
}
void BM_StartupToTrayReady_ReturningUser(benchmark::State& state) {
    startUp(state, false);
}
BENCHMARK(BM_StartupToTrayReady_FirstRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartupToTrayReady_ReturningUser)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], childFlag, std::strlen(childFlag)) == 0)
            return runChild(argv[i] + std::strlen(childFlag), argc, argv);
    }
    // The parent needs an application object for QProcess and the private bus, but no display.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

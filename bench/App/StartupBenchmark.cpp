// Start-up to tray ready: the time from starting a process to the end of the launch sequence,
// against a baseline process that only creates the Qt application object, both measured from the
// parent in the same run. Each launch gets a private session bus and fresh XDG directories.
//
// Second launch to panel: with the real binary running, the time from the command
// `quillstack --show-history` (what a desktop's custom shortcut runs) until the running instance's
// panel is on screen and painted, against the same bare Qt start in the same run. The figure
// includes the 50 ms the running instance must wait before it shows the panel; it is reported
// without that delay too, with the time until the request reached the instance (against the time
// any process takes to start and end here) and from its show step to the painted panel. The first
// show after the instance started is reported on its own.
#include <Main/Application.h>
#include <UI/Onboarding/OnboardingBinding.h>
#include <UI/Settings/SettingsWindowBinding.h>

#include <PrivateSessionBus.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The binary under test: the one built beside the benchmark, unless QS_BENCH_QUILLSTACK names
// another (an older build, to compare).
QString quillstackBinary() {
    const QString chosen = qEnvironmentVariable("QS_BENCH_QUILLSTACK");
    return chosen.isEmpty() ? QStringLiteral(QS_QUILLSTACK_BINARY) : chosen;
}

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

// Milliseconds from starting the bare Qt program to its "ready" line, or a negative value.
double timeBareQtProgram(const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    child.start(QStringLiteral(QS_BARE_QT_PROGRAM), {QStringLiteral("--ready")});
    if (!child.waitForReadyRead(10000) || child.readLine().trimmed() != "ready")
        return -1;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    child.waitForFinished(10000);
    return elapsed;
}

// Milliseconds from starting a program that does nothing (`true`) until it has ended: what starting
// any process costs on this machine, the floor of a second launch's hand-over.
double timeEmptyProcess() {
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(QStringLiteral("true"), {});
    if (!child.waitForFinished(10000))
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Series {
    const char* name;
    const std::vector<double>& values;
};

// The medians of a measurement and of its baseline, and their ratio.
void reportMedians(benchmark::State& state, const Series& measured, const Series& baseline,
                   const char* ratioName) {
    const double measuredMs = median(measured.values);
    const double baselineMs = median(baseline.values);
    state.counters[measured.name] = measuredMs;
    state.counters[baseline.name] = baselineMs;
    state.counters[ratioName] = baselineMs > 0 ? measuredMs / baselineMs : 0;
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
    reportMedians(state, {"launch_ms", launches}, {"qt_app_baseline_ms", baselines}, "launch_over_baseline");
}

void BM_StartupToTrayReady_FirstRun(benchmark::State& state) {
    startUp(state, true);
}
void BM_StartupToTrayReady_ReturningUser(benchmark::State& state) {
    startUp(state, false);
}
// The running instance, its diagnostic log read as it comes. Each line carries the monotonic clock
// in milliseconds (Qt's "%{time boot}"), the clock QDeadlineTimer reads here, so the steps of one
// request are timed in the instance itself rather than when its output reaches this process.
class RunningInstance {
public:
    explicit RunningInstance(QProcessEnvironment environment) {
        environment.insert("QT_MESSAGE_PATTERN", "%{time boot} %{message}");
        m_process.setProcessEnvironment(environment);
        m_process.setReadChannel(QProcess::StandardError);
        m_process.start(quillstackBinary(), {});
    }
    ~RunningInstance() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    // Waits until the log has shown a line containing `text` `count` times.
    bool waitFor(const QByteArray& text, qsizetype count, int timeoutMs = 10000) {
        QElapsedTimer clock;
        clock.start();
        while (this->count(text) < count) {
            if (clock.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return false;
            if (m_process.waitForReadyRead(std::max<int>(1, timeoutMs - int(clock.elapsed()))))
                readLines();
        }
        return true;
    }
    qsizetype count(const QByteArray& text) const {
        return std::count_if(m_lines.begin(), m_lines.end(),
                             [&](const Line& line) { return line.text.contains(text); });
    }
    // The time of the latest line containing `text`, in monotonic milliseconds; negative if none.
    double lastTime(const QByteArray& text) const {
        for (auto line = m_lines.rbegin(); line != m_lines.rend(); ++line) {
            if (line->text.contains(text))
                return line->timeMs;
        }
        return -1;
    }

private:
    struct Line {
        double timeMs;
        QByteArray text;
    };
    void readLines() {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            const qsizetype space = line.indexOf(' ');
            bool ok = false;
            const double seconds = line.left(space).toDouble(&ok);
            m_lines.push_back({ok ? seconds * 1000 : -1, line.mid(space + 1)});
        }
    }
    QProcess m_process;
    std::vector<Line> m_lines;
};

double monotonicMs() {
    return double(QDeadlineTimer::current().deadlineNSecs()) / 1e6;
}

// The running instance waits this long after an external request before it shows the panel.
constexpr double kRequiredDelayMs = 50;

void BM_SecondLaunchToPanelViewable(benchmark::State& state) {
    PrivateSessionBus bus;
    if (!bus.isRunning() || !qEnvironmentVariableIsSet("DISPLAY")) {
        state.SkipWithError("needs a display and dbus-daemon");
        return;
    }
    QTemporaryDir home;
    QProcessEnvironment environment = bus.environment();
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("XDG_CACHE_HOME", home.filePath("cache"));
    QDir().mkpath(home.filePath("config/quillstack"));
    QFile settings(home.filePath("config/quillstack/settings.json"));
    if (settings.open(QIODevice::WriteOnly))
        settings.write(
            R"({"hasCompletedOnboarding": true, "appLanguage": "en", "windowPosition": "center"})");
    settings.close();
    QProcessEnvironment logged = environment;
    logged.insert("QT_LOGGING_RULES", "quillstack.panel.debug=true;quillstack.shell.debug=true");
    RunningInstance running(logged);
    if (!running.waitFor("launch finished", 1)) {
        state.SkipWithError("the running instance did not finish launching");
        return;
    }
    // Nobody asks for the panel within a moment of the start.
    QThread::msleep(1000);
    std::vector<double> launches;
    std::vector<double> withoutDelay;
    std::vector<double> handOvers;
    std::vector<double> showToPaint;
    std::vector<double> emptyProcesses;
    std::vector<double> baselines;
    for (auto _ : state) {
        const qsizetype painted = running.count("panel painted");
        QProcess second;
        second.setProcessEnvironment(environment);
        second.setStandardOutputFile(QProcess::nullDevice());
        second.setStandardErrorFile(QProcess::nullDevice());
        const double command = monotonicMs();
        second.start(quillstackBinary(), {QStringLiteral("--show-history")});
        if (!running.waitFor("panel painted", painted + 1)) {
            state.SkipWithError("the panel did not come up");
            return;
        }
        const double request = running.lastTime("external request to show the history");
        const double shown = running.lastTime("show the history panel");
        const double paintedAt = running.lastTime("panel painted");
        const double launch = paintedAt - command;
        second.waitForFinished(10000);
        // The panel has the focus: Escape closes it for the next round.
        QProcess::execute(QStringLiteral("xdotool"), {"key", "Escape"});
        QThread::msleep(400);
        const double baseline = timeBareQtProgram(environment);
        if (baseline < 0 || request < command || shown < request) {
            state.SkipWithError("the baseline did not report, or the instance's log is out of order");
            return;
        }
        if (launches.empty())
            state.counters["first_show_ms"] = launch;
        launches.push_back(launch);
        withoutDelay.push_back(launch - kRequiredDelayMs);
        handOvers.push_back(request - command);
        showToPaint.push_back(paintedAt - shown);
        baselines.push_back(baseline);
        emptyProcesses.push_back(timeEmptyProcess());
        state.SetIterationTime(launch / 1000);
    }
    reportMedians(state, {"command_to_panel_ms", launches}, {"bare_qt_start_ms", baselines},
                  "panel_over_baseline");
    reportMedians(state, {"without_50ms_delay_ms", withoutDelay}, {"bare_qt_start_ms", baselines},
                  "without_delay_over_baseline");
    state.counters["command_to_request_ms"] = median(handOvers);
    state.counters["empty_process_ms"] = median(emptyProcesses);
    state.counters["show_to_painted_ms"] = median(showToPaint);
}

BENCHMARK(BM_SecondLaunchToPanelViewable)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
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

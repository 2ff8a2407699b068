// Idle wake-ups: how often the real quillstack binary wakes up per minute when nothing happens,
// against a bare Qt program (an application object and its event loop, nothing else) measured in
// the same run under the same display and a private session bus each. A wake-up is a context
// switch of any of the process's threads (voluntary and not, from /proc/PID/task/*/status).
#include <PrivateSessionBus.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <optional>

namespace {

// The binary under test: the one built beside the benchmark, unless QS_BENCH_QUILLSTACK names
// another (an older build, to compare).
QString quillstackBinary() {
    const QString chosen = qEnvironmentVariable("QS_BENCH_QUILLSTACK");
    return chosen.isEmpty() ? QStringLiteral(QS_QUILLSTACK_BINARY) : chosen;
}

// Long enough to see a timer that fires every few seconds; the program settles first.
constexpr auto kSettle = std::chrono::seconds(3);
constexpr auto kWindow = std::chrono::seconds(30);

// The context switches of every thread of `pid`, by thread id; nothing once it has gone.
std::optional<std::map<QString, qint64>> contextSwitches(qint64 pid) {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    if (!tasks.exists())
        return std::nullopt;
    std::map<QString, qint64> perThread;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        qint64& total = perThread[task];
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return perThread;
}

// The switches between two readings. A thread that ended in between (an idle pool thread expiring)
// takes its counts with it, so only threads still there are compared; a new one counts in full.
qint64 switchesBetween(const std::map<QString, qint64>& before, const std::map<QString, qint64>& after) {
    qint64 total = 0;
    for (const auto& [thread, count] : after) {
        const auto earlier = before.find(thread);
        total += earlier == before.end() ? count : count - earlier->second;
    }
    return total;
}

// Starts `program`, waits until it has settled, and counts its wake-ups per minute over the window.
std::optional<double> idleWakeupsPerMinute(const QString& program, const QStringList& arguments,
                                           const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(program, arguments);
    if (!child.waitForStarted(10000))
        return std::nullopt;
    QThread::sleep(std::chrono::seconds(kSettle).count());
    const auto before = contextSwitches(child.processId());
    QThread::sleep(std::chrono::seconds(kWindow).count());
    const auto after = contextSwitches(child.processId());
    const bool running = child.state() == QProcess::Running;
    child.terminate();
    if (!child.waitForFinished(5000))
        child.kill();
    if (!before || !after || !running)
        return std::nullopt;
    return double(switchesBetween(*before, *after)) * 60.0 / double(std::chrono::seconds(kWindow).count());
}

void BM_IdleWakeupsPerMinute(benchmark::State& state) {
    PrivateSessionBus bus;
    if (!bus.isRunning()) {
        state.SkipWithError("dbus-daemon did not start");
        return;
    }
    double app = 0;
    double bare = 0;
    for (auto _ : state) {
        QTemporaryDir home;
        QDir().mkpath(home.filePath(QStringLiteral("config/quillstack")));
        QFile settings(home.filePath(QStringLiteral("config/quillstack/settings.json")));
        if (settings.open(QIODevice::WriteOnly))
            settings.write(R"({"hasCompletedOnboarding": true, "appLanguage": "en"})");
        settings.close();
        QProcessEnvironment environment = bus.environment();
        environment.insert("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")));
        environment.insert("XDG_DATA_HOME", home.filePath(QStringLiteral("data")));
        environment.insert("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")));
        const auto baseline = idleWakeupsPerMinute(QStringLiteral(QS_BARE_QT_PROGRAM), {}, environment);
        const auto quillstack = idleWakeupsPerMinute(quillstackBinary(), {}, environment);
        if (!baseline || !quillstack) {
            state.SkipWithError("a program did not start or did not stay up");
            return;
        }
        bare = *baseline;
        app = *quillstack;
        state.SetIterationTime(double(std::chrono::seconds(kWindow).count()));
    }
    state.counters["quillstack_per_min"] = app;
    state.counters["bare_qt_per_min"] = bare;
    // Both may be close to zero: one wake-up a minute is added to each so the ratio stays finite.
    state.counters["over_baseline"] = (app + 1) / (bare + 1);
}
BENCHMARK(BM_IdleWakeupsPerMinute)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

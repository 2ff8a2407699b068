// Start-up by phases, with 1,000 items in the history, against a bare Qt program that shows a
// window, both measured from this process in the same run.
//
// BM_StartToFirstAnswer: the real command started as the session starts it; the moment its bus name
// is owned, `quillstack --show-history` asks it for the panel, as a desktop shortcut would. The
// program writes its phases (QUILLSTACK_STARTUP_PHASES) on the monotonic clock this process reads:
// load (process start to main), Qt application object, bus name owned, store open, launch finished,
// event loop running, first request answered, panel built, panel painted. The aim is the bus name
// within 1.3 times the bare program's start to a viewable window.
//
// BM_MemoryAndFirstUse: one instance left at rest (panel built in idle time, never shown): its
// resident memory against the bare program's with its window shown, by part, and whether any engine
// module is mapped. Then the first --show-history (command to panel painted, and show step to
// painted), the memory with the panel shown, the first code preview (selection to colours) and the
// first recognised picture (copy to stored text), each with the memory after it.
#include <Platform/UserDefaults.h>
#include <Storage/ClipboardItem.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>

#include <PrivateSessionBus.h>
#include <TextPicture.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

namespace {

constexpr int kItems = 1000;

// The command under test: the one built beside the benchmark, unless QS_BENCH_QUILLSTACK names
// another (an older build, to compare; one without phases gives only its panel and memory figures).
QString quillstackBinary() {
    const QString chosen = qEnvironmentVariable("QS_BENCH_QUILLSTACK");
    return chosen.isEmpty() ? QStringLiteral(QS_QUILLSTACK_BINARY) : chosen;
}

double monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Resident memory of a process by part, in MiB, from /proc/PID/smaps.
using MemoryParts = std::map<QString, double>;

QString partOf(const QByteArray& path) {
    if (path.isEmpty() || path.startsWith("[heap]") || path.startsWith("[anon") || path.startsWith("[stack"))
        return QStringLiteral("heap and anonymous");
    if (path.contains("libQt6"))
        return QStringLiteral("Qt libraries");
    if (path.contains("/quillstack") && !path.contains(".so"))
        return QStringLiteral("program");
    if (path.contains(".so"))
        return QStringLiteral("other libraries");
    if (path.startsWith("/dev/") || path.startsWith("/memfd:") || path.contains("SYSV"))
        return QStringLiteral("shared memory (window surfaces)");
    return QStringLiteral("mapped files (fonts, data)");
}

MemoryParts residentParts(qint64 pid) {
    MemoryParts parts;
    QFile smaps(QStringLiteral("/proc/%1/smaps").arg(pid));
    if (!smaps.open(QIODevice::ReadOnly))
        return parts;
    QString part;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // A mapping's header: "start-end perms offset dev inode [path]"; then its fields.
        const QList<QByteArray> range = fields.value(0).split('-');
        bool startOk = false;
        bool endOk = false;
        if (range.size() == 2 && (range[0].toULongLong(&startOk, 16), startOk) &&
            (range[1].toULongLong(&endOk, 16), endOk)) {
            part = partOf(fields.size() > 5 ? fields.mid(5).join(' ') : QByteArray());
        } else if (fields.value(0) == "Rss:") {
            parts[part] += fields.value(1).toDouble() / 1024.0;
        }
    }
    return parts;
}

double total(const MemoryParts& parts) {
    double sum = 0;
    for (const auto& [name, mib] : parts)
        sum += mib;
    return sum;
}

bool mapsAnyEngine(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = maps.readAll();
    for (const char* library : {"quillstack-", "javascriptcore", "tesseract", "lept", "libQt6Network"})
        if (content.contains(library))
            return true;
    return false;
}

// A history of 1,000 items, made once and copied into each home: the newest a sentence, under it a
// C++ snippet (the first code preview), then text.
class HistoryTemplate {
public:
    HistoryTemplate() {
        Platform::UserDefaults defaults;
        defaults.setValue(QStringLiteral("historyLimit"), 10000);
        ImageStore images(m_dir.filePath(QStringLiteral("Images")));
        HistoryStore::Options options;
        options.databasePath = path();
        options.images = &images;
        options.defaults = &defaults;
        std::unique_ptr<HistoryStore> store = HistoryStore::open(options);
        const auto add = [&](ItemType type, const QString& text, std::optional<QString> language) {
            NewClipboardItem item;
            item.type = type;
            item.plainText = text;
            item.detectedLanguage = std::move(language);
            item.dedupeKey = QStringLiteral("txt:") + text;
            item.sourceAppBundleID = QStringLiteral("org.gnome.TextEditor");
            item.sourceAppName = QStringLiteral("Text Editor");
            store->add(ClipboardItem::make(std::move(item)));
        };
        for (int i = 0; i < kItems - 2; ++i)
            add(ItemType::text,
                QStringLiteral("Clipboard text number %1, long enough to look like a real copied sentence.").arg(i),
                std::nullopt);
        add(ItemType::code,
            QStringLiteral("#include <vector>\n\nint main() {\n    std::vector<int> values{1, 2, 3};\n"
                           "    for (int v : values) {\n        if (v > 1)\n            return v;\n    }\n"
                           "    return 0; // \"done\"\n}\n"),
            QStringLiteral("cpp"));
        add(ItemType::text, QStringLiteral("Lunch is at noon on Friday, in the small room."), std::nullopt);
        store.reset();
    }
    QString path() const { return m_dir.filePath(QStringLiteral("history.sqlite")); }

private:
    QTemporaryDir m_dir;
};

// The clipboard holding an empty text, which no capture keeps: what an earlier run copied (a
// picture) must not reach the next instance through its first forced check.
void emptyClipboard() {
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-i", "/dev/null"});
    xclip.waitForFinished(5000);
}

// A home for one instance: settings and a copy of the 1,000 items.
QProcessEnvironment homeEnvironment(const PrivateSessionBus& bus, const QTemporaryDir& home,
                                    const HistoryTemplate& history) {
    QProcessEnvironment environment = bus.environment();
    // This process draws off screen; the programs it starts use the test session's display.
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.insert("XDG_CACHE_HOME", home.filePath("cache"));
    QDir().mkpath(home.filePath("config/quillstack"));
    QDir().mkpath(home.filePath("data/Quillstack"));
    QFile settings(home.filePath("config/quillstack/settings.json"));
    if (settings.open(QIODevice::WriteOnly))
        settings.write(R"({"hasCompletedOnboarding": true, "appLanguage": "en", "windowPosition": "center"})");
    QFile::copy(history.path(), home.filePath("data/Quillstack/history.sqlite"));
    emptyClipboard();
    return environment;
}

// The real program, its phases and diagnostic lines read as they come, each with its time on the
// monotonic clock (phases carry their own; Qt's lines carry "%{time boot}", the same clock).
class Instance {
public:
    Instance(QProcessEnvironment environment, const QStringList& arguments = {}) {
        environment.insert("QUILLSTACK_STARTUP_PHASES", "1");
        environment.insert("QT_LOGGING_RULES",
                           "quillstack.panel.debug=true;quillstack.preview.debug=true;quillstack.shell.debug=true");
        environment.insert("QT_MESSAGE_PATTERN", "%{time boot} %{message}");
        m_process.setProcessEnvironment(environment);
        m_process.setReadChannel(QProcess::StandardError);
        m_started = monotonicMs();
        m_process.start(quillstackBinary(), arguments);
    }
    ~Instance() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    double started() const { return m_started; }
    qint64 pid() const { return m_process.processId(); }

    // The time of the first line containing `text`, waiting for it; negative if it never came.
    double waitFor(const QByteArray& text, int timeoutMs = 15000) {
        const double deadline = monotonicMs() + timeoutMs;
        for (;;) {
            for (const auto& [time, line] : m_lines)
                if (line.contains(text))
                    return time;
            const double left = deadline - monotonicMs();
            if (left <= 0 || m_process.state() == QProcess::NotRunning)
                return -1;
            if (m_process.waitForReadyRead(int(left) + 1))
                readLines();
        }
    }
    // Milliseconds from the start to the phase, waiting for it; negative if it never came.
    double phase(const char* name, int timeoutMs = 15000) {
        const double at = waitFor(QByteArray("phase ") + name + ' ', timeoutMs);
        return at < 0 ? -1 : at - m_started;
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }

private:
    void readLines() {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("quillstack: phase ")) {
                // "quillstack: phase <name words> <ms>"
                const qsizetype space = line.lastIndexOf(' ');
                m_lines.emplace_back(line.mid(space + 1).toDouble(), line.left(space + 1));
                continue;
            }
            const qsizetype space = line.indexOf(' ');
            bool ok = false;
            const double seconds = line.left(space).toDouble(&ok);
            m_lines.emplace_back(ok ? seconds * 1000 : -1, line.mid(space + 1));
        }
    }
    QProcess m_process;
    double m_started = 0;
    std::vector<std::pair<double, QByteArray>> m_lines;
};

// The bare Qt program with its window: milliseconds from its start to the window painted, and its
// memory at rest after that.
struct BareRun {
    double viewableMs = -1;
    MemoryParts memory;
};

BareRun runBareProgram(const QProcessEnvironment& environment, bool measureMemory) {
    BareRun run;
    QProcess bare;
    bare.setProcessEnvironment(environment);
    bare.setStandardErrorFile(QProcess::nullDevice());
    const double started = monotonicMs();
    bare.start(QStringLiteral(QS_BARE_QT_PROGRAM), {QStringLiteral("--window")});
    while (bare.state() != QProcess::NotRunning && !bare.canReadLine())
        bare.waitForReadyRead(10000);
    if (bare.readLine().trimmed() == "viewable")
        run.viewableMs = monotonicMs() - started;
    if (measureMemory) {
        QThread::msleep(1500);
        run.memory = residentParts(bare.processId());
    }
    bare.terminate();
    bare.waitForFinished(5000);
    return run;
}

void runCommand(const QProcessEnvironment& environment, const QStringList& arguments) {
    QProcess command;
    command.setProcessEnvironment(environment);
    command.setStandardOutputFile(QProcess::nullDevice());
    command.setStandardErrorFile(QProcess::nullDevice());
    command.start(quillstackBinary(), arguments);
    command.waitForFinished(10000);
}

bool needsSession(benchmark::State& state, const PrivateSessionBus& bus) {
    if (bus.isRunning() && qEnvironmentVariableIsSet("DISPLAY"))
        return true;
    state.SkipWithError("needs a display and dbus-daemon (scripts/with-test-session.sh)");
    return false;
}

void BM_StartToFirstAnswer(benchmark::State& state) {
    PrivateSessionBus bus;
    if (!needsSession(state, bus))
        return;
    const HistoryTemplate history;
    std::map<const char*, std::vector<double>> phases;
    std::vector<double> bare;
    const char* const names[] = {"main",         "application", "name owned",       "store open", "launch finished",
                                 "event loop",   "request answered", "panel built"};
    std::vector<double> painted;
    std::vector<double> commandDone;
    for (auto _ : state) {
        QTemporaryDir home;
        const QProcessEnvironment environment = homeEnvironment(bus, home, history);
        const BareRun baseline = runBareProgram(environment, false);
        Instance instance(environment);
        const double named = instance.phase("name owned");
        if (baseline.viewableMs < 0 || named < 0) {
            state.SkipWithError("the bare program or the instance did not come up");
            return;
        }
        // The request a desktop shortcut makes, sent the moment the name can be found.
        QProcess request;
        request.setProcessEnvironment(environment);
        request.setStandardOutputFile(QProcess::nullDevice());
        request.setStandardErrorFile(QProcess::nullDevice());
        request.start(quillstackBinary(), {QStringLiteral("--show-history")});
        const double paintedAt = instance.waitFor("panel painted");
        request.waitForFinished(10000);
        commandDone.push_back(monotonicMs() - instance.started());
        if (paintedAt < 0) {
            state.SkipWithError("the panel did not come up");
            return;
        }
        for (const char* name : names)
            phases[name].push_back(instance.phase(name));
        painted.push_back(paintedAt - instance.started());
        bare.push_back(baseline.viewableMs);
        state.SetIterationTime(named / 1000);
    }
    const double bareMs = median(bare);
    state.counters["bare_window_viewable_ms"] = bareMs;
    for (const char* name : names) {
        QByteArray counter = QByteArray(name).replace(' ', '_') + "_ms";
        state.counters[counter.constData()] = median(phases[name]);
    }
    state.counters["panel_painted_ms"] = median(painted);
    state.counters["name_owned_over_bare"] = bareMs > 0 ? median(phases["name owned"]) / bareMs : 0;
    state.counters["answered_over_bare"] = bareMs > 0 ? median(phases["request answered"]) / bareMs : 0;
    std::printf("start-up phases, medians of %zu runs (ms from process start):\n", bare.size());
    std::printf("  bare Qt program, window viewable  %7.1f\n", bareMs);
    for (const char* name : names)
        std::printf("  %-32s %7.1f\n", name, median(phases[name]));
    std::printf("  %-32s %7.1f\n", "panel painted (--show-history)", median(painted));
    std::printf("  name owned / bare window viewable: %.2f (aim: at most 1.3)\n",
                bareMs > 0 ? median(phases["name owned"]) / bareMs : 0);
}

QString newestOcrText(const QTemporaryDir& home) {
    QString text;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-reader"));
        db.setDatabaseName(home.filePath("data/Quillstack/history.sqlite"));
        if (db.open()) {
            QSqlQuery query(QStringLiteral("SELECT ocrText FROM ClipboardItem WHERE typeRaw = 'image' "
                                           "ORDER BY createdAt DESC LIMIT 1"),
                            db);
            if (query.next())
                text = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-reader"));
    return text;
}

void BM_MemoryAndFirstUse(benchmark::State& state) {
    PrivateSessionBus bus;
    if (!needsSession(state, bus))
        return;
    const HistoryTemplate history;
    std::vector<double> bareRest, rest, shown, afterCode, afterPicture;
    std::vector<double> firstShow, showToPaint, codeMs, pictureMs, enginesAtRest;
    MemoryParts bareParts, restParts;
    for (auto _ : state) {
        QTemporaryDir home;
        const QProcessEnvironment environment = homeEnvironment(bus, home, history);
        const BareRun baseline = runBareProgram(environment, true);
        Instance instance(environment);
        // A build that writes no phases (an older one, to compare) has built its panel well
        // within the wait.
        if (instance.phase("panel built", 4000) < 0 && !instance.isRunning()) {
            state.SkipWithError("the instance did not start");
            return;
        }
        QThread::msleep(1500);
        restParts = residentParts(instance.pid());
        bareParts = baseline.memory;
        bareRest.push_back(total(bareParts));
        rest.push_back(total(restParts));
        enginesAtRest.push_back(mapsAnyEngine(instance.pid()) ? 1 : 0);

        const double command = monotonicMs();
        runCommand(environment, {QStringLiteral("--show-history")});
        const double paintedAt = instance.waitFor("panel painted");
        const double showAt = instance.waitFor("show the history panel");
        if (paintedAt < 0) {
            state.SkipWithError("the panel did not come up");
            return;
        }
        firstShow.push_back(paintedAt - command);
        showToPaint.push_back(paintedAt - std::max(showAt, command));
        QThread::msleep(500);
        shown.push_back(total(residentParts(instance.pid())));

        // The first code preview: the snippet under the newest item.
        const double selected = monotonicMs();
        QProcess::execute(QStringLiteral("xdotool"), {"key", "Down"});
        const double highlighted = instance.waitFor("code highlighted");
        codeMs.push_back(highlighted < 0 ? -1 : highlighted - selected);
        QThread::msleep(300);
        afterCode.push_back(total(residentParts(instance.pid())));
        QProcess::execute(QStringLiteral("xdotool"), {"key", "Escape"});

        // The first recognised picture: a copied PNG with a line of text.
        const QString picture = home.filePath("picture.png");
        textPicture(QStringLiteral("Quarterly invoice 2048")).save(picture, "PNG");
        const double copied = monotonicMs();
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "image/png", "-i", picture});
        xclip.waitForFinished(5000);
        double recognised = -1;
        while (monotonicMs() - copied < 20000) {
            if (newestOcrText(home).contains(QStringLiteral("invoice"), Qt::CaseInsensitive)) {
                recognised = monotonicMs() - copied;
                break;
            }
            QThread::msleep(20);
        }
        pictureMs.push_back(recognised);
        QThread::msleep(300);
        afterPicture.push_back(total(residentParts(instance.pid())));
        state.SetIterationTime(1);
    }
    const double bareMiB = median(bareRest);
    state.counters["bare_rest_MiB"] = bareMiB;
    state.counters["rest_MiB"] = median(rest);
    state.counters["rest_over_bare"] = bareMiB > 0 ? median(rest) / bareMiB : 0;
    state.counters["engines_mapped_at_rest"] = median(enginesAtRest);
    state.counters["panel_shown_MiB"] = median(shown);
    state.counters["first_show_ms"] = median(firstShow);
    state.counters["first_show_step_to_painted_ms"] = median(showToPaint);
    state.counters["first_code_preview_ms"] = median(codeMs);
    state.counters["after_code_preview_MiB"] = median(afterCode);
    state.counters["first_recognition_ms"] = median(pictureMs);
    state.counters["after_recognition_MiB"] = median(afterPicture);
    std::printf("resident memory at rest (MiB), last run, by part:        bare Qt  quillstack  difference\n");
    MemoryParts names = bareParts;
    for (const auto& [name, mib] : restParts)
        names[name] += 0;
    for (const auto& [name, unused] : names)
        std::printf("  %-40s %8.1f %10.1f %+10.1f\n", qPrintable(name), bareParts[name], restParts[name],
                    restParts[name] - bareParts[name]);
    std::printf("  %-40s %8.1f %10.1f %+10.1f\n", "total", total(bareParts), total(restParts),
                total(restParts) - total(bareParts));
    std::printf("medians: at rest %.1f MiB (%.2f x bare, aim at most 1.25), panel shown %.1f, after the first code "
                "preview %.1f, after the first recognition %.1f\n",
                median(rest), bareMiB > 0 ? median(rest) / bareMiB : 0, median(shown), median(afterCode),
                median(afterPicture));
}

BENCHMARK(BM_StartToFirstAnswer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_MemoryAndFirstUse)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    // The parent needs an application object for QProcess, SQLite and the pictures it draws, but no
    // display of its own.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

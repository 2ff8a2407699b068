// From a new CLIPBOARD owner to the item stored in a 1,000-item history (change event, read on the
// reader thread, clip factory on the capture worker, SQLite commit on the GUI thread), against one
// pasteboard read of the same clip measured in the same iterations. Also the CPU an idle
// monitor uses per minute, against an idle event loop without it.
// Run under the test session: scripts/with-test-session.sh build/bin/CaptureBenchmark
#include "ClipboardBenchSupport.h"

#include <Capture/DefaultSettings.h>
#include <Capture/PasteboardMonitor.h>
#include <Platform/Scheduling/QtScheduler.h>
#include <Platform/UserDefaults.h>
#include <Platform/X11/X11Pasteboard.h>
#include <Platform/X11/X11Workspace.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace {

using BenchSupport::ClipboardOwner;
using Clock = std::chrono::steady_clock;

// A history of 1,000 text items in a temporary data directory, with the monitor of the application.
struct Capture {
    Capture() {
        App::registerDefaultSettings(defaults);
        HistoryStore::Options options;
        options.databasePath = root.filePath(QStringLiteral("history.sqlite"));
        options.images = &images;
        options.defaults = &defaults;
        defaults.setValue(App::SettingsKeys::historyLimit, 100000);
        store = HistoryStore::open(options);
        for (int i = 0; i < 1000; ++i) {
            NewClipboardItem content;
            content.plainText = QStringLiteral("existing item %1").arg(i);
            content.dedupeKey = QStringLiteral("txt:existing%1").arg(i);
            store->add(ClipboardItem::make(content));
        }
        monitor = std::make_unique<PasteboardMonitor>(PasteboardMonitor::Dependencies{
            pasteboard, workspace, defaults, scheduler, images, [this](const ClipboardItemPtr& item) {
                store->add(item);
            }});
        monitor->start();
    }

    QTemporaryDir root;
    ImageStore images{root.filePath(QStringLiteral("Images"))};
    Platform::UserDefaults defaults;
    Platform::X11::X11Pasteboard pasteboard;
    Platform::X11::X11Workspace workspace;
    Platform::QtScheduler scheduler;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<PasteboardMonitor> monitor;
};

Capture* capture = nullptr;

double seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void captureToStore(benchmark::State& state, const char* target, const std::function<QByteArray(int)>& make) {
    ClipboardOwner owner(target);
    double ours = 0;
    double baseline = 0;
    // Counts on across repetitions, so every capture offers content not stored yet.
    static int round = 0;
    for (auto _ : state) {
        const QByteArray payload = make(round++);
        const qsizetype countBefore = capture->store->items().size();
        QEventLoop loop;
        Clock::time_point changed;
        Clock::time_point stored;
        // The owner change as the server announces it starts the clock.
        const QMetaObject::Connection onChange = QObject::connect(
            &capture->pasteboard, &Platform::Pasteboard::changed, &loop, [&] { changed = Clock::now(); });
        const QMetaObject::Connection onStored =
            QObject::connect(capture->store.get(), &HistoryStore::itemsChanged, &loop, [&] {
                if (capture->store->items().size() > countBefore) {
                    stored = Clock::now();
                    loop.quit();
                }
            });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        owner.takeSelection(payload);
        loop.exec();
        QObject::disconnect(onChange);
        QObject::disconnect(onStored);
        if (stored == Clock::time_point{}) {
            state.SkipWithError("the clip was not stored");
            return;
        }

        // Baseline: one pasteboard read of the same clip from the owner already in place.
        const auto readStart = Clock::now();
        QEventLoop readLoop;
        qsizetype readSize = 0;
        capture->pasteboard.read().then(&readLoop, [&](const Platform::PasteboardClip& clip) {
            readSize = clip.png ? clip.png->size() : clip.string ? clip.string->toUtf8().size() : 0;
            readLoop.quit();
        });
        readLoop.exec();
        const auto readDone = Clock::now();
        if (readSize != payload.size()) {
            state.SkipWithError("the baseline read did not deliver the payload");
            return;
        }
        state.SetIterationTime(seconds(stored - changed));
        ours += seconds(stored - changed);
        baseline += seconds(readDone - readStart);
    }
    const double n = double(state.iterations());
    state.counters["stored_ms"] = ours / n * 1e3;
    state.counters["read_only_ms"] = baseline / n * 1e3;
    state.counters["ratio"] = baseline > 0 ? ours / baseline : 0;
}

void BM_CaptureText1KB(benchmark::State& state) {
    const QByteArray base = BenchSupport::repeatedText(1024);
    captureToStore(state, "UTF8_STRING", [&](int round) {
        QByteArray payload = base;
        const QByteArray tag = QByteArray::number(round);
        payload.replace(0, tag.size(), tag);
        return payload;
    });
}
void BM_CaptureText1MB(benchmark::State& state) {
    const QByteArray base = BenchSupport::repeatedText(1024 * 1024);
    captureToStore(state, "UTF8_STRING", [&](int round) {
        QByteArray payload = base;
        const QByteArray tag = QByteArray::number(round);
        payload.replace(0, tag.size(), tag);
        return payload;
    });
}
void BM_CapturePng3_4MB(benchmark::State& state) {
    // A few different pictures, so every capture is a new item; each is stored as it comes.
    static const QList<QByteArray> pictures = [] {
        QList<QByteArray> list;
        for (int i = 0; i < 4; ++i)
            list << BenchSupport::noisyPng();
        return list;
    }();
    captureToStore(state, "image/png", [&](int round) {
        if (round % pictures.size() == 0) {
            // The pictures were stored already; remove them (untimed) so each capture is new again.
            for (const ClipboardItemPtr& item : QList<ClipboardItemPtr>(capture->store->items())) {
                if (item->type() == ItemType::image)
                    capture->store->deleteItem(item);
            }
        }
        return pictures.at(round % pictures.size());
    });
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// CPU time per minute of an event loop with the monitor polling a clipboard that does not change,
// against the same loop with the monitor stopped and a bare 0.3 s timer with an empty slot in its
// place (the cost of waking up at all), measured in the same run.
void BM_IdleMonitorCpu(benchmark::State& state) {
    constexpr int windowMs = 5000;
    double ours = 0;
    double bareTimer = 0;
    double idleLoop = 0;
    auto idle = [] {
        QEventLoop loop;
        QTimer::singleShot(windowMs, &loop, &QEventLoop::quit);
        const double start = processCpuSeconds();
        loop.exec();
        return processCpuSeconds() - start;
    };
    for (auto _ : state) {
        capture->monitor->start();
        ours += idle();
        capture->monitor->stop();
        {
            QTimer timer;
            timer.setTimerType(Qt::CoarseTimer);
            QObject::connect(&timer, &QTimer::timeout, [] {});
            timer.start(300);
            bareTimer += idle();
        }
        idleLoop += idle();
        capture->monitor->start();
    }
    const double n = double(state.iterations());
    const double perMinute = 60000.0 / windowMs * 1e3 / n;
    state.counters["monitor_cpu_ms_per_min"] = ours * perMinute;
    state.counters["bare_timer_cpu_ms_per_min"] = bareTimer * perMinute;
    state.counters["idle_loop_cpu_ms_per_min"] = idleLoop * perMinute;
    state.counters["ratio_to_bare_timer"] = bareTimer > 0 ? ours / bareTimer : 0;
}

} // namespace

BENCHMARK(BM_CaptureText1KB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_CaptureText1MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_CapturePng3_4MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_IdleMonitorCpu)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Capture session;
    if (!session.pasteboard.isValid() || !session.store)
        return 1;
    capture = &session;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    capture = nullptr;
    return 0;
}

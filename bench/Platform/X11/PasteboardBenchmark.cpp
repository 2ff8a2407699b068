// From a new CLIPBOARD owner to the bytes read by the pasteboard (change event, TARGETS, transfer on
// the reader thread, result back on the GUI thread), against a bare xcb conversion of the same data
// measured in the same iterations. Also the cost of a poll where nothing changed, against one X round
// trip. Run under the test session: scripts/with-test-session.sh build/bin/PlatformX11PasteboardBenchmark
#include "ClipboardBenchSupport.h"
#include "Platform/X11/X11Pasteboard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFuture>
#include <QGuiApplication>
#include <QThread>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

using BenchSupport::ClipboardOwner;
using BenchSupport::internAtom;

// The least a requestor can do: one conversion, one SelectionNotify, one property read.
class BareRequestor {
public:
    BareRequestor() {
        m_c = xcb_connect(nullptr, nullptr);
        m_window = BenchSupport::makeHelperWindow(m_c);
        m_clipboard = internAtom(m_c, "CLIPBOARD");
        m_property = internAtom(m_c, "BENCH_SELECTION");
    }
    ~BareRequestor() { xcb_disconnect(m_c); }

    qsizetype read(xcb_atom_t target) {
        xcb_convert_selection(m_c, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_c)) {
            const bool done = (event->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
            std::free(event);
            if (done)
                break;
        }
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff),
            nullptr);
        const qsizetype size = reply ? xcb_get_property_value_length(reply) : 0;
        std::free(reply);
        return size;
    }

    // One round trip to the server, the cheapest question there is about the clipboard.
    void askOwner() {
        std::free(xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_clipboard), nullptr));
    }

private:
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0, m_property = 0;
};

Platform::X11::X11Pasteboard* pasteboard = nullptr;

double seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void captureRead(benchmark::State& state, const char* target, const QByteArray& payload) {
    ClipboardOwner owner(target);
    BareRequestor bare;
    double ours = 0;
    double baseline = 0;
    for (auto _ : state) {
        // Ours, as the monitor sees it: owner change -> change signal -> read on the reader thread ->
        // result delivered to this thread's event loop.
        QEventLoop loop;
        Platform::PasteboardClip clip;
        const QMetaObject::Connection onChange =
            QObject::connect(pasteboard, &Platform::Pasteboard::changed, &loop, [&] {
                pasteboard->read().then(&loop, [&](const Platform::PasteboardClip& result) {
                    clip = result;
                    loop.quit();
                });
            });
        const auto start = Clock::now();
        owner.takeSelection(payload);
        loop.exec();
        const double elapsed = seconds(Clock::now() - start);
        QObject::disconnect(onChange);
        const qsizetype size = clip.png ? clip.png->size() : clip.string ? clip.string->toUtf8().size() : 0;
        if (size != payload.size()) {
            state.SkipWithError("the read did not deliver the payload");
            return;
        }
        state.SetIterationTime(elapsed);
        ours += elapsed;

        // Baseline: the same bytes by a bare conversion from the owner that is already in place.
        const auto bareStart = Clock::now();
        if (bare.read(owner.target()) != payload.size()) {
            state.SkipWithError("the bare read did not deliver the payload");
            return;
        }
        baseline += seconds(Clock::now() - bareStart);
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours / n * 1e3;
    state.counters["bare_xcb_ms"] = baseline / n * 1e3;
    state.counters["ratio"] = baseline > 0 ? ours / baseline : 0;
    state.counters["bytes"] = double(payload.size());
    state.SetBytesProcessed(int64_t(state.iterations()) * payload.size());
}

void BM_CaptureText1KB(benchmark::State& state) {
    captureRead(state, "UTF8_STRING", BenchSupport::repeatedText(1024));
}
void BM_CaptureText1MB(benchmark::State& state) {
    captureRead(state, "UTF8_STRING", BenchSupport::repeatedText(1024 * 1024));
}
void BM_CapturePng3_4MB(benchmark::State& state) {
    static const QByteArray png = BenchSupport::noisyPng();
    captureRead(state, "image/png", png);
}

// A poll of the monitor where nothing changed, against one round trip to the X server.
void BM_IdlePoll(benchmark::State& state) {
    BareRequestor bare;
    const qint64 last = pasteboard->changeCount();
    constexpr int polls = 1000;
    double ours = 0;
    double baseline = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        int changed = 0;
        for (int i = 0; i < polls; ++i) {
            benchmark::DoNotOptimize(pasteboard);
            changed += pasteboard->changeCount() != last;
        }
        benchmark::DoNotOptimize(changed);
        ours += seconds(Clock::now() - start) / polls;
        const auto bareStart = Clock::now();
        bare.askOwner();
        baseline += seconds(Clock::now() - bareStart);
    }
    const double n = double(state.iterations());
    state.counters["poll_ns"] = ours / n * 1e9;
    state.counters["round_trip_ns"] = baseline / n * 1e9;
    state.counters["ratio"] = baseline > 0 ? ours / baseline : 0;
}

} // namespace

BENCHMARK(BM_CaptureText1KB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_CaptureText1MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_CapturePng3_4MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_IdlePoll)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Platform::X11::X11Pasteboard x11Pasteboard;
    if (!x11Pasteboard.isValid())
        return 1;
    pasteboard = &x11Pasteboard;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

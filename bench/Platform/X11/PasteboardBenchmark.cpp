// From a new CLIPBOARD owner to the bytes read by the pasteboard (change event, TARGETS, transfer on
// the reader thread, result back on the GUI thread), against a bare xcb conversion of the same data
// measured in the same iterations. Also the cost of a poll where nothing changed, against one X round
// trip. Run under the test session: scripts/with-test-session.sh build/bin/PlatformX11PasteboardBenchmark
#include "Platform/X11/X11Pasteboard.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFuture>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QThread>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_window_t makeWindow(xcb_connection_t* c) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    return window;
}

// Another client owning the clipboard: serves TARGETS and one target from a thread of its own.
class Owner {
public:
    Owner(const char* target, QByteArray payload) : m_payload(std::move(payload)) {
        m_c = xcb_connect(nullptr, nullptr);
        m_window = makeWindow(m_c);
        m_clipboard = intern(m_c, "CLIPBOARD");
        m_targets = intern(m_c, "TARGETS");
        m_target = intern(m_c, target);
        xcb_flush(m_c);
        m_thread = std::thread([this] { serve(); });
    }
    ~Owner() {
        m_stop = true;
        // Wake the thread with an event to itself.
        xcb_client_message_event_t wake{};
        wake.response_type = XCB_CLIENT_MESSAGE;
        wake.format = 32;
        wake.window = m_window;
        xcb_send_event(m_c, 0, m_window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&wake));
        xcb_flush(m_c);
        m_thread.join();
        xcb_disconnect(m_c);
    }

    void takeSelection() {
        xcb_set_selection_owner(m_c, m_window, m_clipboard, XCB_CURRENT_TIME);
        xcb_flush(m_c);
    }
    xcb_atom_t target() const { return m_target; }
    const QByteArray& payload() const { return m_payload; }

private:
    void serve() {
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_c)) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
                xcb_atom_t property = request->property;
                if (request->target == m_targets) {
                    const xcb_atom_t list[] = {m_targets, m_target};
                    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                        XCB_ATOM_ATOM, 32, 2, list);
                } else if (request->target == m_target) {
                    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request->requestor, property, m_target, 8,
                                        static_cast<uint32_t>(m_payload.size()), m_payload.constData());
                } else {
                    property = XCB_ATOM_NONE;
                }
                xcb_selection_notify_event_t notify{};
                notify.response_type = XCB_SELECTION_NOTIFY;
                notify.time = request->time;
                notify.requestor = request->requestor;
                notify.selection = request->selection;
                notify.target = request->target;
                notify.property = property;
                xcb_send_event(m_c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                               reinterpret_cast<const char*>(&notify));
                xcb_flush(m_c);
            }
            std::free(event);
            if (m_stop)
                return;
        }
    }

    QByteArray m_payload;
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0, m_targets = 0, m_target = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The least a requestor can do: one conversion, one SelectionNotify, one property read.
class BareRequestor {
public:
    BareRequestor() {
        m_c = xcb_connect(nullptr, nullptr);
        m_window = makeWindow(m_c);
        m_clipboard = intern(m_c, "CLIPBOARD");
        m_property = intern(m_c, "BENCH_SELECTION");
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

QByteArray text(qsizetype size) {
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() < size)
        bytes += "The quick brown fox jumps over the lazy dog. ";
    bytes.truncate(size);
    return bytes;
}

// A noisy 1920×1080 screenshot-sized PNG of about 3.4 MB (4 random bits per channel).
QByteArray noisyPng() {
    QImage image(1920, 1080, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = 0xff000000u | (random->generate() & 0x0f0f0fu) * 16;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

Platform::X11::X11Pasteboard* pasteboard = nullptr;

double seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void captureRead(benchmark::State& state, const char* target, const QByteArray& payload) {
    Owner owner(target, payload);
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
        owner.takeSelection();
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
    captureRead(state, "UTF8_STRING", text(1024));
}
void BM_CaptureText1MB(benchmark::State& state) {
    captureRead(state, "UTF8_STRING", text(1024 * 1024));
}
void BM_CapturePng3_4MB(benchmark::State& state) {
    static const QByteArray png = noisyPng();
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

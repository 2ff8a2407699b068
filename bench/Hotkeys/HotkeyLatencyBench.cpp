// Time from the X key release of a global shortcut to its key-up handler, against a bare xcb
// request/reply round trip measured in the same run. Needs an X server (the test session).
#include <Hotkeys/Hotkeys.h>
#include <Hotkeys/X11/X11HotkeyBackend.h>

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace {

// X keycodes of the evdev keymap.
constexpr xcb_keycode_t kShiftL = 50;
constexpr xcb_keycode_t kSuperL = 133;
constexpr xcb_keycode_t kV = 55;

void fakeKey(xcb_connection_t* connection, uint8_t type, xcb_keycode_t keycode) {
    xcb_test_fake_input(connection, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

qint64 roundTripNanoseconds(xcb_connection_t* connection) {
    QElapsedTimer timer;
    timer.start();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return timer.nsecsElapsed();
}

void BM_ReleaseToHandler(benchmark::State& state) {
    using namespace Hotkeys;
    setStorage(std::make_shared<MemorySettingsStorage>());
    GlobalHotkeys::setBackend(X11HotkeyBackend::create());
    const Name name(QStringLiteral("benchShowHistory"),
                    Shortcut(Key::v, ModifierFlag::Shift | ModifierFlag::Command));
    bool pressed = false;
    bool released = false;
    onKeyDown(name, [&] { pressed = true; });
    onKeyUp(name, [&] { released = true; });

    // A connection of its own, like the program that types the shortcut.
    xcb_connection_t* typist = xcb_connect(nullptr, nullptr);
    fakeKey(typist, XCB_KEY_PRESS, kShiftL);
    fakeKey(typist, XCB_KEY_PRESS, kSuperL);
    xcb_flush(typist);

    qint64 releaseNanoseconds = 0;
    qint64 roundTripTotal = 0;
    qint64 samples = 0;
    for (auto _ : state) {
        pressed = released = false;
        fakeKey(typist, XCB_KEY_PRESS, kV);
        xcb_flush(typist);
        while (!pressed)
            QCoreApplication::processEvents();

        QElapsedTimer timer;
        timer.start();
        fakeKey(typist, XCB_KEY_RELEASE, kV);
        xcb_flush(typist);
        while (!released)
            QCoreApplication::processEvents();
        const qint64 elapsed = timer.nsecsElapsed();
        state.SetIterationTime(double(elapsed) / 1e9);
        releaseNanoseconds += elapsed;

        // The baseline, interleaved so both see the same load.
        roundTripTotal += roundTripNanoseconds(typist);
        ++samples;
    }
    fakeKey(typist, XCB_KEY_RELEASE, kSuperL);
    fakeKey(typist, XCB_KEY_RELEASE, kShiftL);
    xcb_flush(typist);
    xcb_disconnect(typist);

    const double releaseMicros = double(releaseNanoseconds) / double(samples) / 1000.0;
    const double roundTripMicros = double(roundTripTotal) / double(samples) / 1000.0;
    state.counters["release_to_handler_us"] = releaseMicros;
    state.counters["xcb_round_trip_us"] = roundTripMicros;
    state.counters["ratio_to_round_trip"] = releaseMicros / roundTripMicros;
}
BENCHMARK(BM_ReleaseToHandler)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(500);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "HotkeysBench needs an X11 display\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

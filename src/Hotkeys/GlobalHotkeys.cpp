#include "Hotkeys/GlobalHotkeys.h"

#include "Hotkeys/LocalEventMonitor.h"
#include "Hotkeys/X11/X11HotkeyBackend.h"

#include <QCoreApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMap>

#include <cstdio>

namespace Hotkeys::GlobalHotkeys {
namespace {

// The status reported when there is no hot-key service at all (no X11 display).
constexpr int kNoBackendStatus = -1;

enum class Grab { live, released, refused };

struct HotKey {
    Shortcut shortcut;
    Grab grab;
    Action onKeyDown;
    Action onKeyUp;
};

struct State {
    std::unique_ptr<HotkeyBackend> backend;
    bool backendChosen = false;
    bool releaseRoutineAdded = false;
    QMap<quint64, HotKey> hotKeys;
    quint64 hotKeyId = 0;
    // While a menu is open: the key presses reaching the application, matched to records.
    std::unique_ptr<LocalEventMonitor> keyEventMonitor;
    QHash<quint32, quint64> menuPressesByScanCode;
    Conditions conditions;
};

State& state() {
    static State instance;
    return instance;
}

bool shortcutsEnabled() {
    const Conditions& conditions = state().conditions;
    return !conditions.shortcutsEnabled || conditions.shortcutsEnabled();
}

bool menuOpen() {
    const Conditions& conditions = state().conditions;
    return conditions.menuOpen && conditions.menuOpen();
}

bool shouldBeLive() {
    return shortcutsEnabled() && !menuOpen();
}

void reportRefusal(const Shortcut& shortcut, int status) {
    std::printf("Error registering hotkey %s: %d\n", shortcut.presentableDescription().toUtf8().constData(),
                status);
    std::fflush(stdout);
}

void grab(quint64 id, HotKey& hotKey) {
    HotkeyBackend* service = backend();
    const int status = service ? service->grab(id, hotKey.shortcut) : kNoBackendStatus;
    hotKey.grab = status == 0 ? Grab::live : Grab::refused;
    if (status != 0)
        reportRefusal(hotKey.shortcut, status);
}

void release(quint64 id, HotKey& hotKey) {
    if (hotKey.grab == Grab::live && state().backend)
        state().backend->ungrab(id);
    hotKey.grab = Grab::released;
}

// `which` is &HotKey::onKeyDown or &HotKey::onKeyUp.
void deliver(quint64 id, Action HotKey::*which) {
    const auto it = state().hotKeys.constFind(id);
    if (it == state().hotKeys.cend())
        return;
    // Copies: the action may unregister this very hot key.
    const Shortcut shortcut = it->shortcut;
    const Action action = (*it).*which;
    action(shortcut);
}

// The keyboard mapping changed: refused grabs get another chance, stale ones are made again.
void handleMappingChange(bool grabsStale) {
    if (!shouldBeLive())
        return;
    for (auto it = state().hotKeys.begin(); it != state().hotKeys.end(); ++it) {
        if (it->grab == Grab::live && !grabsStale)
            continue;
        release(it.key(), it.value());
        grab(it.key(), it.value());
    }
}

// The backend goes before the application does: Qt closes its X11 connection when the application
// object is destroyed, after running its post routines.
void releaseBackendAtExit() {
    State& s = state();
    s.keyEventMonitor.reset();
    s.menuPressesByScanCode.clear();
    s.backend.reset();
    s.backendChosen = false;
    s.releaseRoutineAdded = false;
    for (HotKey& hotKey : s.hotKeys)
        hotKey.grab = Grab::released;
}

void connectBackend(HotkeyBackend* service) {
    State& s = state();
    if (!s.releaseRoutineAdded) {
        qAddPostRoutine(&releaseBackendAtExit);
        s.releaseRoutineAdded = true;
    }
    QObject::connect(service, &HotkeyBackend::pressed, service,
                     [](quint64 id) { deliver(id, &HotKey::onKeyDown); });
    QObject::connect(service, &HotkeyBackend::released, service,
                     [](quint64 id) { deliver(id, &HotKey::onKeyUp); });
    QObject::connect(service, &HotkeyBackend::mappingChanged, service, &handleMappingChange);
}

bool handleMenuKeyEvent(QEvent* event) {
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    State& s = state();
    if (event->type() == QEvent::KeyRelease) {
        if (keyEvent->isAutoRepeat())
            return s.menuPressesByScanCode.contains(keyEvent->nativeScanCode());
        const auto id = s.menuPressesByScanCode.take(keyEvent->nativeScanCode());
        if (id == 0)
            return false;
        deliver(id, &HotKey::onKeyUp);
        return true;
    }
    const auto pressed = Shortcut::fromKeyEvent(*keyEvent);
    if (!pressed)
        return false;
    for (auto it = s.hotKeys.cbegin(); it != s.hotKeys.cend(); ++it) {
        if (it->shortcut != *pressed)
            continue;
        if (!keyEvent->isAutoRepeat()) {
            s.menuPressesByScanCode.insert(keyEvent->nativeScanCode(), it.key());
            deliver(it.key(), &HotKey::onKeyDown);
        }
        return true;
    }
    return false;
}

void setMenuKeyMonitoring(bool on) {
    State& s = state();
    if (!on) {
        s.keyEventMonitor.reset();
        s.menuPressesByScanCode.clear();
        return;
    }
    if (s.keyEventMonitor)
        return;
    s.keyEventMonitor = std::make_unique<LocalEventMonitor>(
        QSet<QEvent::Type>{QEvent::KeyPress, QEvent::KeyRelease},
        [](QObject*, QEvent* event) { return handleMenuKeyEvent(event); });
    s.keyEventMonitor->start();
}

} // namespace

void setConditions(Conditions conditions) {
    state().conditions = std::move(conditions);
}

void setBackend(std::unique_ptr<HotkeyBackend> service) {
    State& s = state();
    for (auto it = s.hotKeys.begin(); it != s.hotKeys.end(); ++it)
        release(it.key(), it.value());
    s.backend = std::move(service);
    s.backendChosen = true;
    if (s.backend)
        connectBackend(s.backend.get());
    updateEventHandler();
}

HotkeyBackend* backend() {
    State& s = state();
    // Chosen once an application exists: Qt's X11 connection comes with it.
    if (!s.backendChosen && QCoreApplication::instance()) {
        s.backendChosen = true;
        s.backend = X11HotkeyBackend::create();
        if (s.backend)
            connectBackend(s.backend.get());
    }
    return s.backend.get();
}

bool registerHotkey(const Shortcut& shortcut, Action onKeyDown, Action onKeyUp) {
    State& s = state();
    for (auto it = s.hotKeys.begin(); it != s.hotKeys.end(); ++it) {
        if (it->shortcut != shortcut)
            continue;
        if (it->grab == Grab::refused && shouldBeLive())
            grab(it.key(), it.value());
        return it->grab == Grab::live;
    }
    const quint64 id = ++s.hotKeyId;
    HotKey& hotKey =
        s.hotKeys.insert(id, HotKey{shortcut, Grab::released, std::move(onKeyDown), std::move(onKeyUp)})
            .value();
    if (shouldBeLive())
        grab(id, hotKey);
    return hotKey.grab == Grab::live;
}

void unregisterHotkey(const Shortcut& shortcut) {
    State& s = state();
    for (auto it = s.hotKeys.begin(); it != s.hotKeys.end();) {
        if (it->shortcut == shortcut) {
            release(it.key(), it.value());
            s.menuPressesByScanCode.removeIf(
                [id = it.key()](QHash<quint32, quint64>::iterator entry) { return entry.value() == id; });
            it = s.hotKeys.erase(it);
        } else {
            ++it;
        }
    }
}

bool isLive(const Shortcut& shortcut) {
    for (const HotKey& hotKey : std::as_const(state().hotKeys)) {
        if (hotKey.shortcut == shortcut && hotKey.grab == Grab::live)
            return true;
    }
    return false;
}

void updateEventHandler() {
    State& s = state();
    if (shouldBeLive()) {
        setMenuKeyMonitoring(false);
        for (auto it = s.hotKeys.begin(); it != s.hotKeys.end(); ++it) {
            if (it->grab != Grab::live)
                grab(it.key(), it.value());
        }
        return;
    }
    for (auto it = s.hotKeys.begin(); it != s.hotKeys.end(); ++it)
        release(it.key(), it.value());
    setMenuKeyMonitoring(shortcutsEnabled() && menuOpen());
}

bool isUsedBySystem(const Shortcut& shortcut) {
    if (isLive(shortcut))
        return false;
    HotkeyBackend* service = backend();
    return service && service->isTakenElsewhere(shortcut);
}

} // namespace Hotkeys::GlobalHotkeys

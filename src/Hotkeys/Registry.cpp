#include "Hotkeys/Registry.h"

#include "Hotkeys/GlobalHotkeys.h"
#include "Hotkeys/Notifications.h"
#include "Hotkeys/SettingsStorage.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QMap>
#include <QMenu>
#include <QPointer>
#include <QSet>

namespace Hotkeys {
namespace {

const QString kKeyPrefix = QStringLiteral("Hotkeys_");

using ActionList = QList<std::function<void()>>;
using StreamActions = QMap<quint64, std::function<void()>>;

// Counts the open menus of the application from their show and hide events.
class MenuTracker : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
    QSet<QObject*> openMenus;
};

struct State {
    std::shared_ptr<SettingsStorage> storage = std::make_shared<MemorySettingsStorage>();
    bool enabled = true;
    int activeRecorders = 0;
    QPointer<MenuTracker> menuTracker;
    QHash<QString, ActionList> legacyKeyDownHandlers;
    QHash<QString, ActionList> legacyKeyUpHandlers;
    QHash<QString, StreamActions> streamKeyDownHandlers;
    QHash<QString, StreamActions> streamKeyUpHandlers;
    // Every registered shortcut with the names that registered it: the hot key stays until the
    // last of them withdraws it, so one name cannot take away another name's identical hot key.
    QHash<Shortcut, QSet<QString>> registeredShortcuts;
    quint64 lastStreamId = 0;
};

State& state() {
    static State instance;
    // The hot-key layer obeys the switch and the open menus kept here; it never calls back into the
    // registry itself. Until the registry is first used its defaults hold there as well.
    static const bool conditionsGiven = [] {
        GlobalHotkeys::setConditions({[] { return isEnabled(); }, [] { return isMenuOpen(); }});
        return true;
    }();
    (void)conditionsGiven;
    return instance;
}

QString storageKey(const QString& rawValue) {
    return kKeyPrefix + rawValue;
}

std::optional<Shortcut> storedShortcut(const QString& rawValue) {
    const QJsonValue value = state().storage->value(storageKey(rawValue));
    if (!value.isString())
        return std::nullopt;
    return Shortcut::fromJson(value.toString().toUtf8());
}

bool userDefaultsContains(const Name& name) {
    return !state().storage->value(storageKey(name.rawValue())).isUndefined();
}

void userDefaultsDidChange(const Name& name) {
    NotificationCenter::instance().post(shortcutByNameDidChange,
                                        {{QStringLiteral("name"), QVariant::fromValue(name)}});
}

void dispatch(const Shortcut& pressed, EventType type) {
    if (isPaused())
        return;
    State& s = state();
    // Copies: an action may add or remove handlers.
    const auto legacy = type == EventType::keyDown ? s.legacyKeyDownHandlers : s.legacyKeyUpHandlers;
    for (auto it = legacy.cbegin(); it != legacy.cend(); ++it) {
        if (storedShortcut(it.key()) != pressed)
            continue;
        for (const auto& action : it.value())
            action();
    }
    // A stream's action belongs to the stream object, so each is looked up again right before it
    // runs: an earlier action may have ended that stream.
    auto& streams = type == EventType::keyDown ? s.streamKeyDownHandlers : s.streamKeyUpHandlers;
    QList<std::pair<QString, quint64>> matching;
    for (auto it = streams.cbegin(); it != streams.cend(); ++it) {
        if (storedShortcut(it.key()) != pressed)
            continue;
        for (auto stream = it->cbegin(); stream != it->cend(); ++stream)
            matching.append({it.key(), stream.key()});
    }
    for (const auto& [rawValue, id] : matching) {
        const auto table = streams.constFind(rawValue);
        if (table == streams.cend())
            continue;
        const auto action = table->value(id);
        if (action)
            action();
    }
}

void registerShortcut(const QString& rawValue, const Shortcut& shortcut) {
    State& s = state();
    s.registeredShortcuts[shortcut].insert(rawValue);
    if (!GlobalHotkeys::isLive(shortcut)) {
        GlobalHotkeys::registerHotkey(
            shortcut, [](const Shortcut& pressed) { dispatch(pressed, EventType::keyDown); },
            [](const Shortcut& released) { dispatch(released, EventType::keyUp); });
    }
}

void withdraw(const QString& rawValue, const Shortcut& shortcut) {
    State& s = state();
    auto it = s.registeredShortcuts.find(shortcut);
    if (it == s.registeredShortcuts.end())
        return;
    it->remove(rawValue);
    if (!it->isEmpty())
        return;
    s.registeredShortcuts.erase(it);
    GlobalHotkeys::unregisterHotkey(shortcut);
}

bool hasLegacyHandlers(const QString& rawValue) {
    const State& s = state();
    return s.legacyKeyDownHandlers.contains(rawValue) || s.legacyKeyUpHandlers.contains(rawValue);
}

bool hasStreamHandlers(const QString& rawValue) {
    const State& s = state();
    return !s.streamKeyDownHandlers.value(rawValue).isEmpty() ||
           !s.streamKeyUpHandlers.value(rawValue).isEmpty();
}

// Installs the menu tracking once a Qt application exists.
void initialize() {
    State& s = state();
    if (s.menuTracker || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    s.menuTracker = new MenuTracker;
    s.menuTracker->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(s.menuTracker);
}

bool MenuTracker::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && qobject_cast<QMenu*>(watched)) {
        const bool wasOpen = !openMenus.isEmpty();
        if (event->type() == QEvent::Show && !openMenus.contains(watched)) {
            openMenus.insert(watched);
            connect(watched, &QObject::destroyed, this, [this, watched] {
                const bool open = !openMenus.isEmpty();
                openMenus.remove(watched);
                if (open && openMenus.isEmpty())
                    GlobalHotkeys::updateEventHandler();
            });
        } else if (event->type() == QEvent::Hide) {
            openMenus.remove(watched);
            disconnect(watched, &QObject::destroyed, this, nullptr);
        }
        if (wasOpen != !openMenus.isEmpty())
            GlobalHotkeys::updateEventHandler();
    }
    return false;
}

} // namespace

void setStorage(std::shared_ptr<SettingsStorage> storage) {
    state().storage = std::move(storage);
}

SettingsStorage& storage() {
    return *state().storage;
}

Name::Name(const QString& rawValue, std::optional<Shortcut> defaultShortcut)
    : m_rawValue(rawValue), m_defaultShortcut(std::move(defaultShortcut)) {
    if (m_defaultShortcut && !userDefaultsContains(*this))
        userDefaultsSet(*this, *m_defaultShortcut);
    initialize();
}

std::optional<Shortcut> Name::shortcut() const {
    return getShortcut(*this);
}

void Name::setShortcut(const std::optional<Shortcut>& shortcut) const {
    Hotkeys::setShortcut(shortcut, *this);
}

std::optional<Shortcut> Shortcut::forName(const Name& name) {
    return getShortcut(name);
}

std::optional<Shortcut> getShortcut(const Name& name) {
    return storedShortcut(name.rawValue());
}

void userDefaultsSet(const Name& name, const Shortcut& shortcut) {
    const QString json = QString::fromUtf8(shortcut.toJson());
    if (const auto previous = getShortcut(name))
        withdraw(name.rawValue(), *previous);
    registerShortcut(name.rawValue(), shortcut);
    state().storage->setValue(storageKey(name.rawValue()), json);
    userDefaultsDidChange(name);
}

void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name) {
    if (shortcut) {
        userDefaultsSet(name, *shortcut);
        return;
    }
    const auto previous = getShortcut(name);
    if (!previous)
        return;
    if (name.defaultShortcut())
        state().storage->setValue(storageKey(name.rawValue()), false);
    else
        state().storage->remove(storageKey(name.rawValue()));
    withdraw(name.rawValue(), *previous);
    userDefaultsDidChange(name);
}

void reset(const QList<Name>& names) {
    for (const Name& name : names)
        setShortcut(name.defaultShortcut(), name);
}

void resetAll() {
    QList<Name> names;
    for (const QString& key : state().storage->keys()) {
        if (key.startsWith(kKeyPrefix))
            names.append(Name(key.mid(kKeyPrefix.size())));
    }
    reset(names);
}

void onKeyDown(const Name& name, std::function<void()> action) {
    state().legacyKeyDownHandlers[name.rawValue()].append(std::move(action));
    if (const auto shortcut = getShortcut(name))
        registerShortcut(name.rawValue(), *shortcut);
}

void onKeyUp(const Name& name, std::function<void()> action) {
    state().legacyKeyUpHandlers[name.rawValue()].append(std::move(action));
    if (const auto shortcut = getShortcut(name))
        registerShortcut(name.rawValue(), *shortcut);
}

void removeHandler(const Name& name) {
    State& s = state();
    s.legacyKeyDownHandlers.remove(name.rawValue());
    s.legacyKeyUpHandlers.remove(name.rawValue());
    const auto shortcut = getShortcut(name);
    if (shortcut && !hasStreamHandlers(name.rawValue()))
        withdraw(name.rawValue(), *shortcut);
}

void removeAllHandlers() {
    State& s = state();
    QSet<QString> names;
    for (auto it = s.legacyKeyDownHandlers.cbegin(); it != s.legacyKeyDownHandlers.cend(); ++it)
        names.insert(it.key());
    for (auto it = s.legacyKeyUpHandlers.cbegin(); it != s.legacyKeyUpHandlers.cend(); ++it)
        names.insert(it.key());
    s.legacyKeyDownHandlers.clear();
    s.legacyKeyUpHandlers.clear();
    for (const QString& rawValue : names) {
        const auto shortcut = storedShortcut(rawValue);
        if (shortcut && !hasStreamHandlers(rawValue))
            withdraw(rawValue, *shortcut);
    }
}

void enable(const QList<Name>& names) {
    for (const Name& name : names) {
        if (const auto shortcut = getShortcut(name))
            registerShortcut(name.rawValue(), *shortcut);
    }
}

void disable(const QList<Name>& names) {
    for (const Name& name : names) {
        if (const auto shortcut = getShortcut(name))
            withdraw(name.rawValue(), *shortcut);
    }
}

bool isEnabled() {
    return state().enabled;
}

void setEnabled(bool enabled) {
    State& s = state();
    if (s.enabled == enabled)
        return;
    s.enabled = enabled;
    GlobalHotkeys::updateEventHandler();
}

bool isEnabled(const Name& name) {
    const auto shortcut = getShortcut(name);
    return isEnabled() && shortcut && state().registeredShortcuts.contains(*shortcut) &&
           GlobalHotkeys::isLive(*shortcut);
}

bool isPaused() {
    return state().activeRecorders > 0;
}

void beginRecording() {
    ++state().activeRecorders;
}

void endRecording() {
    State& s = state();
    if (s.activeRecorders > 0)
        --s.activeRecorders;
}

bool isMenuOpen() {
    const State& s = state();
    return s.menuTracker && !s.menuTracker->openMenus.isEmpty();
}

EventStream::EventStream(const Name& name, std::optional<EventType> only)
    : m_name(name), m_id(++state().lastStreamId) {
    State& s = state();
    if (!only || *only == EventType::keyDown)
        s.streamKeyDownHandlers[name.rawValue()].insert(m_id, [this] { emit event(EventType::keyDown); });
    if (!only || *only == EventType::keyUp)
        s.streamKeyUpHandlers[name.rawValue()].insert(m_id, [this] { emit event(EventType::keyUp); });
    if (const auto shortcut = getShortcut(name))
        registerShortcut(name.rawValue(), *shortcut);
}

EventStream::~EventStream() {
    State& s = state();
    const QString rawValue = m_name.rawValue();
    for (auto* table : {&s.streamKeyDownHandlers, &s.streamKeyUpHandlers}) {
        auto it = table->find(rawValue);
        if (it == table->end())
            continue;
        it->remove(m_id);
        if (it->isEmpty())
            table->erase(it);
    }
    const auto shortcut = getShortcut(m_name);
    if (shortcut && !hasLegacyHandlers(rawValue) && !hasStreamHandlers(rawValue))
        withdraw(rawValue, *shortcut);
}

std::unique_ptr<EventStream> events(const Name& name) {
    return std::make_unique<EventStream>(name, std::nullopt);
}

std::unique_ptr<EventStream> events(EventType type, const Name& name) {
    return std::make_unique<EventStream>(name, type);
}

} // namespace Hotkeys

#pragma once

#include "Hotkeys/Name.h"
#include "Hotkeys/Shortcut.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace Hotkeys {

enum class EventType { keyDown, keyUp };

// The shortcut stored for the name: none when nothing, false, or an undecodable value is stored.
std::optional<Shortcut> getShortcut(const Name& name);
// Stores the shortcut (the old one is withdrawn, the new one registered at once) or, with none,
// clears it: a name with a default then stores false, so the default does not come back; a name
// without one loses its key. Every change is announced with shortcutByNameDidChange.
void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
// Stores the shortcut for the name (the recorder's path; see setShortcut()).
void userDefaultsSet(const Name& name, const Shortcut& shortcut);

// Back to each name's default (clearing names without one).
void reset(const QList<Name>& names);
// Removes every stored shortcut of every name found in the store; false markers stay.
void resetAll();

// Runs the action on the main thread each time the name's shortcut is pressed (released); several
// actions of one name run in the order they were added. Registers the hot key.
void onKeyDown(const Name& name, std::function<void()> action);
void onKeyUp(const Name& name, std::function<void()> action);
// Drops the name's actions and, unless an event stream still uses the name, its hot key.
void removeHandler(const Name& name);
void removeAllHandlers();

// Registers (withdraws) the names' stored shortcuts, keeping storage and actions.
void enable(const QList<Name>& names);
void disable(const QList<Name>& names);

// The global switch of every hot key (initially on). Off releases every grab; on restores them
// without running any action.
bool isEnabled();
void setEnabled(bool enabled);
// Whether the name's hot key works now: shortcuts enabled, a shortcut stored, and its grab live.
bool isEnabled(const Name& name);

// Hot-key actions do nothing while a recorder records. Recorders call these in pairs; the pause
// lasts while any recorder is recording.
bool isPaused();
void beginRecording();
void endRecording();

// True while a menu of the application is open.
bool isMenuOpen();

// A live subscription to the name's presses and releases: registers the hot key while it exists
// and emits one event per press or release. Destroying it ends the subscription.
class EventStream : public QObject {
    Q_OBJECT
public:
    EventStream(const Name& name, std::optional<EventType> only);
    ~EventStream() override;

signals:
    void event(Hotkeys::EventType type);

private:
    Name m_name;
    quint64 m_id;
};

std::unique_ptr<EventStream> events(const Name& name);
std::unique_ptr<EventStream> events(EventType type, const Name& name);

} // namespace Hotkeys

#pragma once

#include "Hotkeys/Shortcut.h"

#include <optional>

class QKeyEvent;

namespace Hotkeys {

// What a recording recorder does with a key event, before any conflict check.
struct RecorderKeyDecision {
    enum class Action {
        swallow,               // nothing happens (lone modifier keys, key releases)
        pass,                  // the event goes on (bare Tab moves the focus and so ends recording)
        resignFocusAndSwallow, // bare Escape: recording ends
        clear,                 // bare Backspace or Delete: the field is emptied, the shortcut removed
        beep,                  // not acceptable as a global shortcut; recording goes on
        record,                // `shortcut` is the candidate
    };
    Action action;
    std::optional<Shortcut> shortcut;

    friend bool operator==(const RecorderKeyDecision&, const RecorderKeyDecision&) = default;
};

// A key needs Control, Alt or Super unless it is a function key; Shift alone is not enough.
RecorderKeyDecision decideRecorderKey(const QKeyEvent& event);

} // namespace Hotkeys

#pragma once

namespace Platform {

// Keystrokes posted as if typed by the user, to whichever window has the keyboard focus.
class SyntheticKeyboard {
public:
    virtual ~SyntheticKeyboard() = default;

    // Releases the modifiers the user still holds, then types Ctrl+V with the V of the current
    // layout. False when the keystroke could not be posted.
    virtual bool postPaste() = 0;
};

} // namespace Platform

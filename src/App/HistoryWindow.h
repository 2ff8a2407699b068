#pragma once

namespace App {

// What the shell needs of the history panel.
class HistoryWindow {
public:
    virtual ~HistoryWindow() = default;

    // Builds one more part of the panel ahead of its first showing (its widgets, their window, a
    // first rendering off screen), so that showing costs what later ones do. False once nothing is
    // left to build; a panel shown meanwhile needs nothing more.
    virtual bool prepareNextPart() = 0;
    virtual bool isPanelVisible() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
};

} // namespace App

#pragma once

namespace App {

// What the shell needs of the history panel.
class HistoryWindow {
public:
    virtual ~HistoryWindow() = default;

    // Builds the panel ahead of its first showing, so that showing costs what later ones do.
    virtual void prepare() = 0;
    virtual bool isPanelVisible() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
};

} // namespace App

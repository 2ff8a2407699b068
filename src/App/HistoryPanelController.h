#pragma once

namespace App {

// What the shell needs of the history panel's controller.
class HistoryPanelController {
public:
    virtual ~HistoryPanelController() = default;

    virtual bool isPanelVisible() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
};

} // namespace App

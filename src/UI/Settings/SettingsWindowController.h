#pragma once

#include <App/Windows.h>

#include <QWidget>

#include <memory>

namespace UI {

// The settings window: a fixed 640 × 540 window whose title follows the in-app language. Closing
// it only hides it; the controller keeps it for the life of the process.
class SettingsWindowController final : public App::SettingsWindow {
public:
    SettingsWindowController();
    ~SettingsWindowController() override;

    void show() override;

    QWidget* window() const { return m_window.get(); }

private:
    std::unique_ptr<QWidget> m_window;
};

} // namespace UI

#pragma once

#include "SettingsServices.h"

#include <App/Windows.h>

#include <QWidget>

#include <memory>

namespace UI {

class SettingsView;

// The settings window: a fixed 640 × 540 window holding the settings view, whose title follows the
// in-app language. Closing it (also with Ctrl+W or Escape) only hides it; the controller keeps it,
// with its selected tab and page, for the life of the process.
class SettingsWindowController final : public App::SettingsWindow {
public:
    explicit SettingsWindowController(SettingsServices services);
    ~SettingsWindowController() override;

    // Re-titles and centres the window and brings it to the front with the keyboard focus.
    void show() override;
    void showGeneralPage() override;

    QWidget* window() const { return m_window.get(); }
    SettingsView* view() const { return m_view; }

private:
    std::unique_ptr<QWidget> m_window;
    SettingsView* m_view;
};

} // namespace UI

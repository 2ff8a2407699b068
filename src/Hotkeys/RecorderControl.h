#pragma once

#include "Hotkeys/Name.h"

#include <QLineEdit>

#include <functional>
#include <memory>
#include <optional>

namespace Hotkeys {

class LocalEventMonitor;

// The field in which the user records the global shortcut of one name. It shows the stored
// shortcut; clicking it (or tabbing into it) starts recording, and the next acceptable key press
// becomes the name's shortcut, stored and registered at once. Emptying the field (its clear button,
// or bare Backspace/Delete while recording) removes the shortcut. While any recorder records, hot
// keys do nothing.
class RecorderControl : public QLineEdit {
    Q_OBJECT
public:
    using OnChange = std::function<void(const std::optional<Shortcut>&)>;
    // How the field writes a shortcut.
    using Presenter = std::function<QString(const Shortcut&)>;

    explicit RecorderControl(const Name& name, OnChange onChange = {}, QWidget* parent = nullptr);
    ~RecorderControl() override;

    Name shortcutName() const { return m_name; }
    // Shows another name's shortcut (nothing happens for a name with the same raw value).
    void setShortcutName(const Name& name);

    bool isRecording() const { return m_monitor != nullptr; }

    // Writes the shortcut with `presenter` from now on, instead of its presentableDescription() (an
    // application that shows keys in its own notation); an empty one restores the default.
    void setPresenter(Presenter presenter);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refreshText();
    void startRecording();
    void stopRecording();
    void postActiveStatus();
    bool handleMonitoredEvent(QEvent* event);
    bool handleKeyPress(QKeyEvent* event);
    void clearByUser();
    void handleTextEdited(const QString& text);
    // Runs a warning; recording ends while it is shown and starts again afterwards.
    int showConflictAlert(const QString& message, const QString& informativeText, bool offerForce);
    void save(const Shortcut& shortcut);
    QString present(const Shortcut& shortcut) const;

    Name m_name;
    OnChange m_onChange;
    Presenter m_presenter;
    std::unique_ptr<LocalEventMonitor> m_monitor;
    // Set while an alert is shown, so that the window's return in front resumes recording.
    bool m_resumeAfterAlert = false;
};

} // namespace Hotkeys

#pragma once

#include "Hotkeys/RecorderControl.h"

#include <QWidget>

class QLabel;

namespace Hotkeys {

// A recorder field for one name, optionally with a text label beside it.
class Recorder : public QWidget {
    Q_OBJECT
public:
    // The bare field, without any label space.
    explicit Recorder(const Name& name, RecorderControl::OnChange onChange = {}, QWidget* parent = nullptr);
    // The field with a label showing `title` as given (the caller translates it).
    Recorder(const QString& title, const Name& name, RecorderControl::OnChange onChange = {},
             QWidget* parent = nullptr);

    // Keeps the same field (and its change callback) and shows the new name's shortcut.
    void setName(const Name& name) { m_control->setShortcutName(name); }
    RecorderControl* control() const { return m_control; }
    QLabel* label() const { return m_label; }

private:
    RecorderControl* m_control;
    QLabel* m_label = nullptr;
};

} // namespace Hotkeys

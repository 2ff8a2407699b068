#pragma once

#include "SettingsWidgets.h"

#include <Hotkeys/Name.h>

#include <QList>

namespace Hotkeys {
class RecorderControl;
}

namespace UI {

// The Shortcuts page: a recorder for each of the two global shortcuts. A recorded shortcut is
// stored and grabbed at once; when another application holds a shortcut, so that it cannot work,
// the page says so under its field.
class ShortcutsSettingsTab : public SettingsForm {
    Q_OBJECT
public:
    explicit ShortcutsSettingsTab(QWidget* parent = nullptr);

    Hotkeys::RecorderControl* recorder(const QString& name) const;
    // Whether the warning under the name's field is showing.
    bool showsConflict(const QString& name) const;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Entry {
        Hotkeys::Name name;
        const char* title;
        TextLabel* label;
        Hotkeys::RecorderControl* recorder;
        TextLabel* conflict;
    };

    void retranslate();
    void refreshConflicts();

    FormSection* m_section;
    QList<Entry> m_entries;
};

} // namespace UI

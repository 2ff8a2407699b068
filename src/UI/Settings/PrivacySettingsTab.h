#pragma once

#include "SettingsServices.h"
#include "SettingsWidgets.h"

#include <QStringList>

class QListWidget;

namespace UI {

class ApplicationPicker;

// The Privacy page: skipping concealed clipboard content, the applications whose copies are never
// stored, and the two destructive actions, each confirmed first: clearing the history (pinned items
// too, snippets kept) and erasing every piece of data with a restart. An erase that cannot be
// completed says so and does not restart.
class PrivacySettingsTab : public SettingsForm {
    Q_OBJECT
public:
    explicit PrivacySettingsTab(const SettingsServices& services, QWidget* parent = nullptr);

    const QStringList& ignoredApplications() const { return m_ignored; }
    // "Add…": opens the picker; its choice is added when it is new.
    ApplicationPicker* openPicker();
    // Adds the id at the end of the list, unless it is empty or listed already.
    void addApplication(const QString& desktopId);
    // "Remove": removes the selected application; nothing stays selected.
    void removeSelected();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void rebuildList();
    void persist();
    void confirmClear();
    void confirmErase();
    void reportErase(App::ResetService::WipeOutcome outcome);

    SettingsServices m_services;
    QStringList m_ignored;
    SettingsSwitch* m_ignoreConcealed;
    TextLabel* m_ignoreConcealedLabel;
    FormSection* m_concealedSection;
    FormSection* m_appsSection;
    QListWidget* m_apps;
    QPushButton* m_add;
    QPushButton* m_remove;
    TonedButton* m_clear;
    FormSection* m_dangerSection;
    TonedButton* m_erase;
};

} // namespace UI

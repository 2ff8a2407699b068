#include "PrivacySettingsTab.h"

#include "ApplicationPicker.h"

#include <Capture/DefaultSettings.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <UI/Design/AppIconCache.h>
#include <UI/Design/ThinScrollbarConfigurator.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QListWidget>
#include <QMessageBox>

namespace UI {

PrivacySettingsTab::PrivacySettingsTab(const SettingsServices& services, QWidget* parent)
    : SettingsForm(parent), m_services(services),
      m_ignored(services.defaults->stringList(App::SettingsKeys::ignoredBundleIDs).value_or(QStringList())) {
    m_concealedSection = addSection();
    m_ignoreConcealedLabel = rowLabel(this);
    m_ignoreConcealed = new SettingsSwitch(this);
    m_ignoreConcealed->setObjectName(QStringLiteral("ignoreConcealed"));
    m_ignoreConcealed->setChecked(m_services.defaults->boolValue(App::SettingsKeys::ignoreConcealed, true));
    m_concealedSection->addRow(formRow(m_ignoreConcealedLabel, m_ignoreConcealed, this));
    connect(m_ignoreConcealed, &QAbstractButton::toggled, this,
            [this](bool on) { m_services.defaults->setValue(App::SettingsKeys::ignoreConcealed, on); });

    m_appsSection = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "Ignored applications"));
    m_apps = new QListWidget(this);
    m_apps->setObjectName(QStringLiteral("ignoredApplications"));
    m_apps->setFrameShape(QFrame::NoFrame);
    m_apps->setFixedHeight(120);
    m_apps->setItemDelegate(new ApplicationRowDelegate(m_apps));
    m_apps->setUniformItemSizes(true);
    m_apps->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_apps->viewport()->setAutoFillBackground(false);
    ThinScrollbarConfigurator::apply(*m_apps);
    m_apps->setAutoFillBackground(false);
    m_apps->setContentsMargins(0, 4, 0, 4);
    m_appsSection->addRow(m_apps);
    auto* buttons = new QWidget(this);
    auto* buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->setContentsMargins(10, 6, 10, 6);
    buttonLayout->setSpacing(6);
    m_add = new TonedButton(Tone::Primary, buttons);
    m_add->setObjectName(QStringLiteral("addApplication"));
    m_remove = new TonedButton(Tone::Primary, buttons);
    m_remove->setObjectName(QStringLiteral("removeApplication"));
    buttonLayout->addWidget(m_add);
    buttonLayout->addWidget(m_remove);
    buttonLayout->addStretch(1);
    m_appsSection->addRow(buttons);
    connect(m_add, &QPushButton::clicked, this, &PrivacySettingsTab::openPicker);
    connect(m_remove, &QPushButton::clicked, this, &PrivacySettingsTab::removeSelected);
    connect(m_apps, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current) { m_remove->setEnabled(current != nullptr); });
    rebuildList();

    FormSection* clear = addSection();
    m_clear = new TonedButton(Tone::Red, this);
    m_clear->setObjectName(QStringLiteral("clearHistory"));
    clear->addRow(buttonRow(m_clear, this));
    connect(m_clear, &QPushButton::clicked, this, &PrivacySettingsTab::confirmClear);

    m_dangerSection = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "Danger zone"));
    m_erase = new TonedButton(Tone::Red, this);
    m_erase->setObjectName(QStringLiteral("eraseAllData"));
    m_dangerSection->addRow(buttonRow(m_erase, this));
    connect(m_erase, &QPushButton::clicked, this, &PrivacySettingsTab::confirmErase);

    retranslate();
}

void PrivacySettingsTab::rebuildList() {
    m_apps->clear();
    for (const QString& id : std::as_const(m_ignored)) {
        auto* item = new QListWidgetItem(AppIconCache::displayName(id), m_apps);
        item->setData(ApplicationRowDelegate::kDesktopIdRole, id);
    }
    m_apps->setCurrentItem(nullptr);
    m_remove->setEnabled(false);
}

void PrivacySettingsTab::persist() {
    m_services.defaults->setValue(App::SettingsKeys::ignoredBundleIDs, QJsonArray::fromStringList(m_ignored));
}

ApplicationPicker* PrivacySettingsTab::openPicker() {
    bringToFront(this);
    auto* picker = new ApplicationPicker(window());
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &QDialog::accepted, this, [this, picker] {
        if (const std::optional<QString> id = picker->chosenId())
            addApplication(*id);
    });
    picker->open();
    picker->raise();
    picker->activateWindow();
    return picker;
}

void PrivacySettingsTab::addApplication(const QString& desktopId) {
    if (desktopId.isEmpty() || m_ignored.contains(desktopId))
        return;
    m_ignored.append(desktopId);
    persist();
    rebuildList();
}

void PrivacySettingsTab::removeSelected() {
    const QListWidgetItem* current = m_apps->currentItem();
    if (!current)
        return;
    const QString id = current->data(ApplicationRowDelegate::kDesktopIdRole).toString();
    m_ignored.removeAll(id);
    persist();
    rebuildList();
}

void PrivacySettingsTab::confirmClear() {
    confirmDestructive(this, tr("Clear entire history?"),
                       tr("Every item goes, pinned ones too. Snippets are kept. This cannot be undone."),
                       tr("Clear History"), [this] { m_services.store->clearAll(false, false); });
}

void PrivacySettingsTab::confirmErase() {
    confirmDestructive(
        this, tr("Reset Quillstack?"),
        tr("This deletes the entire history, all images and every setting, restoring the app to a "
           "fresh install. Quillstack will restart automatically."),
        tr("Erase and Restart"), [this] {
            if (!m_services.eraseAllData)
                return;
            const App::ResetService::WipeOutcome outcome = m_services.eraseAllData();
            if (outcome != App::ResetService::WipeOutcome::Relaunched)
                reportErase(outcome);
        });
}

void PrivacySettingsTab::reportErase(App::ResetService::WipeOutcome outcome) {
    // This instance goes on with its settings as they are now; the page shows them.
    m_ignored = m_services.defaults->stringList(App::SettingsKeys::ignoredBundleIDs).value_or(QStringList());
    rebuildList();
    const QSignalBlocker blocker(m_ignoreConcealed);
    m_ignoreConcealed->setChecked(m_services.defaults->boolValue(App::SettingsKeys::ignoreConcealed, true));
    if (outcome == App::ResetService::WipeOutcome::EraseIncomplete) {
        warn(this, tr("Not everything could be erased"),
             tr("Some of Quillstack's data could not be removed, so Quillstack has not restarted. It goes on "
                "with "
                "its default settings. Make sure no other program is using its files, then try again."));
    } else {
        warn(this, tr("Quillstack could not restart"),
             tr("All data has been erased, but a new instance could not be started. Quillstack goes on with "
                "its "
                "default settings; quit and start it again to begin afresh."));
    }
}

void PrivacySettingsTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SettingsForm::changeEvent(event);
}

void PrivacySettingsTab::retranslate() {
    m_ignoreConcealedLabel->setText(tr("Ignore concealed content (password managers)"));
    m_ignoreConcealed->setAccessibleName(m_ignoreConcealedLabel->text());
    m_concealedSection->footer()->setText(
        tr("Skips content marked secret by 1Password, Bitwarden and similar apps."));
    m_appsSection->footer()->setText(tr("Clipboard changes from these apps are never stored."));
    m_add->setText(tr("Add…"));
    m_remove->setText(tr("Remove"));
    m_clear->setText(tr("Clear entire history now"));
    m_dangerSection->footer()->setText(tr("Restores Quillstack to the state of a fresh installation."));
    m_erase->setText(tr("Erase all app data…"));
}

} // namespace UI

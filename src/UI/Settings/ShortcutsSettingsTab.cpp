#include "ShortcutsSettingsTab.h"

#include "SettingsServices.h"

#include <App/HotkeysBinding.h>
#include <App/Shortcuts.h>
#include <Hotkeys/GlobalHotkeys.h>
#include <Hotkeys/Notifications.h>
#include <Hotkeys/RecorderControl.h>
#include <Hotkeys/Registry.h>
#include <Hotkeys/Shortcut.h>
#include <UI/Design/KeyNotation.h>

#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace UI {

ShortcutsSettingsTab::ShortcutsSettingsTab(QWidget* parent) : SettingsForm(parent) {
    m_section = addSection(QT_TRANSLATE_NOOP("QSSectionHeader", "Global shortcuts"));
    const std::pair<const App::ShortcutName*, const char*> shortcuts[] = {
        {&App::Shortcuts::showHistory, QT_TR_NOOP("Show history:")},
        {&App::Shortcuts::pastePlainText, QT_TR_NOOP("Paste last item as plain text:")},
    };
    for (const auto& [shortcut, title] : shortcuts) {
        const Hotkeys::Name name = App::libraryName(*shortcut);
        auto* label = rowLabel(this);
        auto* recorder = new Hotkeys::RecorderControl(name, {}, this);
        recorder->setObjectName(QStringLiteral("recorder.") + name.rawValue());
        recorder->setPresenter([](const Hotkeys::Shortcut& shortcut) { return KeyNotation::text(shortcut); });
        recorder->setFont(bodyFont());
        // Wide enough for a shortcut with every modifier, written out, beside the clear button.
        const QString longest = KeyNotation::text(Hotkeys::Shortcut(
            Hotkeys::Key::f12, Hotkeys::ModifierFlag::Control | Hotkeys::ModifierFlag::Option |
                                   Hotkeys::ModifierFlag::Shift | Hotkeys::ModifierFlag::Command));
        recorder->setMinimumWidth(std::max(180, recorder->fontMetrics().horizontalAdvance(longest) + 56));
        auto* conflict = new TextLabel(Tone::Orange, captionFont(), this);
        conflict->setObjectName(QStringLiteral("conflict.") + name.rawValue());
        conflict->setWordWrap(true);
        conflict->hide();
        m_section->addRow(formRow(label, recorder, this, conflict));
        m_entries.append({name, title, label, recorder, conflict});
    }
    connect(&Hotkeys::NotificationCenter::instance(), &Hotkeys::NotificationCenter::posted, this,
            [this](const QString& notification, const QVariantMap& userInfo) {
                if (notification != Hotkeys::shortcutByNameDidChange)
                    return;
                refreshConflicts();
                const auto name = userInfo.value(QStringLiteral("name")).value<Hotkeys::Name>();
                const std::optional<Hotkeys::Shortcut> shortcut = Hotkeys::getShortcut(name);
                qCDebug(lcSettings, "shortcut %s is now %s (%s)", qPrintable(name.rawValue()),
                        shortcut ? shortcut->toJson().constData() : "none",
                        Hotkeys::isEnabled(name) ? "live" : "not live");
            });
    retranslate();
    refreshConflicts();
}

Hotkeys::RecorderControl* ShortcutsSettingsTab::recorder(const QString& name) const {
    for (const Entry& entry : m_entries) {
        if (entry.name.rawValue() == name)
            return entry.recorder;
    }
    return nullptr;
}

bool ShortcutsSettingsTab::showsConflict(const QString& name) const {
    for (const Entry& entry : m_entries) {
        if (entry.name.rawValue() == name)
            return !entry.conflict->isHidden();
    }
    return false;
}

void ShortcutsSettingsTab::refreshConflicts() {
    for (Entry& entry : m_entries) {
        // Only a stored shortcut that is not live because someone else grabbed it: with hot keys
        // switched off, or without any hot-key service, there is nothing another program took.
        const std::optional<Hotkeys::Shortcut> shortcut = Hotkeys::getShortcut(entry.name);
        const bool held = shortcut && Hotkeys::isEnabled() && !Hotkeys::isEnabled(entry.name) &&
                          Hotkeys::GlobalHotkeys::isUsedBySystem(*shortcut);
        entry.conflict->setVisible(held);
    }
    m_section->panel()->update();
}

void ShortcutsSettingsTab::showEvent(QShowEvent* event) {
    refreshConflicts();
    SettingsForm::showEvent(event);
    // Once laid out, where the fields are: for reading a session's log.
    QTimer::singleShot(0, this, [this] {
        for (const Entry& entry : std::as_const(m_entries)) {
            const QPoint centre = entry.recorder->mapTo(this, entry.recorder->rect().center());
            qCDebug(lcSettings, "shortcut field %s at %d,%d in the page", qPrintable(entry.name.rawValue()),
                    centre.x(), centre.y());
        }
    });
}

void ShortcutsSettingsTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    // Back in front: another program may have let a shortcut go, or taken one, meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refreshConflicts();
    SettingsForm::changeEvent(event);
}

void ShortcutsSettingsTab::retranslate() {
    for (Entry& entry : m_entries) {
        entry.label->setText(tr(entry.title));
        entry.recorder->setAccessibleName(entry.label->text());
        entry.conflict->setText(
            tr("Another application holds this shortcut, so it does nothing here. Record a "
               "different one, or free it in that application."));
    }
    m_section->footer()->setText(tr("Click a field and press the new key combination."));
}

} // namespace UI

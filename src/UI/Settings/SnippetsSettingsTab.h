#pragma once

#include "SettingsServices.h"
#include "SettingsWidgets.h"

#include <Storage/ClipboardItem.h>

#include <QUuid>
#include <QWidget>

#include <optional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QStackedWidget;
class QToolButton;
class QVariantAnimation;

namespace UI {

// The Snippets page: the list of snippets beside an editor for the selected one. The editor's
// title and text belong to the snippet they were last loaded from; leaving it for another snippet
// or adding a new one saves them into it, and Save (or Ctrl+S) saves them with a short confirmation.
// A title that is blank (only spaces and tabs) is never saved. Nothing is kept but through the
// history store: switching tabs or closing the window drops unsaved edits. A save the store
// refuses (the history file is busy or cannot be written) is said under the editor, and the text
// stays in the editor, unsaved; a snippet left meanwhile is shown again with it.
class SnippetsSettingsTab : public QWidget {
    Q_OBJECT
public:
    explicit SnippetsSettingsTab(const SettingsServices& services, QWidget* parent = nullptr);

    // The selected snippet, absent when none is selected or it has gone from the store.
    ClipboardItemPtr selectedSnippet() const;
    const std::optional<QUuid>& selectedId() const { return m_selectedId; }
    // The selected snippet's title or text differs from what the editor holds.
    bool isDirty() const;
    // Dirty, and the title is not blank.
    bool canSave() const;
    bool showsSavedConfirmation() const { return m_savedFlash; }
    bool isSavePulsing() const { return m_savePulse; }
    bool showsSaveFailure() const { return m_saveFailed; }

    // The "+" button: keeps the current edits, then adds "New Snippet" and shows it.
    void addSnippet();
    // The "−" button: deletes the selected snippet, without asking.
    void deleteSelected();
    // Selecting a row: the snippet being left keeps its edits, then the new one is shown.
    void select(const std::optional<QUuid>& id);
    // The Save button and Ctrl+S.
    void save();

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildList();
    QWidget* buildEditor();
    void retranslate();
    void loadSelection();
    // Saves the edits into the edited snippet when they differ and the title is not blank; false
    // when the store refused them at once (the editor keeps them).
    bool autoSaveIfNeeded();
    // Writes the editor's texts into `snippet`; `confirm` shows the confirmation once stored.
    // False when refused at once.
    bool storeEdits(const ClipboardItemPtr& snippet, bool confirm);
    void confirmSaved();
    // The texts meant for the snippet `id` were not stored: the editor shows them, unsaved.
    void showSaveFailure(const QUuid& id, const QString& title, const QString& content);
    void rebuildList();
    void refreshState();
    void setSavePulse(bool on);
    void setSavedFlash(bool on);

    SettingsServices m_services;
    std::optional<QUuid> m_selectedId;
    // The snippet the editor's texts were loaded from.
    std::optional<QUuid> m_editedId;
    bool m_savedFlash = false;
    bool m_savePulse = false;
    bool m_saveFailed = false;
    bool m_loading = false;

    QListWidget* m_list;
    QWidget* m_listEmpty;
    TextLabel* m_listEmptyText;
    QToolButton* m_add;
    QToolButton* m_remove;
    TextLabel* m_unsavedBadge;
    QStackedWidget* m_editorStack;
    TextLabel* m_emptyTitle;
    TextLabel* m_emptyText;
    TextLabel* m_titleCaption;
    QLineEdit* m_title;
    TextLabel* m_contentCaption;
    QPlainTextEdit* m_content;
    QWidget* m_saved;
    TextLabel* m_savedText;
    TextLabel* m_unsavedText;
    QWidget* m_failure;
    TextLabel* m_failureText;
    ProminentButton* m_save;
    QVariantAnimation* m_pulseAnimation;
    QVariantAnimation* m_flashAnimation;
};

} // namespace UI

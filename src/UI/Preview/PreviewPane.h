#pragma once

#include "PreviewServices.h"
#include "PreviewWidgets.h"

#include <Analysis/ContentClassifier.h>
#include <Storage/ClipboardItem.h>

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QSBadge;
class QPlainTextEdit;
class QVBoxLayout;
// The right-hand pane of the history panel: the item the list has selected or hovers, or a
// placeholder when there is none. A header with the kind, badges and mode controls; the content by
// kind (or the Markdown mode, or the inline editor); a bar of smart actions; and a footer with the
// source application, the date, the character count and the editor button.
//
// The host makes a new pane for every newly previewed item, so the pane's own state (editing, the
// draft, the Markdown mode) starts afresh with each item.
class PreviewPane : public QWidget {
    Q_OBJECT
public:
    // Texts up to this length are classified at once; longer ones on a worker thread, their smart
    // actions, character count and editor offer arriving a moment later.
    static constexpr qsizetype kInlineAnalysisLimit = 8192;

    PreviewPane(ClipboardItemPtr item, std::function<void(const QString&)> onPasteText,
                std::function<void()> onRequestVeskInstall, PreviewServices services,
                QWidget* parent = nullptr);
    ~PreviewPane() override;

    const ClipboardItemPtr& item() const { return m_item; }
    // The corner radius of the host's card around the pane: the header and the footer keep to it.
    void setCornerRadius(qreal radius);
    // The item's stored fields changed: the pane shows them again, keeping its modes and the draft.
    // Changes the preview does not show (the pin) change nothing.
    void refresh();

    bool isEditing() const { return m_isEditing; }
    // The Markdown mode's choice: rendered Markdown (true) or the source.
    bool showsMarkdownPreview() const { return m_showMarkdownPreview; }
    void setShowMarkdownPreview(bool show);
    // Starts editing the item's text (does nothing when it is not editable).
    void beginEditing();
    void cancelEditing();
    // Pastes the draft through the hand-off.
    void pasteEdited();
    QString draft() const;

    // The text the content area shows, as shown (empty for pictures and colours).
    QString shownText() const;
    // The content area's widget (the editor while editing).
    QWidget* content() const { return m_content; }
    // Whether the smart-action bar is shown, and the titles of its buttons in order.
    bool hasSmartActionBar() const;
    QStringList smartActionTitles() const;

signals:
    // The editor closed (cancelled or pasted): the host may take the keyboard focus back.
    void editingFinished();
    // The smart actions, the character count and the editor offer of a long text have arrived.
    void analysisFinished();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What the pane works out from the item's text: safe on a worker thread.
    struct Analysis {
        QList<ContentClassifier::SmartAction> actions;
        qsizetype characters = 0;
        // Whether the editor is offered for the item (the "MD" badge and the editor button).
        bool offersEditor = false;
        // Whether the item's text has a Markdown source to render.
        bool markdown = false;
    };
    static Analysis analyse(const ClipboardItem& item, Platform::Workspace* workspace);

    void rebuild();
    // The Source / MD Preview switch is offered; false until the analysis of a long text is in.
    bool showsMarkdownToggle() const;
    void startAnalysis();
    void showAnalysis();
    QWidget* buildPlaceholder();
    QWidget* buildHeader();
    QWidget* buildContent();
    QWidget* buildRawContent();
    QWidget* buildLink();
    QWidget* buildColor();
    QWidget* buildSnippet();
    QWidget* buildEditor();
    QWidget* buildSmartActionBar();
    QWidget* buildFooter();
    void replaceContent();
    void handleVeskAction();
    void showAlert(const QString& message, const QString& detail);

    ClipboardItemPtr m_item;
    // The fields the pane was last built from.
    std::optional<ClipboardItemRecord> m_shownRecord;
    std::function<void(const QString&)> m_onPasteText;
    std::function<void()> m_onRequestVeskInstall;
    PreviewServices m_services;

    qreal m_cornerRadius = 0;
    bool m_isEditing = false;
    bool m_showMarkdownPreview = true;
    // The content shows the rendered Markdown.
    bool m_contentIsMarkdown = false;
    std::optional<Analysis> m_analysis;
    // Counts analyses, so that one started for older fields is dropped.
    quint64 m_analysisGeneration = 0;

    QVBoxLayout* m_layout = nullptr;
    QWidget* m_header = nullptr;
    QWidget* m_content = nullptr;
    QPlainTextEdit* m_editor = nullptr;
    QWidget* m_editorBox = nullptr;
    QWidget* m_bar = nullptr;
    QWidget* m_footer = nullptr;
    QLabel* m_characters = nullptr;
    // The header's badges with their tints, coloured again when the appearance changes.
    std::vector<std::pair<QPointer<QSBadge>, PreviewWidgets::Tint>> m_badges;
    PreviewWidgets::SegmentedSwitch* m_modeSwitch = nullptr;
    QPointer<QWidget> m_alert;
};

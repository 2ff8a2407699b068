#include "SnippetsSettingsTab.h"

#include <Platform/Scheduler.h>
#include <Storage/HistoryStore.h>
#include <UI/Design/Font.h>
#include <UI/Design/Motion.h>
#include <UI/Design/SymbolIcon.h>
#include <UI/Design/ThinScrollbarConfigurator.h>

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

using namespace std::chrono_literals;

namespace UI {

namespace {
constexpr qreal kPulseScale = 1.06;
constexpr auto kPulseDuration = 150ms;
constexpr auto kSavedDuration = 1600ms;
constexpr int kRowHeight = 44;
constexpr int kIdRole = Qt::UserRole;
constexpr int kPreviewRole = Qt::UserRole + 1;
// What a row without a title shows instead, in the interface language.
constexpr int kUntitledRole = Qt::UserRole + 2;

// Spaces and tabs only: a title of line breaks counts as written.
bool isBlankTitle(const QString& title) {
    for (const QChar c : title) {
        if (c != u' ' && c != u'\t')
            return false;
    }
    return true;
}

// A snippet row: its title (or a dimmed stand-in when it has none) over its first line of text.
class SnippetRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), kRowHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QS::Color::Scheme scheme =
            option.widget ? QS::Color::schemeOf(*option.widget) : QS::Color::schemeOf(option.palette);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF row = QRectF(option.rect).adjusted(4, 2, -4, -2);
        if (option.state & QStyle::State_Selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QS::Color::withOpacity(QS::Color::brand(), 0.18));
            painter->drawRoundedRect(row, 7, 7);
        } else if (option.state & QStyle::State_MouseOver) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QS::Color::rowHover(scheme));
            painter->drawRoundedRect(row, 7, 7);
        }
        const QRectF text = row.adjusted(10, 5, -10, -5);
        const QString title = index.data(Qt::DisplayRole).toString();
        const bool untitled = isBlankTitle(title);
        const QFont titleFont = QS::Font::system(13, QFont::Medium);
        painter->setFont(titleFont);
        painter->setPen(untitled ? QS::Color::tertiaryText(scheme) : QS::Color::label(scheme));
        const QString shownTitle = untitled ? index.data(kUntitledRole).toString() : title;
        const QFontMetrics titleMetrics(titleFont);
        painter->drawText(
            text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            titleMetrics.elidedText(shownTitle.simplified(), Qt::ElideRight, int(text.width())));
        const QFont previewFont = QS::Font::system(11);
        const QFontMetrics previewMetrics(previewFont);
        painter->setFont(previewFont);
        painter->setPen(QS::Color::secondaryText(scheme));
        painter->drawText(text, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine,
                          previewMetrics.elidedText(index.data(kPreviewRole).toString().simplified(),
                                                    Qt::ElideRight, int(text.width())));
        painter->restore();
    }
};

QToolButton* barButton(const QString& symbol, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIconSize(QSize(14, 14));
    button->setFixedSize(28, 24);
    button->setCursor(Qt::PointingHandCursor);
    button->setIcon(SymbolIcon::icon(symbol, QS::Color::label(QS::Color::schemeOf(*parent))));
    return button;
}

} // namespace

SnippetsSettingsTab::SnippetsSettingsTab(const SettingsServices& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_pulseAnimation(new QVariantAnimation(this)),
      m_flashAnimation(new QVariantAnimation(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 14, 20, 16);
    layout->setSpacing(16);
    QWidget* list = buildList();
    list->setMinimumWidth(180);
    list->setMaximumWidth(240);
    list->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    layout->addWidget(list, 0);
    layout->addWidget(buildEditor(), 1);

    connect(m_services.store, &HistoryStore::itemsChanged, this, &SnippetsSettingsTab::rebuildList);
    connect(m_services.store, &HistoryStore::itemChanged, this, &SnippetsSettingsTab::rebuildList);
    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* current) {
        if (m_loading)
            return;
        select(current ? std::optional(QUuid(current->data(kIdRole).toString())) : std::nullopt);
    });
    auto* saveShortcut = new QShortcut(QKeySequence::Save, this);
    connect(saveShortcut, &QShortcut::activated, this, [this] {
        // The shortcut does what the button does, and nothing while the button is disabled.
        if (m_save->isEnabled())
            save();
    });

    retranslate();
    // The page opens on the newest snippet.
    const QList<ClipboardItemPtr> snippets = m_services.store->snippets();
    if (!snippets.isEmpty())
        select(snippets.first()->id());
    refreshState();
}

QWidget* SnippetsSettingsTab::buildList() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* frame = new FormPanel(column);
    frame->rows()->setContentsMargins(0, 4, 0, 4);
    m_list = new QListWidget(frame);
    m_list->setObjectName(QStringLiteral("snippetList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setItemDelegate(new SnippetRowDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setMouseTracking(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->viewport()->setAutoFillBackground(false);
    ThinScrollbarConfigurator::apply(*m_list);
    m_list->setAutoFillBackground(false);
    frame->rows()->addWidget(m_list);

    m_listEmpty = new QWidget(frame);
    auto* empty = new QVBoxLayout(m_listEmpty);
    empty->addStretch(1);
    empty->addWidget(new SymbolLabel(QStringLiteral("note.text"), 28, Tone::Secondary, m_listEmpty, 0.7), 0,
                     Qt::AlignHCenter);
    m_listEmptyText = new TextLabel(Tone::Secondary, QS::Font::system(12), m_listEmpty);
    m_listEmptyText->setAlignment(Qt::AlignHCenter);
    empty->addSpacing(6);
    empty->addWidget(m_listEmptyText);
    empty->addStretch(1);
    frame->rows()->addWidget(m_listEmpty);
    layout->addWidget(frame, 1);

    auto* bar = new QWidget(column);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(2, 6, 2, 0);
    barLayout->setSpacing(2);
    m_add = barButton(QStringLiteral("plus"), bar);
    m_add->setObjectName(QStringLiteral("addSnippet"));
    connect(m_add, &QToolButton::clicked, this, &SnippetsSettingsTab::addSnippet);
    m_remove = barButton(QStringLiteral("minus"), bar);
    m_remove->setObjectName(QStringLiteral("deleteSnippet"));
    connect(m_remove, &QToolButton::clicked, this, &SnippetsSettingsTab::deleteSelected);
    barLayout->addWidget(m_add);
    barLayout->addWidget(m_remove);
    barLayout->addStretch(1);
    m_unsavedBadge = new TextLabel(Tone::Orange, QS::Font::system(10, QFont::Medium), bar);
    m_unsavedBadge->setObjectName(QStringLiteral("unsavedBadge"));
    barLayout->addWidget(m_unsavedBadge);
    layout->addWidget(bar);
    return column;
}

QWidget* SnippetsSettingsTab::buildEditor() {
    m_editorStack = new QStackedWidget(this);

    auto* empty = new QWidget(m_editorStack);
    empty->setObjectName(QStringLiteral("editorEmpty"));
    auto* emptyLayout = new QVBoxLayout(empty);
    emptyLayout->setContentsMargins(24, 0, 24, 0);
    emptyLayout->addStretch(1);
    emptyLayout->addWidget(new SymbolLabel(QStringLiteral("note.text"), 30, Tone::Secondary, empty, 0.7), 0,
                           Qt::AlignHCenter);
    emptyLayout->addSpacing(8);
    m_emptyTitle = new TextLabel(Tone::Primary, QS::Font::system(15, QFont::DemiBold), empty);
    m_emptyTitle->setAlignment(Qt::AlignHCenter);
    emptyLayout->addWidget(m_emptyTitle);
    m_emptyText = new TextLabel(Tone::Secondary, QS::Font::system(12), empty);
    m_emptyText->setAlignment(Qt::AlignHCenter);
    m_emptyText->setWordWrap(true);
    emptyLayout->addWidget(m_emptyText);
    emptyLayout->addStretch(1);
    m_editorStack->addWidget(empty);

    auto* editor = new QWidget(m_editorStack);
    editor->setObjectName(QStringLiteral("editor"));
    auto* layout = new QVBoxLayout(editor);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_titleCaption = new TextLabel(Tone::Secondary, QS::Font::system(11, QFont::Medium), editor);
    layout->addWidget(m_titleCaption);
    m_title = new QLineEdit(editor);
    m_title->setObjectName(QStringLiteral("snippetTitle"));
    m_title->setFont(bodyFont());
    styleTextInput(*m_title);
    layout->addWidget(m_title);
    layout->addSpacing(6);
    m_contentCaption = new TextLabel(Tone::Secondary, QS::Font::system(11, QFont::Medium), editor);
    layout->addWidget(m_contentCaption);
    m_content = new QPlainTextEdit(editor);
    m_content->setObjectName(QStringLiteral("snippetContent"));
    m_content->setFont(QS::Font::system(12));
    m_content->document()->setDocumentMargin(4);
    styleTextInput(*m_content);
    ThinScrollbarConfigurator::apply(*m_content);
    layout->addWidget(m_content, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 4, 0, 0);
    bottom->setSpacing(8);
    m_saved = new QWidget(editor);
    m_saved->setObjectName(QStringLiteral("savedConfirmation"));
    auto* savedLayout = new QHBoxLayout(m_saved);
    savedLayout->setContentsMargins(0, 0, 0, 0);
    savedLayout->setSpacing(5);
    savedLayout->addWidget(
        new SymbolLabel(QStringLiteral("checkmark.circle.fill"), 13, Tone::Brand, m_saved));
    m_savedText = new TextLabel(Tone::Brand, QS::Font::system(12, QFont::Medium), m_saved);
    savedLayout->addWidget(m_savedText);
    auto* savedOpacity = new QGraphicsOpacityEffect(m_saved);
    m_saved->setGraphicsEffect(savedOpacity);
    m_saved->hide();
    bottom->addWidget(m_saved);
    m_unsavedText = new TextLabel(Tone::Secondary, QS::Font::system(11), editor);
    m_unsavedText->setObjectName(QStringLiteral("unsavedChanges"));
    bottom->addWidget(m_unsavedText);
    bottom->addStretch(1);
    m_save = new ProminentButton(Tone::Brand, QStringLiteral("square.and.arrow.down"), editor);
    m_save->setObjectName(QStringLiteral("saveSnippet"));
    connect(m_save, &QPushButton::clicked, this, &SnippetsSettingsTab::save);
    bottom->addWidget(m_save);
    layout->addLayout(bottom);
    m_editorStack->addWidget(editor);

    // Under the editor (and its empty state, which a refused new snippet leaves on show).
    auto* column = new QWidget(this);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(6);
    columnLayout->addWidget(m_editorStack, 1);
    m_failure = new QWidget(column);
    m_failure->setObjectName(QStringLiteral("saveFailed"));
    auto* failureLayout = new QHBoxLayout(m_failure);
    failureLayout->setContentsMargins(0, 0, 0, 0);
    failureLayout->setSpacing(5);
    failureLayout->addWidget(
        new SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"), 13, Tone::Red, m_failure), 0,
        Qt::AlignTop);
    m_failureText = new TextLabel(Tone::Red, QS::Font::system(11), m_failure);
    m_failureText->setWordWrap(true);
    failureLayout->addWidget(m_failureText, 1);
    m_failure->hide();
    columnLayout->addWidget(m_failure);

    connect(m_title, &QLineEdit::textChanged, this, &SnippetsSettingsTab::refreshState);
    connect(m_content, &QPlainTextEdit::textChanged, this, &SnippetsSettingsTab::refreshState);
    connect(m_pulseAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_save->setScale(value.toReal()); });
    connect(m_flashAnimation, &QVariantAnimation::valueChanged, this, [savedOpacity](const QVariant& value) {
        savedOpacity->setOpacity(std::clamp(value.toReal(), 0.0, 1.0));
    });
    connect(m_flashAnimation, &QVariantAnimation::finished, this, [this] {
        if (!m_savedFlash)
            refreshState();
    });
    return column;
}

ClipboardItemPtr SnippetsSettingsTab::selectedSnippet() const {
    if (!m_selectedId)
        return nullptr;
    const ClipboardItemPtr item = m_services.store->item(*m_selectedId);
    return item && item->type() == ItemType::snippet ? item : nullptr;
}

bool SnippetsSettingsTab::isDirty() const {
    const ClipboardItemPtr snippet = selectedSnippet();
    return snippet && (m_title->text() != snippet->snippetTitle().value_or(QString()) ||
                       m_content->toPlainText() != snippet->plainText().value_or(QString()));
}

bool SnippetsSettingsTab::canSave() const {
    return isDirty() && !isBlankTitle(m_title->text());
}

void SnippetsSettingsTab::loadSelection() {
    const ClipboardItemPtr snippet = selectedSnippet();
    if (!snippet)
        return;
    m_loading = true;
    m_editedId = snippet->id();
    m_title->setText(snippet->snippetTitle().value_or(QString()));
    m_content->setPlainText(snippet->plainText().value_or(QString()));
    m_loading = false;
}

bool SnippetsSettingsTab::autoSaveIfNeeded() {
    if (!m_editedId)
        return true;
    const ClipboardItemPtr edited = m_services.store->item(*m_editedId);
    if (!edited || edited->type() != ItemType::snippet)
        return true;
    const QString title = m_title->text();
    const QString content = m_content->toPlainText();
    const bool changed = title != edited->snippetTitle().value_or(QString()) ||
                         content != edited->plainText().value_or(QString());
    if (!changed || isBlankTitle(title))
        return true;
    return storeEdits(edited, false);
}

bool SnippetsSettingsTab::storeEdits(const ClipboardItemPtr& snippet, bool confirm) {
    const QUuid id = snippet->id();
    const QString title = m_title->text();
    const QString content = m_content->toPlainText();
    m_saveFailed = false;
    // A write on the store's writer thread answers later, perhaps after this page has gone.
    QPointer<SnippetsSettingsTab> self(this);
    return m_services.store->updateSnippet(snippet, title, content, [=](bool saved) {
        if (!self)
            return;
        if (!saved)
            self->showSaveFailure(id, title, content);
        else if (confirm)
            self->confirmSaved();
    });
}

void SnippetsSettingsTab::showSaveFailure(const QUuid& id, const QString& title, const QString& content) {
    if (m_editedId != id) {
        // Refused after the editor moved on: back to that snippet, with the texts it did not get.
        const ClipboardItemPtr snippet = m_services.store->item(id);
        if (!snippet || snippet->type() != ItemType::snippet)
            return;
        select(id);
        if (m_editedId != id)
            return;
        m_title->setText(title);
        m_content->setPlainText(content);
    }
    m_saveFailed = true;
    setSavedFlash(false);
    rebuildList();
}

void SnippetsSettingsTab::select(const std::optional<QUuid>& id) {
    if (id == m_selectedId && (!id || m_editedId == id))
        return;
    // The snippet being left keeps what was typed into it; when that cannot be stored, the editor
    // stays on it so that nothing typed is lost.
    if (!autoSaveIfNeeded()) {
        rebuildList();
        return;
    }
    m_selectedId = id;
    loadSelection();
    m_saveFailed = false;
    setSavedFlash(false);
    rebuildList();
}

void SnippetsSettingsTab::addSnippet() {
    if (!autoSaveIfNeeded())
        return;
    const QString title = tr("New Snippet");
    QPointer<SnippetsSettingsTab> self(this);
    const ClipboardItemPtr snippet = m_services.store->addSnippet(title, QString(), [self](bool saved) {
        if (self && !saved) {
            self->m_saveFailed = true;
            self->refreshState();
        }
    });
    if (!snippet)
        return;
    m_selectedId = snippet->id();
    loadSelection();
    setSavedFlash(false);
    rebuildList();
    m_title->setFocus(Qt::OtherFocusReason);
    m_title->selectAll();
}

void SnippetsSettingsTab::deleteSelected() {
    const ClipboardItemPtr snippet = selectedSnippet();
    if (!snippet)
        return;
    m_services.store->deleteItem(snippet);
    m_selectedId.reset();
    m_editedId.reset();
    m_loading = true;
    m_title->clear();
    m_content->clear();
    m_loading = false;
    m_saveFailed = false;
    setSavedFlash(false);
    rebuildList();
}

void SnippetsSettingsTab::save() {
    const ClipboardItemPtr snippet = selectedSnippet();
    if (!snippet || isBlankTitle(m_title->text()))
        return;
    storeEdits(snippet, true);
    refreshState();
}

void SnippetsSettingsTab::confirmSaved() {
    setSavePulse(true);
    setSavedFlash(true);
    // Each save schedules its own resets; each simply turns its flag off.
    m_services.scheduler->schedule(kPulseDuration, this, [this] { setSavePulse(false); });
    m_services.scheduler->schedule(kSavedDuration, this, [this] { setSavedFlash(false); });
}

void SnippetsSettingsTab::setSavePulse(bool on) {
    m_savePulse = on;
    QS::Motion::runTo(*m_pulseAnimation, m_save->scale(), on ? kPulseScale : 1.0,
                      on ? QS::Motion::spring() : QS::Motion::fast());
}

void SnippetsSettingsTab::setSavedFlash(bool on) {
    const bool was = m_savedFlash;
    m_savedFlash = on;
    if (on) {
        m_saved->show();
        QS::Motion::runTo(*m_flashAnimation, was ? 1.0 : 0.0, 1.0, QS::Motion::spring());
    } else if (was) {
        QS::Motion::runTo(*m_flashAnimation, 1.0, 0.0, QS::Motion::soft());
    }
    refreshState();
}

void SnippetsSettingsTab::rebuildList() {
    const QList<ClipboardItemPtr> snippets = m_services.store->snippets();
    m_loading = true;
    // The same snippets in the same order keep their rows: this runs inside the list's own
    // selection handling too (a snippet left by a click is saved), where rows must not go away.
    bool sameRows = m_list->count() == snippets.size();
    for (int row = 0; sameRows && row < snippets.size(); ++row)
        sameRows = m_list->item(row)->data(kIdRole).toString() == snippets[row]->id().toString();
    if (!sameRows) {
        m_list->clear();
        for (qsizetype row = 0; row < snippets.size(); ++row)
            new QListWidgetItem(m_list);
    }
    for (int row = 0; row < snippets.size(); ++row) {
        QListWidgetItem* item = m_list->item(row);
        const ClipboardItemPtr& snippet = snippets[row];
        item->setText(snippet->snippetTitle().value_or(QString()));
        item->setData(kIdRole, snippet->id().toString());
        item->setData(kPreviewRole, snippet->previewTitle());
        item->setData(kUntitledRole, tr("Untitled"));
        if (m_selectedId == snippet->id() && m_list->currentItem() != item)
            m_list->setCurrentItem(item);
    }
    if (!selectedSnippet())
        m_list->setCurrentItem(nullptr);
    m_loading = false;
    const bool hasSnippets = !snippets.isEmpty();
    m_list->setVisible(hasSnippets);
    m_listEmpty->setVisible(!hasSnippets);
    refreshState();
}

void SnippetsSettingsTab::refreshState() {
    const bool selected = selectedSnippet() != nullptr;
    const bool dirty = isDirty();
    m_editorStack->setCurrentIndex(selected ? 1 : 0);
    m_remove->setEnabled(selected);
    m_unsavedBadge->setVisible(dirty);
    m_save->setEnabled(canSave());
    // The confirmation stays up until it has faded out; meanwhile it stands for the state.
    const bool confirming = m_savedFlash || m_flashAnimation->state() == QAbstractAnimation::Running;
    m_saved->setVisible(confirming);
    m_unsavedText->setVisible(!confirming && dirty);
    m_failure->setVisible(m_saveFailed);
    m_emptyTitle->setText(m_services.store->snippets().isEmpty() ? tr("No snippets yet")
                                                                 : tr("No snippet selected"));
}

void SnippetsSettingsTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    if (event->type() == QEvent::PaletteChange) {
        for (QToolButton* button : {m_add, m_remove})
            button->setIcon(
                SymbolIcon::icon(button == m_add ? QStringLiteral("plus") : QStringLiteral("minus"),
                                 QS::Color::label(QS::Color::schemeOf(*this))));
    }
    QWidget::changeEvent(event);
}

void SnippetsSettingsTab::retranslate() {
    m_listEmptyText->setText(tr("No snippets yet"));
    m_add->setToolTip(tr("New Snippet"));
    m_add->setAccessibleName(tr("New Snippet"));
    m_remove->setToolTip(tr("Delete Snippet"));
    m_remove->setAccessibleName(tr("Delete Snippet"));
    m_unsavedBadge->setText(tr("Unsaved"));
    m_emptyText->setText(tr("Create snippets for text you paste often — signatures, addresses, templates."));
    m_titleCaption->setText(tr("Title"));
    m_contentCaption->setText(tr("Content"));
    m_savedText->setText(tr("Saved"));
    m_unsavedText->setText(tr("You have unsaved changes"));
    m_failureText->setText(tr("Could not save: the history file cannot be written right now. "
                              "Your text is still here; try again in a moment."));
    m_save->setText(tr("Save"));
    m_save->updateGeometry();
    rebuildList();
}

} // namespace UI

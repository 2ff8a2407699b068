#include "PreviewPane.h"

#include "AsyncImagePreview.h"
#include "CodePreview.h"
#include "MarkdownContent.h"
#include "PreviewPresentation.h"
#include "PreviewWidgets.h"
#include "VeskPromoOverlay.h"

#include <Analysis/FutureDelivery.h>
#include <Analysis/TextLines.h>
#include <App/LanguageManager.h>
#include <Capture/VeskIntegration.h>
#include <Hotkeys/Shortcut.h>
#include <Platform/UserDefaults.h>
#include <Platform/Workspace.h>
#include <UI/Design/AppIconCache.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/QSBadge.h>
#include <UI/Design/SymbolIcon.h>
#include <UI/Design/ThinScrollbarConfigurator.h>
#include <UI/Design/Transition.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

using PreviewWidgets::Button;
using PreviewWidgets::Label;
using PreviewWidgets::PaintedBox;
using PreviewWidgets::Scheme;
using PreviewWidgets::Tint;
using SmartAction = ContentClassifier::SmartAction;

Tint labelTint() {
    return [](Scheme scheme) {
        return QS::Color::label(scheme);
    };
}
Tint secondaryTint() {
    return [](Scheme scheme) {
        return QS::Color::secondaryText(scheme);
    };
}
Tint tertiaryTint() {
    return [](Scheme scheme) {
        return QS::Color::tertiaryText(scheme);
    };
}
Tint systemTint(QS::Color::System hue) {
    return [hue](Scheme scheme) {
        return QS::Color::system(hue, scheme);
    };
}

// Each smart action in the colour of the tag it comes from, with its symbol.
std::pair<QString, Tint> actionLook(SmartAction::Kind kind) {
    using QS::Color::System;
    switch (kind) {
    case SmartAction::Kind::mail:
        return {QStringLiteral("envelope"), systemTint(System::Blue)};
    case SmartAction::Kind::call:
        return {QStringLiteral("phone"), systemTint(System::Green)};
    case SmartAction::Kind::openMaps:
        return {QStringLiteral("map"), systemTint(System::Red)};
    case SmartAction::Kind::copyHex:
        return {QStringLiteral("paintpalette"), systemTint(System::Pink)};
    case SmartAction::Kind::pastePrettyJSON:
        return {QStringLiteral("curlybraces"), systemTint(System::Orange)};
    }
    return {QStringLiteral("curlybraces"), PreviewWidgets::fixed(QS::Color::brand())};
}

// The header's and the bar's buttons: a tinted rounded shape.
Button* tintedButton(const QString& text, const QString& symbol, Tint tint, qreal fill, qreal stroke,
                     QWidget* parent) {
    auto* button = new Button(text, symbol, Button::Style::Tinted, parent);
    button->setTint(std::move(tint));
    button->setOpacities(fill, stroke);
    button->setTextFont(QS::Font::system(11, QFont::Bold));
    button->setSymbolSize(11);
    return button;
}

// The inline editor: Ctrl+Return pastes, Escape leaves it (before the panel sees the key).
class DraftEditor : public QPlainTextEdit {
public:
    DraftEditor(std::function<void()> submit, std::function<void()> cancel, QWidget* parent)
        : QPlainTextEdit(parent), m_submit(std::move(submit)), m_cancel(std::move(cancel)) {}

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride && handles(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        return QPlainTextEdit::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            m_cancel();
            return;
        }
        if (isSubmit(*event)) {
            m_submit();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

private:
    static bool isSubmit(const QKeyEvent& event) {
        return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
               event.modifiers().testFlag(Qt::ControlModifier);
    }
    static bool handles(const QKeyEvent& event) { return event.key() == Qt::Key_Escape || isSubmit(event); }

    std::function<void()> m_submit;
    std::function<void()> m_cancel;
};

// Two records show alike when they differ in the pin alone.
bool sameShownFields(ClipboardItemRecord a, ClipboardItemRecord b) {
    a.isPinned = b.isPinned;
    return a == b;
}

// The interface language's locale; English where no language is set up and the process runs in C.
QLocale interfaceLocale() {
    if (const App::LanguageManager* language = App::LanguageManager::shared())
        return language->locale();
    return QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
}

// A column that scrolls vertically around `content`.
QScrollArea* verticalScroller(QWidget* content, QWidget* parent) {
    auto* scroller = new QScrollArea(parent);
    scroller->setWidgetResizable(true);
    PreviewWidgets::makeTransparent(*scroller);
    ThinScrollbarConfigurator::apply(*scroller);
    scroller->setWidget(content);
    content->setAutoFillBackground(false);
    return scroller;
}

} // namespace

PreviewPane::PreviewPane(ClipboardItemPtr item, std::function<void(const QString&)> onPasteText,
                         std::function<void()> onRequestVeskInstall, PreviewServices services,
                         QWidget* parent)
    : QWidget(parent), m_item(std::move(item)), m_onPasteText(std::move(onPasteText)),
      m_onRequestVeskInstall(std::move(onRequestVeskInstall)), m_services(std::move(services)) {
    setObjectName(QStringLiteral("previewPane"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    if (m_item)
        m_shownRecord = m_item->record();
    startAnalysis();
    rebuild();
}

PreviewPane::~PreviewPane() = default;

PreviewPane::Analysis PreviewPane::analyse(const ClipboardItem& item, Platform::Workspace* workspace) {
    const QString text = item.plainText().value_or(QString());
    QList<ContentClassifier::ContentTag> tags = ContentClassifier::parseTags(item.contentTagsRaw());
    if (tags.isEmpty())
        tags = ContentClassifier::tags(text);
    // Deciding the offer reads the item and the file system only, never the workspace itself.
    const bool offersEditor = workspace && VeskIntegration(*workspace).shouldOfferOpen(item);
    return {ContentClassifier::actions(text, tags), TextLines::characterCount(text), offersEditor,
            PreviewPresentation::markdownSource(item).has_value()};
}

bool PreviewPane::showsMarkdownToggle() const {
    return m_analysis && PreviewPresentation::canShowMarkdownToggle(*m_item, m_isEditing, m_analysis->markdown);
}

void PreviewPane::startAnalysis() {
    if (!m_item)
        return;
    const quint64 generation = ++m_analysisGeneration;
    const qsizetype length = std::max(m_item->plainText().value_or(QString()).size(),
                                      m_item->ocrText().value_or(QString()).size());
    if (length <= kInlineAnalysisLimit) {
        m_analysis = analyse(*m_item, m_services.workspace);
        return;
    }
    // Classifying a long text (parsing JSON, counting characters, copying it to trim it) would
    // stall the GUI thread. The worker reads a copy of the fields, which the store may change.
    QFuture<Analysis> future =
        QtConcurrent::run([snapshot = ClipboardItem::restore(m_item->record()),
                           workspace = m_services.workspace] { return analyse(*snapshot, workspace); });
    deliverOnContextThread(future, this, [this, generation](const Analysis& analysis) {
        if (generation != m_analysisGeneration)
            return;
        m_analysis = analysis;
        showAnalysis();
        emit analysisFinished();
    });
}

void PreviewPane::setCornerRadius(qreal radius) {
    m_cornerRadius = radius;
    update();
    for (QWidget* child : findChildren<QWidget*>())
        child->update();
}

void PreviewPane::refresh() {
    if (!m_item || (m_shownRecord && sameShownFields(*m_shownRecord, m_item->record())))
        return;
    m_shownRecord = m_item->record();
    m_analysis.reset();
    startAnalysis();
    rebuild();
}

void PreviewPane::rebuild() {
    // Everything but the editor, which keeps the draft, is made again.
    while (QLayoutItem* entry = m_layout->takeAt(0)) {
        if (QWidget* widget = entry->widget(); widget && widget != m_editorBox) {
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete entry;
    }
    m_header = nullptr;
    m_content = nullptr;
    m_bar = nullptr;
    m_footer = nullptr;
    m_characters = nullptr;
    m_modeSwitch = nullptr;
    m_badges.clear();
    if (!m_item) {
        m_layout->addWidget(buildPlaceholder());
        return;
    }
    m_header = buildHeader();
    m_layout->addWidget(m_header);
    if (m_isEditing) {
        m_content = m_editorBox;
        m_layout->addWidget(m_editorBox, 1);
    } else {
        m_content = buildContent();
        m_layout->addWidget(m_content, 1);
    }
    if ((m_bar = buildSmartActionBar()))
        m_layout->addWidget(m_bar);
    m_footer = buildFooter();
    m_layout->addWidget(m_footer);
    if (m_alert)
        m_alert->raise();
}

void PreviewPane::showAnalysis() {
    // The header, the bar and the footer show the analysis; the content stays as it is.
    for (QWidget** part : {&m_header, &m_bar, &m_footer}) {
        if (QWidget* old = std::exchange(*part, nullptr)) {
            old->hide();
            old->setParent(nullptr);
            old->deleteLater();
        }
    }
    m_characters = nullptr;
    m_modeSwitch = nullptr;
    m_badges.clear();
    m_header = buildHeader();
    m_layout->insertWidget(0, m_header);
    if ((m_bar = buildSmartActionBar()))
        m_layout->insertWidget(m_layout->indexOf(m_content) + 1, m_bar);
    m_footer = buildFooter();
    m_layout->addWidget(m_footer);
    // A long text found to be Markdown is rendered once that is known.
    if (!m_isEditing && m_content && m_contentIsMarkdown != (m_showMarkdownPreview && showsMarkdownToggle()))
        replaceContent();
}

void PreviewPane::replaceContent() {
    QWidget* fresh = buildContent();
    const int index = m_layout->indexOf(m_content);
    QWidget* old = m_content;
    m_layout->insertWidget(index, fresh, 1);
    m_content = fresh;
    old->hide();
    old->setParent(nullptr);
    old->deleteLater();
}

QWidget* PreviewPane::buildPlaceholder() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("previewPlaceholder"));
    auto* column = new QVBoxLayout(box);
    column->setSpacing(14);
    column->addStretch();
    auto* circle = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            const QPointF centre = QRectF(widget.rect()).center();
            QRadialGradient glow(centre, 36, centre);
            glow.setColorAt(2.0 / 36, QS::Color::withOpacity(QS::Color::brand(), 0.22));
            glow.setColorAt(1, QS::Color::withOpacity(QS::Color::brand(), 0.04));
            painter.setPen(Qt::NoPen);
            painter.setBrush(glow);
            painter.drawEllipse(QRectF(widget.rect()));
        },
        box);
    circle->setFixedSize(64, 64);
    auto* circleLayout = new QVBoxLayout(circle);
    circleLayout->setContentsMargins(0, 0, 0, 0);
    circleLayout->addWidget(new PreviewWidgets::Symbol(QStringLiteral("doc.on.clipboard"), 28,
                                                       PreviewWidgets::fixed(QS::Color::brand()), circle),
                            0, Qt::AlignCenter);
    column->addWidget(circle, 0, Qt::AlignHCenter);
    auto* title = new Label(tr("No selection"), QS::Font::system(14, QFont::Bold), labelTint(), box);
    column->addWidget(title, 0, Qt::AlignHCenter);
    auto* hint = new Label(tr("Select an item to preview it"), QS::Font::system(12, QFont::Medium),
                           secondaryTint(), box);
    column->addWidget(hint, 0, Qt::AlignHCenter);
    column->addStretch();
    return box;
}

QWidget* PreviewPane::buildHeader() {
    const ClipboardItem& item = *m_item;
    const ItemType type = item.type();
    auto* header = new PaintedBox(
        [this](QPainter& painter, const QWidget& widget) {
            const Scheme scheme = QS::Color::schemeOf(widget);
            QLinearGradient wash(QPointF(0, 0), QPointF(widget.width(), widget.height()));
            wash.setColorAt(0, QS::Color::withOpacity(QS::Color::brand(), 0.08));
            wash.setColorAt(1, QS::Color::withOpacity(QS::Color::label(scheme), 0.03));
            // Inside the host's outline.
            painter.fillPath(PreviewWidgets::roundedEnds(QRectF(widget.rect()).adjusted(0.5, 0.5, -0.5, 0),
                                                         m_cornerRadius - 0.5, Qt::TopEdge),
                             wash);
        },
        this);
    header->setObjectName(QStringLiteral("previewHeader"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(8);

    const QString symbol = item.systemImageName();
    auto* tile = new PaintedBox(
        [type, symbol](QPainter& painter, const QWidget& widget) {
            const QColor tint = PreviewPresentation::kindTint(type, QS::Color::schemeOf(widget));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QS::Color::withOpacity(tint, 0.16));
            painter.drawRoundedRect(QRectF(widget.rect()), 7, 7);
            painter.drawPixmap(QPointF(6.5, 6.5),
                               SymbolIcon::pixmap(symbol, 13, tint, widget.devicePixelRatioF()));
        },
        header);
    tile->setFixedSize(26, 26);
    row->addWidget(tile);
    auto* kind = new Label(PreviewPresentation::typeLabel(type), QS::Font::system(12, QFont::Bold),
                           labelTint(), header);
    kind->setObjectName(QStringLiteral("typeLabel"));
    row->addWidget(kind);

    // Badges follow the appearance: their colours are read again on every palette change.
    auto addBadge = [&](const QString& text, Tint tint) {
        auto* badge = new QSBadge(text, tint(QS::Color::schemeOf(*this)), header);
        m_badges.emplace_back(badge, std::move(tint));
        row->addWidget(badge);
    };
    if (type == ItemType::code && item.detectedLanguage())
        addBadge(item.detectedLanguage()->toUpper(), PreviewWidgets::fixed(QS::Color::badgeCode()));
    for (const ContentClassifier::ContentTag tag : PreviewPresentation::headerTags(item))
        addBadge(PreviewPresentation::tagBadge(tag, Scheme::Light).text,
                 [tag](Scheme scheme) { return PreviewPresentation::tagBadge(tag, scheme).color; });
    const bool toggle = showsMarkdownToggle();
    const bool offersEditor = m_analysis && m_analysis->offersEditor;
    if (toggle || offersEditor)
        addBadge(QStringLiteral("MD"), PreviewWidgets::fixed(QS::Color::brand()));
    if (item.ocrText())
        addBadge(QStringLiteral("OCR"), systemTint(QS::Color::System::Indigo));
    row->addStretch(1);

    if (toggle) {
        m_modeSwitch = new PreviewWidgets::SegmentedSwitch(tr("Source"), tr("MD Preview"), header);
        m_modeSwitch->setObjectName(QStringLiteral("markdownMode"));
        m_modeSwitch->setToolTip(tr("Show formatted Markdown"));
        m_modeSwitch->setCurrent(m_showMarkdownPreview ? 1 : 0);
        connect(m_modeSwitch, &PreviewWidgets::SegmentedSwitch::currentChanged, this,
                [this](int index) { setShowMarkdownPreview(index == 1); });
        row->addWidget(m_modeSwitch);
    }
    if (PreviewPresentation::isEditable(&item) && !m_isEditing) {
        auto* edit = tintedButton(tr("Edit"), QStringLiteral("pencil"),
                                  PreviewWidgets::fixed(QS::Color::brand()), 0.16, 0.3, header);
        edit->setObjectName(QStringLiteral("editButton"));
        edit->setPadding(10, 5);
        connect(edit, &QAbstractButton::clicked, this, &PreviewPane::beginEditing);
        row->addWidget(edit);
    }
    return header;
}

QWidget* PreviewPane::buildContent() {
    m_contentIsMarkdown = m_showMarkdownPreview && showsMarkdownToggle();
    if (m_contentIsMarkdown) {
        QWidget* markdown =
            makeMarkdownContent(*PreviewPresentation::markdownCandidate(*m_item),
                                PreviewPresentation::previewFontSize(m_services.defaults), m_services.defaults, this);
        markdown->setObjectName(QStringLiteral("markdownContent"));
        return markdown;
    }
    return buildRawContent();
}

QWidget* PreviewPane::buildRawContent() {
    const ClipboardItem& item = *m_item;
    const QString text = item.plainText().value_or(QString());
    switch (item.type()) {
    case ItemType::code:
        return new CodePreview(text, item.detectedLanguage(), m_services.defaults, this);
    case ItemType::image:
        if (item.imageFilename())
            return new AsyncImagePreview(*item.imageFilename(), item.ocrText(), m_services.images, this);
        return new QWidget(this);
    case ItemType::url:
        return buildLink();
    case ItemType::color:
        return buildColor();
    case ItemType::snippet:
        return buildSnippet();
    case ItemType::text:
    case ItemType::richText:
    case ItemType::file:
        break;
    }
    QWidget* view = PreviewWidgets::textContent(text, QS::Font::system(13, QFont::Medium), 14, this);
    view->setObjectName(QStringLiteral("textContent"));
    return view;
}

QWidget* PreviewPane::buildLink() {
    const QString text = m_item->plainText().value_or(QString());
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(14);
    auto* link =
        new PreviewWidgets::WrappedText(PreviewPresentation::capped(text, PreviewWidgets::kTextLimit),
                                        QS::Font::system(13, QFont::Medium), labelTint(), column);
    link->setObjectName(QStringLiteral("contentText"));
    layout->addWidget(link);
    auto* open = new Button(tr("Open Link"), QStringLiteral("safari"), Button::Style::Prominent, column);
    open->setObjectName(QStringLiteral("openLink"));
    open->setTextFont(QS::Font::system(12, QFont::Bold));
    open->setPadding(12, 9);
    const std::optional<QUrl> url = PreviewPresentation::openableLink(text);
    open->setEnabled(url.has_value() && m_services.workspace);
    if (!url)
        open->setToolTip(tr("Only web and e-mail links can be opened"));
    connect(open, &QAbstractButton::clicked, this, [this, url] {
        if (url && m_services.workspace)
            m_services.workspace->openUrl(*url);
    });
    layout->addWidget(open, 0, Qt::AlignLeft);
    layout->addStretch(1);
    QScrollArea* scroller = verticalScroller(column, this);
    scroller->setObjectName(QStringLiteral("linkContent"));
    return scroller;
}

QWidget* PreviewPane::buildColor() {
    const QString text = m_item->plainText().value_or(QString());
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("colorContent"));
    const std::optional<QColor> color = ContentClassifier::colorFromHex(text);
    if (!color)
        return box;
    auto* column = new QVBoxLayout(box);
    column->setSpacing(16 - 32);
    column->addStretch();
    // The swatch leaves room for its shadow: 24 at the sides and top, 32 below.
    auto* swatch = new PaintedBox(
        [colour = *color](QPainter& painter, const QWidget& widget) {
            const QRectF shape(24, 24, 128, 128);
            PreviewWidgets::paintShadow(painter, shape, 20, 20, QPointF(0, 8),
                                        QS::Color::withOpacity(colour, 0.45));
            painter.setBrush(colour);
            painter.setPen(Qt::NoPen);
            painter.drawRoundedRect(shape, 20, 20);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(
                QPen(QS::Color::withOpacity(QS::Color::label(QS::Color::schemeOf(widget)), 0.1), 1));
            painter.drawRoundedRect(shape.adjusted(0.5, 0.5, -0.5, -0.5), 19.5, 19.5);
        },
        box);
    swatch->setObjectName(QStringLiteral("colorSwatch"));
    swatch->setFixedSize(128 + 48, 128 + 56);
    column->addWidget(swatch, 0, Qt::AlignHCenter);
    auto* hex = new Label(ContentClassifier::normalizedHex(text).value_or(text),
                          QS::Font::system(18, QFont::Bold, QS::Font::Design::Monospaced), labelTint(), box);
    hex->setObjectName(QStringLiteral("contentText"));
    hex->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hex->setAlignment(Qt::AlignHCenter);
    column->addWidget(hex, 0, Qt::AlignHCenter);
    column->addStretch();
    return box;
}

QWidget* PreviewPane::buildSnippet() {
    auto* view = new PreviewWidgets::TextView(QS::Font::system(13, QFont::Medium), labelTint(), 14, this);
    view->setObjectName(QStringLiteral("snippetContent"));
    QTextCursor cursor(view->document());
    if (const std::optional<QString>& title = m_item->snippetTitle()) {
        QTextCharFormat heading;
        heading.setFont(QS::Font::system(15, QFont::Bold));
        cursor.insertText(*title, heading);
        QTextBlockFormat spaced;
        spaced.setTopMargin(8);
        cursor.insertBlock(spaced, QTextCharFormat());
    }
    cursor.insertText(PreviewWidgets::shownText(m_item->plainText().value_or(QString())), QTextCharFormat());
    view->moveCursor(QTextCursor::Start);
    return view;
}

QWidget* PreviewPane::buildEditor() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("editor"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    auto* frame = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            const Scheme scheme = QS::Color::schemeOf(widget);
            painter.setBrush(QS::Color::cardFill(scheme));
            painter.setPen(QPen(QS::Color::cardStroke(scheme), 1));
            painter.drawRoundedRect(QRectF(widget.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        },
        box);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    auto* editor = new DraftEditor([this] { pasteEdited(); }, [this] { cancelEditing(); }, frame);
    editor->setObjectName(QStringLiteral("draft"));
    editor->setFont(QS::Font::system(12, QFont::Normal, QS::Font::Design::Monospaced));
    PreviewWidgets::makeTransparent(*editor);
    ThinScrollbarConfigurator::apply(*editor);
    editor->document()->setDocumentMargin(8);
    editor->setPlainText(m_item->plainText().value_or(QString()));
    frameLayout->addWidget(editor);
    column->addWidget(frame, 1);
    m_editor = editor;

    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addStretch();
    auto* cancel = new Button(tr("Cancel"), {}, Button::Style::Bordered, box);
    cancel->setObjectName(QStringLiteral("cancelEditing"));
    cancel->setPadding(12, 5);
    cancel->setTextFont(QS::Font::system(12, QFont::Medium));
    connect(cancel, &QAbstractButton::clicked, this, &PreviewPane::cancelEditing);
    row->addWidget(cancel);
    auto* paste = new Button(tr("Paste Edited"), {}, Button::Style::Prominent, box);
    paste->setObjectName(QStringLiteral("pasteEdited"));
    paste->setPadding(12, 5);
    paste->setTextFont(QS::Font::system(12, QFont::Bold));
    paste->setToolTip(
        KeyNotation::text(Hotkeys::Shortcut(Hotkeys::Key::return_, Hotkeys::ModifierFlag::Control)));
    connect(paste, &QAbstractButton::clicked, this, &PreviewPane::pasteEdited);
    row->addWidget(paste);
    column->addLayout(row);
    return box;
}

QWidget* PreviewPane::buildSmartActionBar() {
    const std::optional<QString>& ocr = m_item->ocrText();
    const QList<SmartAction> actions = m_analysis ? m_analysis->actions : QList<SmartAction>();
    if (actions.isEmpty() && !ocr)
        return nullptr;
    auto* bar = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            painter.fillRect(widget.rect(),
                             QS::Color::withOpacity(QS::Color::label(QS::Color::schemeOf(widget)), 0.03));
        },
        this);
    bar->setObjectName(QStringLiteral("smartActions"));
    auto* barLayout = new QVBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    auto* strip = new QWidget;
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(8);
    auto perform = [this](const SmartAction& action) {
        ContentClassifier::Replies replies;
        replies.context = this;
        replies.pasteText = m_onPasteText;
        replies.failed = m_services.reportFailure;
        if (m_services.performSmartAction)
            m_services.performSmartAction(action, replies);
        else
            ContentClassifier::perform(action, replies);
    };
    for (const SmartAction& action : actions) {
        auto [symbol, tint] = actionLook(action.kind);
        auto* button = tintedButton(action.title(), symbol, std::move(tint), 0.16, 0.28, strip);
        button->setPadding(12, 7);
        connect(button, &QAbstractButton::clicked, this, [perform, action] { perform(action); });
        row->addWidget(button);
    }
    if (ocr) {
        auto* button = tintedButton(tr("Paste OCR Text"), QStringLiteral("text.viewfinder"),
                                    systemTint(QS::Color::System::Indigo), 0.18, 0.35, strip);
        button->setObjectName(QStringLiteral("pasteOCRText"));
        button->setPadding(12, 7);
        connect(button, &QAbstractButton::clicked, this, [this, text = *ocr] {
            if (m_onPasteText)
                m_onPasteText(text);
        });
        row->addWidget(button);
    }
    row->addStretch();
    auto* scroller = new QScrollArea(bar);
    scroller->setWidgetResizable(true);
    PreviewWidgets::makeTransparent(*scroller);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setWidget(strip);
    strip->setAutoFillBackground(false);
    scroller->setFixedHeight(strip->sizeHint().height());
    barLayout->addWidget(scroller);
    return bar;
}

QWidget* PreviewPane::buildFooter() {
    const ClipboardItem& item = *m_item;
    auto* footer = new PaintedBox(
        [this](QPainter& painter, const QWidget& widget) {
            painter.fillPath(PreviewWidgets::roundedEnds(QRectF(widget.rect()).adjusted(0.5, 0, -0.5, -0.5),
                                                         m_cornerRadius - 0.5, Qt::BottomEdge),
                             QS::Color::withOpacity(QS::Color::label(QS::Color::schemeOf(widget)), 0.04));
        },
        this);
    footer->setObjectName(QStringLiteral("previewFooter"));
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(12, 7, 12, 7);
    row->setSpacing(8);

    const QString bundleID = item.sourceAppBundleID().value_or(QString());
    if (!bundleID.isEmpty()) {
        const QIcon icon = m_services.appIcon ? m_services.appIcon(bundleID) : AppIconCache::icon(bundleID);
        if (!icon.isNull()) {
            const QPixmap picture = icon.pixmap(QSize(15, 15), devicePixelRatioF());
            auto* badge = new PaintedBox(
                [picture](QPainter& painter, const QWidget& widget) {
                    QPainterPath clip;
                    clip.addRoundedRect(QRectF(widget.rect()), 3.5, 3.5);
                    painter.setClipPath(clip);
                    painter.setRenderHint(QPainter::SmoothPixmapTransform);
                    painter.drawPixmap(widget.rect(), picture);
                },
                footer);
            badge->setObjectName(QStringLiteral("sourceAppIcon"));
            badge->setFixedSize(15, 15);
            row->addWidget(badge);
        }
    }
    // The name from the application's desktop file; the name stored with the item when there is
    // no such file.
    QString name = item.sourceAppName().value_or(QString());
    if (!bundleID.isEmpty()) {
        const QString fromDesktopFile = AppIconCache::displayName(bundleID);
        if (fromDesktopFile != bundleID || name.isEmpty())
            name = fromDesktopFile;
    }
    if (!name.isEmpty()) {
        auto* app = new Label(name, QS::Font::system(11, QFont::DemiBold), labelTint(), footer);
        app->setObjectName(QStringLiteral("sourceAppName"));
        row->addWidget(app);
    }
    auto* date = new Label(PreviewPresentation::footerDate(item.createdAt(), interfaceLocale()),
                           QS::Font::system(10, QFont::Medium), tertiaryTint(), footer);
    date->setObjectName(QStringLiteral("createdAt"));
    row->addWidget(date);
    if (item.plainText() && item.type() != ItemType::file && m_analysis) {
        m_characters = new Label(tr("Characters: %1").arg(m_analysis->characters),
                                 QS::Font::system(10, QFont::Medium), secondaryTint(), footer);
        m_characters->setObjectName(QStringLiteral("characterCount"));
        row->addWidget(m_characters);
    }
    row->addStretch(1);

    if (m_services.workspace && m_analysis && m_analysis->offersEditor) {
        VeskIntegration vesk(*m_services.workspace);
        const bool installed = vesk.applicationPath().has_value();
        QPixmap icon = installed ? vesk.icon(12).pixmap(QSize(12, 12), devicePixelRatioF()) : QPixmap();
        if (icon.isNull())
            icon = VeskLook::mark(12, devicePixelRatioF());
        auto* button = tintedButton(installed ? tr("Open in vesk") : tr("Get vesk"), {},
                                    systemTint(QS::Color::System::Orange), 0.16, 0.35, footer);
        button->setObjectName(QStringLiteral("veskButton"));
        button->setTextFont(QS::Font::system(10, QFont::Bold));
        button->setPadding(9, 4);
        button->setPicture(icon, 12, 2.5);
        button->setToolTip(installed ? tr("Open this Markdown in vesk")
                                     : tr("vesk is not installed — open download page"));
        connect(button, &QAbstractButton::clicked, this, &PreviewPane::handleVeskAction);
        row->addWidget(button);
    }
    return footer;
}

void PreviewPane::handleVeskAction() {
    if (!m_services.workspace || !m_item)
        return;
    VeskIntegration vesk(*m_services.workspace);
    if (!vesk.applicationPath()) {
        if (m_onRequestVeskInstall)
            m_onRequestVeskInstall();
        return;
    }
    if (const std::optional<VeskIntegration::OpenFailure> failure = vesk.open(*m_item))
        showAlert(tr("Could not open in vesk"), failure->description);
}

void PreviewPane::showAlert(const QString& message, const QString& detail) {
    delete m_alert;
    auto* alert = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            painter.fillRect(widget.rect(), QColor(0, 0, 0, 64));
            const QWidget* card = widget.findChild<QWidget*>(QStringLiteral("alertCard"));
            if (!card)
                return;
            const Scheme scheme = QS::Color::schemeOf(widget);
            const QRectF shape = QRectF(card->geometry());
            PreviewWidgets::paintShadow(painter, shape, 12, 18, QPointF(0, 6), QColor(0, 0, 0, 70));
            painter.setBrush(widget.palette().color(QPalette::Window));
            painter.setPen(QPen(QS::Color::cardStroke(scheme), 1));
            painter.drawRoundedRect(shape.adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
        },
        this);
    alert->setObjectName(QStringLiteral("alert"));
    auto* centre = new QVBoxLayout(alert);
    auto* card = new QWidget(alert);
    card->setObjectName(QStringLiteral("alertCard"));
    card->setFixedWidth(280);
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(18, 16, 18, 14);
    column->setSpacing(6);
    auto* title = new Label(message, QS::Font::system(13, QFont::Bold), labelTint(), card);
    title->setWordWrap(true);
    column->addWidget(title);
    auto* text = new Label(detail, QS::Font::system(12, QFont::Normal), secondaryTint(), card);
    text->setObjectName(QStringLiteral("alertDetail"));
    text->setWordWrap(true);
    column->addWidget(text);
    column->addSpacing(8);
    auto* ok = new Button(tr("OK"), {}, Button::Style::Prominent, card);
    ok->setObjectName(QStringLiteral("alertOK"));
    ok->setPadding(18, 5);
    ok->setTextFont(QS::Font::system(12, QFont::Bold));
    connect(ok, &QAbstractButton::clicked, alert, &QObject::deleteLater);
    column->addWidget(ok, 0, Qt::AlignRight);
    centre->addWidget(card, 0, Qt::AlignCenter);
    alert->setGeometry(rect());
    alert->show();
    alert->raise();
    m_alert = alert;
}

void PreviewPane::setShowMarkdownPreview(bool show) {
    if (show == m_showMarkdownPreview)
        return;
    m_showMarkdownPreview = show;
    if (m_modeSwitch)
        m_modeSwitch->setCurrent(show ? 1 : 0);
    if (m_item && !m_isEditing)
        replaceContent();
}

void PreviewPane::beginEditing() {
    if (m_isEditing || !PreviewPresentation::isEditable(m_item.get()))
        return;
    m_isEditing = true;
    m_editorBox = buildEditor();
    rebuild();
    QS::Transition::fadeIn(*m_editorBox, QS::Motion::soft());
    m_editor->setFocus(Qt::OtherFocusReason);
}

void PreviewPane::cancelEditing() {
    if (!m_isEditing)
        return;
    m_isEditing = false;
    QWidget* editor = std::exchange(m_editorBox, nullptr);
    m_editor = nullptr;
    rebuild();
    if (m_content)
        QS::Transition::fadeIn(*m_content, QS::Motion::soft());
    editor->hide();
    editor->setParent(nullptr);
    editor->deleteLater();
    emit editingFinished();
}

void PreviewPane::pasteEdited() {
    if (m_isEditing && m_onPasteText)
        m_onPasteText(draft());
}

QString PreviewPane::draft() const {
    return m_editor ? m_editor->toPlainText() : QString();
}

QString PreviewPane::shownText() const {
    if (!m_content)
        return {};
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(m_content))
        return text->toPlainText();
    if (const auto* view = m_content->findChild<QTextEdit*>(QStringLiteral("contentText")))
        return view->toPlainText();
    if (const auto* label = m_content->findChild<QLabel*>(QStringLiteral("contentText")))
        return label->text();
    if (const auto* label = m_content->findChild<QLabel*>(QStringLiteral("recognizedTextBody")))
        return label->text();
    return {};
}

bool PreviewPane::hasSmartActionBar() const {
    return m_bar != nullptr;
}

QStringList PreviewPane::smartActionTitles() const {
    QStringList titles;
    if (m_bar) {
        for (const QAbstractButton* button : m_bar->findChildren<QAbstractButton*>())
            titles << button->text();
    }
    return titles;
}

void PreviewPane::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        rebuild();
        // The editor is kept with its draft; only its buttons speak.
        if (m_editorBox) {
            m_editorBox->findChild<QAbstractButton*>(QStringLiteral("cancelEditing"))->setText(tr("Cancel"));
            m_editorBox->findChild<QAbstractButton*>(QStringLiteral("pasteEdited"))
                ->setText(tr("Paste Edited"));
        }
    } else if (event->type() == QEvent::PaletteChange) {
        const Scheme scheme = QS::Color::schemeOf(*this);
        for (const auto& [badge, tint] : m_badges) {
            if (badge)
                badge->setColor(tint(scheme));
        }
    }
}

void PreviewPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_alert)
        m_alert->setGeometry(rect());
}

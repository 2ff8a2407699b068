#include "QuickLookView.h"

#include "AsyncImagePreview.h"
#include "BoundedImage.h"
#include "CodePreview.h"
#include "PreviewPresentation.h"
#include "PreviewWidgets.h"

#include <Hotkeys/Shortcut.h>
#include <Storage/ImageStore.h>
#include <UI/Design/Color.h>
#include <UI/Design/Font.h>
#include <UI/Design/KeyNotation.h>
#include <UI/Design/VisualEffectBackground.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

using PreviewWidgets::Label;
using PreviewWidgets::PaintedBox;
using PreviewWidgets::Scheme;

constexpr qreal kCardRadius = 16;
constexpr int kImagePadding = 16;

QColor indigo(Scheme scheme) {
    return QS::Color::system(QS::Color::System::Indigo, scheme);
}

// The card: the panel's own material over the window colour, so nothing of the dimmed panel
// shows through it, outlined on its inside edge.
class Card : public PanelBackground {
public:
    explicit Card(QWidget* parent) : PanelBackground(parent) { setCornerRadius(kCardRadius); }

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter base(this);
            base.setRenderHint(QPainter::Antialiasing);
            QPainterPath shape;
            shape.addRoundedRect(QRectF(rect()), kCardRadius, kCardRadius);
            base.fillPath(shape, palette().color(QPalette::Window));
        }
        PanelBackground::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QS::Color::cardStroke(QS::Color::schemeOf(*this)), 1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius - 0.5,
                                kCardRadius - 0.5);
    }
};

QWidget* divider(QWidget* parent) {
    auto* line = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            painter.fillRect(widget.rect(),
                             QS::Color::withOpacity(QS::Color::label(QS::Color::schemeOf(widget)), 0.1));
        },
        parent);
    line->setFixedHeight(1);
    return line;
}

} // namespace

QuickLookView::QuickLookView(ClipboardItemPtr item, std::function<void()> onClose,
                             std::function<void(const QString&)> onPasteText, PreviewServices services,
                             QWidget* parent)
    : QWidget(parent), m_item(std::move(item)), m_shownRecord(m_item->record()),
      m_onClose(std::move(onClose)), m_onPasteText(std::move(onPasteText)), m_services(std::move(services)) {
    setObjectName(QStringLiteral("quickLook"));
    m_card = new Card(this);
    m_card->setObjectName(QStringLiteral("quickLookCard"));
    // Presses inside the card stay there; only the backdrop closes.
    m_card->setAttribute(Qt::WA_NoMousePropagation);
    m_card->setFixedSize(kCardWidth, kCardHeight);
    auto* column = new QVBoxLayout(m_card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    build();
}

void QuickLookView::build() {
    auto* column = static_cast<QVBoxLayout*>(m_card->layout());
    while (QLayoutItem* entry = column->takeAt(0)) {
        if (QWidget* widget = entry->widget()) {
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete entry;
    }
    m_ocrBlock = nullptr;
    column->addWidget(buildHeader());
    column->addWidget(divider(m_card));
    m_content = buildContent();
    column->addWidget(m_content, 1);
    const std::optional<QString>& ocr = m_item->ocrText();
    if (ocr && !ocr->isEmpty()) {
        column->addWidget(divider(m_card));
        m_ocrBlock = buildOCRBlock(*ocr);
        column->addWidget(m_ocrBlock);
    }
}

void QuickLookView::refresh() {
    ClipboardItemRecord record = m_item->record();
    record.isPinned = m_shownRecord.isPinned;
    if (record == m_shownRecord)
        return;
    m_shownRecord = m_item->record();
    build();
}

QString QuickLookView::title() const {
    return PreviewPresentation::quickLookTitle(*m_item);
}

QWidget* QuickLookView::buildHeader() {
    auto* header = new QWidget(m_card);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(14, 14, 14, 14);
    row->setSpacing(8);
    row->addWidget(new PreviewWidgets::Symbol(
        m_item->systemImageName(), 14, [](Scheme scheme) { return QS::Color::label(scheme); }, header));
    m_title = new Label(
        title(), QS::Font::system(13, QFont::DemiBold),
        [](Scheme scheme) { return QS::Color::label(scheme); }, header);
    m_title->setObjectName(QStringLiteral("quickLookTitle"));
    m_title->setElided(true);
    row->addWidget(m_title, 1);

    auto* hint = new PaintedBox(
        [](QPainter& painter, const QWidget& widget) {
            const QRectF capsule = QRectF(widget.rect());
            painter.setPen(Qt::NoPen);
            painter.setBrush(QS::Color::withOpacity(QS::Color::label(QS::Color::schemeOf(widget)), 0.06));
            painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        },
        header);
    auto* hintLayout = new QHBoxLayout(hint);
    hintLayout->setContentsMargins(8, 4, 8, 4);
    hintLayout->addWidget(new Label(
        QStringLiteral("%1 / %2").arg(KeyNotation::text(Hotkeys::Shortcut(Hotkeys::Key::space, {})),
                                      KeyNotation::text(Hotkeys::Shortcut(Hotkeys::Key::escape, {}))),
        QS::Font::system(10, QFont::Medium), [](Scheme scheme) { return QS::Color::secondaryText(scheme); },
        hint));
    row->addWidget(hint);

    auto* close = new PreviewWidgets::Button({}, QStringLiteral("xmark.circle.fill"),
                                             PreviewWidgets::Button::Style::Plain, header);
    close->setObjectName(QStringLiteral("quickLookClose"));
    close->setTint([](Scheme scheme) { return QS::Color::secondaryText(scheme); });
    close->setSymbolSize(18);
    close->setPadding(0, 0);
    close->setToolTip(tr("Close"));
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
    row->addWidget(close);
    return header;
}

QWidget* QuickLookView::buildContent() {
    const QString text = m_item->plainText().value_or(QString());
    switch (m_item->type()) {
    case ItemType::code:
        return new CodePreview(text, m_item->detectedLanguage(), m_services.defaults, m_card);
    case ItemType::image:
        return buildImage();
    case ItemType::color:
        if (const std::optional<QColor> color = ContentClassifier::colorFromHex(text)) {
            auto* box = new QWidget(m_card);
            auto* column = new QVBoxLayout(box);
            column->setSpacing(16);
            column->addStretch();
            auto* swatch = new PaintedBox(
                [colour = *color](QPainter& painter, const QWidget& widget) {
                    const QRectF shape = QRectF(widget.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
                    painter.setBrush(colour);
                    painter.setPen(
                        QPen(QS::Color::withOpacity(QS::Color::label(QS::Color::schemeOf(widget)), 0.1), 1));
                    painter.drawRoundedRect(shape, kCardRadius, kCardRadius);
                },
                box);
            swatch->setObjectName(QStringLiteral("colorSwatch"));
            swatch->setFixedSize(160, 160);
            column->addWidget(swatch, 0, Qt::AlignHCenter);
            auto* hex = new Label(
                ContentClassifier::normalizedHex(text).value_or(text),
                QS::Font::system(20, QFont::Bold, QS::Font::Design::Monospaced),
                [](Scheme scheme) { return QS::Color::label(scheme); }, box);
            hex->setObjectName(QStringLiteral("contentText"));
            hex->setTextInteractionFlags(Qt::TextSelectableByMouse);
            column->addWidget(hex, 0, Qt::AlignHCenter);
            column->addStretch();
            return box;
        }
        break;
    default:
        break;
    }
    auto* view = PreviewWidgets::textContent(text, QS::Font::system(14, QFont::Normal), 20, m_card);
    view->setObjectName(QStringLiteral("contentText"));
    return view;
}

QWidget* QuickLookView::buildImage() {
    auto* box = new QWidget(m_card);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(kImagePadding, kImagePadding, kImagePadding, kImagePadding);
    const std::optional<QString>& filename = m_item->imageFilename();
    ImageStore* images = m_services.images;
    auto* picture = new PictureView(PictureView::Mode::Fit, box);
    picture->setObjectName(QStringLiteral("quickLookPicture"));
    layout->addWidget(picture);
    if (!filename || !images)
        return box;
    if (const auto thumbnail = images->thumbnailCache().find(
            ImageStore::thumbnailKey(*filename, AsyncImagePreview::kThumbnailDimension)))
        picture->setImage(*thumbnail);
    // The card never changes size: the picture is decoded for the room it has, bounded like the pane's.
    const int ocrRoom = m_item->ocrText() && !m_item->ocrText()->isEmpty() ? 150 : 0;
    const QSize room(kCardWidth - 2 * kImagePadding, kCardHeight - 60 - ocrRoom - 2 * kImagePadding);
    BoundedImage::load(*images, *filename, room * devicePixelRatioF(), picture,
                       [picture](const BoundedImage::Loaded& loaded) {
                           if (!loaded.image.isNull())
                               picture->setImage(loaded.image);
                       });
    return box;
}

QWidget* QuickLookView::buildOCRBlock(const QString& text) {
    auto* block = new QWidget(m_card);
    block->setObjectName(QStringLiteral("quickLookOCR"));
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(6);
    QHBoxLayout* row = PreviewWidgets::symbolHeading(QStringLiteral("text.viewfinder"), tr("OCR Text"),
                                                     QS::Font::system(11, QFont::DemiBold), indigo, block);
    row->addStretch();
    auto* paste =
        new PreviewWidgets::Button(tr("Paste OCR Text"), {}, PreviewWidgets::Button::Style::Prominent, block);
    paste->setObjectName(QStringLiteral("pasteOCRText"));
    paste->setTextFont(QS::Font::system(11, QFont::DemiBold));
    paste->setPadding(10, 4);
    paste->setCornerRadius(6);
    connect(paste, &QAbstractButton::clicked, this, [this, text] {
        if (m_onPasteText)
            m_onPasteText(text);
    });
    row->addWidget(paste);
    column->addLayout(row);
    auto* view = PreviewWidgets::textContent(text, QS::Font::system(12, QFont::Normal), 0, block);
    view->setObjectName(QStringLiteral("quickLookOCRText"));
    // As high as its wrapped lines, up to 100; a longer text scrolls.
    const QFontMetrics metrics(view->font());
    const int width = kCardWidth - 24 - 10;
    int lines = 0;
    for (const QString& line : PreviewWidgets::shownText(text).split(u'\n'))
        lines += std::max(1, (metrics.horizontalAdvance(line) + width - 1) / width);
    view->setFixedHeight(std::min(100, lines * metrics.lineSpacing() + 4));
    column->addWidget(view);
    return block;
}

QRect QuickLookView::cardGeometry() const {
    return QRect(QPoint((width() - kCardWidth) / 2, (height() - kCardHeight) / 2),
                 QSize(kCardWidth, kCardHeight));
}

void QuickLookView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_card->setGeometry(cardGeometry());
}

void QuickLookView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PreviewWidgets::paintPanelBackdrop(painter, rect(), QColor(0, 0, 0, qRound(0.45 * 255)));
    PreviewWidgets::paintShadow(painter, cardGeometry(), kCardRadius, 30, QPointF(0, 12),
                                QColor(0, 0, 0, qRound(0.35 * 255)));
}

void QuickLookView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (m_onClose)
        m_onClose();
}

void QuickLookView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        build();
}
